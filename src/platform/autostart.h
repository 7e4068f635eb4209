#pragma once

#include <string>

namespace kelvara {

// The log-on start entry: an XDG autostart desktop entry named Tavrix.desktop in the user's
// autostart folder ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart). Its Exec line is the
// program's path in double quotes followed by /hidden, so the program starts in the tray.

// The entry's path; empty when neither XDG_CONFIG_HOME nor HOME tells where it would be.
std::string AutostartEntryPath();

// The command line of the entry, as the desktop would read it (the file's escapes undone). False
// when there is no entry (or something else than a small regular file is at its name), it has no
// Exec line, or it is switched off (Hidden=true, or X-GNOME-Autostart-enabled=false).
bool ReadAutostartCommand(std::string& command);

// The Exec value for `programPath`: "<path>" /hidden, with the characters that the desktop-entry
// rules reserve escaped. Empty when the path holds a control character, which no Exec line can
// carry.
std::string AutostartExecValue(const std::string& programPath);

// Creates or replaces the entry for `programPath` (atomically); false when it could not be written.
bool WriteAutostartEntry(const std::string& programPath);

// Deletes the entry; true when there was one and it is gone.
bool RemoveAutostartEntry();

} // namespace kelvara
