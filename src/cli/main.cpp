// kelvara-cli: the catalogue of Kelvara from the command line, for scripts.

#include "catalogue/catalogue.h"
#include "catalogue/category.h"
#include "catalogue/civiltime.h"
#include "catalogue/conversionunit.h"
#include "cli/commands.h"
#include "cli/rates.h"
#include "kelvara/version.h"
#include "platform/messagepresenter.h"
#include "platform/profilestore.h"
#include "platform/translations.h"
#include "text/formattext.h"
#include "text/strings.h"
#include "text/textcase.h"

#ifdef KELVARA_CLI_SETTINGS
#include "cli/storedsettings.h"
#endif

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The help, in the user's language: its sections with an empty line between them.
std::string HelpText()
{
    using namespace kelvara;
    std::string text;
    for (const unsigned id :
         {IDS_CLI_HELP_USAGE, IDS_CLI_HELP_COMMANDS, IDS_CLI_HELP_EXAMPLES, IDS_CLI_HELP_NAMES,
          IDS_CLI_HELP_OPTIONS, IDS_CLI_HELP_DATA, IDS_CLI_HELP_EXIT_STATUS})
        text += (text.empty() ? "" : "\n") + LoadString(id);
    return text;
}

// A message of the string table with its arguments.
std::string Text(unsigned id, const std::vector<kelvara::FormatArg>& args = {})
{
    return kelvara::FormatText(kelvara::LoadString(id), args);
}

// Messages the catalogue would show in a box go to standard error, one after another.
class StderrPresenter : public kelvara::MessagePresenter {
public:
    int Present(const std::string& text, unsigned type) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
        // Questions are answered "no", so that nothing happens unasked.
        return (type & kelvara::MB_TYPEMASK) == kelvara::MB_YESNO ||
                       (type & kelvara::MB_TYPEMASK) == kelvara::MB_YESNOCANCEL
                   ? kelvara::IDNO
                   : kelvara::IDOK;
    }
};

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "kelvara-cli: %s\n%s\n", message.c_str(), Text(kelvara::IDS_CLI_TRY_HELP).c_str());
    return kelvara::cli::kExitUsage;
}

// N of --digits: a whole number of significant digits within the range results can carry, or
// "all" for every digit.
bool ParseDigits(const std::string& text, int& digits)
{
    if (kelvara::FoldCase(text) == "all") {
        digits = kelvara::kAllResultDigits;
        return true;
    }
    const char* end = text.data() + text.size();
    const auto [last, ec] = std::from_chars(text.data(), end, digits);
    return ec == std::errc() && last == end && digits >= 1 && digits <= kelvara::kMaxResultDigits;
}

bool CheckCount(const std::vector<std::string>& args, std::size_t count, const char* usage, int& exitCode)
{
    if (args.size() == count)
        return true;
    exitCode = UsageError(
        Text(args.size() < count ? kelvara::IDS_CLI_TOO_FEW_ARGUMENTS : kelvara::IDS_CLI_TOO_MANY_ARGUMENTS,
             {usage}));
    return false;
}

// Why writing standard output failed first; by the end of a command errno says nothing any more,
// since the C library's buffer may have failed on any of its prints.
int g_writeError = 0;

