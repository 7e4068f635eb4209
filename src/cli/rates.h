#pragma once

#include "cli/commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kelvara::cli {

// `kelvara-cli rates [--update]`: lists every currency code with its rate (stored, else built-in),
// the day it is of and its source; with --update instead fetches the ECB's reference rates, stores
// them by the catalogue's rules and says so in one line. Exit 1 with the reason when that fails;
// nothing is stored then.
int RunRates(Commands& commands, const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

} // namespace kelvara::cli
