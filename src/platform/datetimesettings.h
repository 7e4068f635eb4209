#pragma once

#include <string>
#include <vector>

namespace kelvara {

// The command line of the desktop's date-and-time settings: the first known tool found in PATH,
// those of the running desktop (XDG_CURRENT_DESKTOP) first. Empty when there is none.
std::vector<std::string> FindDateTimeSettingsCommand();

// Starts the date-and-time settings, detached from this process; nothing happens when no tool is
// found. True when one was started.
bool StartDateTimeTool();

// Starts `argv` (argv[0] a path) in a session of its own and does not wait for it. True when the
// program was started.
bool StartDetached(const std::vector<std::string>& argv);

} // namespace kelvara