ssize_t WriteOut(void*, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(STDOUT_FILENO, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (g_writeError == 0)
                g_writeError = n < 0 ? errno : EIO;
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

int CloseOut(void*)
{
    return ::close(STDOUT_FILENO) == 0 || errno == EINTR ? 0 : -1;
}

// Standard output as a stream that notes the reason of a failed write, buffered as the C library
// buffers its own (by lines on a terminal).
void WatchOutput()
{
    std::FILE* out =
        ::fopencookie(nullptr, "w", cookie_io_functions_t{nullptr, &WriteOut, nullptr, &CloseOut});
    if (!out)
        return;
    if (::isatty(STDOUT_FILENO))
        std::setvbuf(out, nullptr, _IOLBF, BUFSIZ);
    std::fflush(stdout);
    stdout = out;
}

// A full disk or a failed device must not pass for success: what the command printed is pushed
// out and checked once, at the end, whatever the command was.
int FinishOutput(int exitCode)
{
    errno = 0;
    bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    int error = errno;
    if (std::fclose(stdout) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (!failed)
        return exitCode;
    if (g_writeError != 0)
        error = g_writeError;
    const std::string message =
        error != 0 ? Text(kelvara::IDS_CLI_CANNOT_WRITE_OUTPUT_BECAUSE, {std::strerror(error)})
                   : Text(kelvara::IDS_CLI_CANNOT_WRITE_OUTPUT);
    std::fprintf(stderr, "kelvara-cli: %s\n", message.c_str());
    return exitCode == kelvara::cli::kExitOk ? kelvara::cli::kExitWriteFailed : exitCode;
}

int Run(int argc, char** argv)
{
    kelvara::InitTranslations();
    bool regional = false;
    std::optional<kelvara::UtcTicks> instant;
    std::vector<std::string> args; // the command and its arguments
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            std::fputs(HelpText().c_str(), stdout);
            return kelvara::cli::kExitOk;
        } else if (options && arg == "--version") {
            std::printf("kelvara-cli %s\n", KELVARA_VERSION_STRING);
            return kelvara::cli::kExitOk;
        } else if (options && arg == "--regional") {
            regional = true;
        } else if (options && (arg == "--at" || arg.rfind("--at=", 0) == 0)) {
            std::string text;
            if (arg == "--at") {
                if (i + 1 >= argc)
                    return UsageError(Text(kelvara::IDS_CLI_AT_NEEDS_TIME));
                text = argv[++i];
            } else {
                text = arg.substr(5);
            }
            kelvara::UtcTicks ticks = 0;
            if (!kelvara::ParseUtcTimestamp(text, ticks))
                return UsageError(Text(kelvara::IDS_CLI_NOT_A_TIME, {text}));
            instant = ticks;
        } else if (options && (arg == "--digits" || arg.rfind("--digits=", 0) == 0)) {
            std::string text;
            if (arg == "--digits") {
                if (i + 1 >= argc)
                    return UsageError(Text(kelvara::IDS_CLI_DIGITS_NEEDS_NUMBER));
                text = argv[++i];
            } else {
                text = arg.substr(9);
            }
            int digits = 0;
            if (!ParseDigits(text, digits))
                return UsageError(Text(kelvara::IDS_CLI_DIGITS_OUT_OF_RANGE, {text}));
            kelvara::SetResultDigits(digits);
        } else if (options && arg == "--update" && !args.empty() && args.front() == "rates") {
            args.push_back(arg); // the rates command's own option
        } else if (options && arg.size() > 2 && arg.rfind("--", 0) == 0) {
            return UsageError(Text(kelvara::IDS_CLI_UNKNOWN_OPTION, {arg}));
        } else {
            // Anything else, "-40" included, is a command or an argument.
            args.push_back(arg);
        }
    }
    if (args.empty())
        return UsageError(Text(kelvara::IDS_CLI_NO_COMMAND));

    StderrPresenter presenter;
    kelvara::SetMessagePresenter(&presenter);
#ifdef KELVARA_CLI_SETTINGS
    // Stored currency rates and options, as the program keeps them; never written from here, and
    // loaded only when something reads them. No setting changes a name, so find and the completion
    // do without them.
    kelvara::cli::StoredSettings settings(stderr);
    if (args.front() != "find" && args.front() != "__complete")
        kelvara::SetProfile(&settings);
#endif
    kelvara::Catalogue catalogue;
    kelvara::cli::Commands commands(catalogue, kelvara::Profile(), stdout, stderr, regional);
    if (instant)
        commands.SetInstant(*instant);

    const std::string command = args.front();
    args.erase(args.begin());
    int exitCode = kelvara::cli::kExitOk;
    if (command == "categories") {
        if (CheckCount(args, 0, "categories", exitCode))
            exitCode = commands.ListCategories();
    } else if (command == "units") {
        if (CheckCount(args, 1, "units CATEGORY", exitCode))
            exitCode = commands.ListUnits(args[0]);
    } else if (command == "convert" && args.size() == 3) {
        // Without VALUE: the values come from standard input, one a line.
        exitCode = commands.ConvertLines(args[0], args[1], args[2], 0);
    } else if (command == "convert") {
        if (CheckCount(args, 4, "convert CATEGORY [VALUE] FROM TO", exitCode))
            exitCode = commands.Convert(args[0], args[1], args[2], args[3]);
    } else if (command == "__complete") {
        exitCode = commands.Complete(args);
    } else if (command == "find") {
        exitCode = args.empty() ? UsageError(Text(kelvara::IDS_CLI_TOO_FEW_ARGUMENTS, {"find TEXT..."}))
                                : commands.Find(args);
    } else if (command == "rates") {
        exitCode = kelvara::cli::RunRates(commands, args, stdout, stderr);
    } else {
        exitCode = UsageError(Text(kelvara::IDS_CLI_UNKNOWN_COMMAND, {command}));
    }
    catalogue.Categories().clear();
    kelvara::SetProfile(nullptr);
    kelvara::SetMessagePresenter(nullptr);
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    WatchOutput();
    return FinishOutput(Run(argc, argv));
}
