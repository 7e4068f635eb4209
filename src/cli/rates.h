#pragma once

#include "cli/commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kelvara::cli {

// `kelvara-cli rates [--update]`: lists every currency code with its rate (stored, else built-in),
// the day it is of and its source; with --update instead fetches the ECB's reference rates and the
// world rates, stores them by the catalogue's rules and says in one line per source what was stored
// or why nothing was. Exit 1 when a source stored nothing; what the other brought stays stored.
int RunRates(Commands& commands, const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

} // namespace kelvara::cli
