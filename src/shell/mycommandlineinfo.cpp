#include "shell/mycommandlineinfo.h"

#include "text/formattext.h"
#include "text/strings.h"
#include "text/textcase.h"

#include "kelvara/version.h"

#include <string_view>

namespace {

// Compares `text` with "hidden" over the length of `text`, ignoring case: every leading part of
// the word matches, nothing longer does. Bytes outside ASCII never match a letter of it.
bool IsHiddenSwitch(std::string_view text)
{
    return kelvara::StartsWithNoCase("hidden", text);
}

// Qt's own options (with one dash or two), left to Qt; those that take a value take the next
// argument unless given as name=value.
struct QtOption {
    std::string_view name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"geometry", true},
    {"qwindowicon", true},
    {"icon", true},
    {"qwindowtitle", true},
    {"title", true},
    {"style", true},
    {"stylesheet", true},
    {"session", true},
    {"display", true},
    {"name", true},
    {"visual", true},
    {"qmljsdebugger", false},
    {"reverse", false},
    {"widgetcount", false},
    {"testability", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

// How many arguments from `arguments[i]` on are Qt's: 0 when it is none of Qt's options.
std::size_t QtOptionLength(const std::vector<std::string>& arguments, std::size_t i)
{
    std::string_view arg = arguments[i];
    if (arg.size() < 2 || arg[0] != '-')
        return 0;
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    const auto equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    for (const QtOption& option : kQtOptions) {
        if (option.name != name)
            continue;
        if (equals != std::string_view::npos || !option.takesValue)
            return 1;
        return i + 1 < arguments.size() ? 2 : 1;
    }
    return 0;
}

} // namespace

void CMyCommandLineInfo::ParseParam(const std::string& param, bool flag, bool /*last*/)
{
    if (flag && IsHiddenSwitch(param))
        m_hidden = true;
    // Anything else is left alone: file names and other switches mean nothing to the program, and a
    // desktop may add its own.
}

void CMyCommandLineInfo::ParseCommandLine(const std::vector<std::string>& arguments)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const bool last = i + 1 == arguments.size();
        if (!optionsEnded) {
            // Qt reads these from the same command line; neither they nor their values are ours.
            if (const std::size_t length = QtOptionLength(arguments, i)) {
                i += length - 1;
                continue;
            }
        }
        if (!optionsEnded && arg.size() >= 2 && arg[0] == '-' && arg[1] == '-') {
            // Long options, the way a Linux user expects them. They never meant anything to the
            // program before, so an unknown one can be refused without breaking anyone's habits.
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--hidden") {
                m_hidden = true;
            } else if (arg == "--help") {
                if (m_action == Action::Run)
                    m_action = Action::ShowHelp;
            } else if (arg == "--version") {
                if (m_action == Action::Run)
                    m_action = Action::ShowVersion;
            } else if (m_action != Action::Error) {
                m_action = Action::Error;
                m_error = arg;
            }
            continue;
        }
        const bool flag = !optionsEnded && !arg.empty() && (arg[0] == '/' || arg[0] == '-');
        ParseParam(flag ? arg.substr(1) : arg, flag, last);
    }
}

namespace kelvara {

std::string CommandLineUsage(const std::string& programName)
{
    return FormatText(LoadString(IDS_USAGE), {programName});
}

std::string VersionText()
{
    return LoadString(IDS_APP_TITLE) + " " KELVARA_VERSION_STRING "\n";
}

} // namespace kelvara
