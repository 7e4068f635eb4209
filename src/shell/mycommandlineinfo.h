#pragma once

#include <string>
#include <vector>

// What the command line asks of the program. The one switch of the program is /hidden: any
// leading part of it ("/h", "-HID", even a bare "/" or "-") in any case starts with the window
// hidden. Linux users also get --hidden, --help and --version.
class CMyCommandLineInfo {
public:
    enum class Action {
        Run,
        ShowHelp,
        ShowVersion,
        Error, // an unknown long option; m_error says which
    };

    // Called once per argument. `param` is the argument without its leading "/" or "-" when
    // `flag` is set; `last` tells whether it is the last argument.
    virtual void ParseParam(const std::string& param, bool flag, bool last);
    virtual ~CMyCommandLineInfo() = default;

    // Feeds every argument (without the program name) through ParseParam and the long options.
    void ParseCommandLine(const std::vector<std::string>& arguments);

    bool m_hidden = false;
    Action m_action = Action::Run;
    std::string m_error;
};

namespace kelvara {

// Text for --help and --version.
std::string CommandLineUsage(const std::string& programName);
std::string VersionText();

} // namespace kelvara
