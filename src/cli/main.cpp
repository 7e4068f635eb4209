// kelvara-cli: the catalogue of Kelvara from the command line, for scripts.

#include "catalogue/category.h"
#include "catalogue/civiltime.h"
#include "catalogue/conversionunit.h"
#include "catalogue/dataarchive.h"
#include "cli/commands.h"
#include "cli/rates.h"
#include "kelvara/version.h"
#include "platform/messagepresenter.h"
#include "platform/profilestore.h"
#include "platform/translations.h"

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

constexpr const char* kHelp = R"help(Usage: kelvara-cli [OPTIONS] COMMAND [ARGUMENTS]

Converts values between the units of the Kelvara catalogue, as the program's conversion page does.

Commands:
  categories                        print the categories, one per line, in the order of the
                                    program's category list
  units CATEGORY                    print the units of CATEGORY in the order of the program's
                                    unit list
  convert CATEGORY VALUE FROM TO    print VALUE converted from unit FROM into unit TO
  find TEXT...                      print every unit, of every category, whose name holds all
                                    the words of TEXT, as "CATEGORY<TAB>UNIT" lines; exit
                                    status 1 when none does
  rates [--update]                  print each currency code, its rate per euro, the day the
                                    rate is of (YYYY-MM-DD) and its source, tab-separated;
                                    --update first fetches the European Central Bank's
                                    reference rates and exchange-api's rates of every
                                    currency and stores them as the program does: one
                                    line per source, exit status 1 unless both were stored
  convert CATEGORY FROM TO          convert every value read from standard input, one a line,
                                    printing one result a line; the output is flushed whenever
                                    the input pauses, so the tool can serve as a coprocess.  A
                                    line that cannot be read gives an empty line and a message
                                    with its number on standard error, and exit status 1 at the
                                    end.  For the categories that convert numbers.

  kelvara-cli convert Length 1.75 "meter (m)" "foot and inch (ft. in.)"   prints 5 ft 8 in
  kelvara-cli convert Temperature -40 °C °F                                prints -40
  kelvara-cli convert Numbers ff hex dec                                   prints 255

  Film Sensitivity: FROM and TO are the scales ("DIN", "ASA / ISO") and VALUE a value of the
  FROM scale as the program lists it.  Country and Phone Codes: VALUE is ignored, FROM is the
  country and TO the service ("Fire Department", "Police Department", "Rescue").
  Time Difference: VALUE is ignored, FROM and TO are zones (a name as listed, or a zone id
  such as Europe/Berlin or Etc/UTC); prints both local times, separated by a tab:
  kelvara-cli convert "Time Difference" - Europe/Berlin Asia/Tokyo --at 2026-07-15T12:00:00Z

Names (categories, units, currencies, countries) match without regard to case: the exact text
first, else the symbol in the last parentheses ("m", "ft", "USD"), else a unique beginning
("Temp", "kilog").  A name that fits several choices giving different results, or none, ends
with exit status 2 and a list of the candidates.

Options:
  --at TIME    for Time Difference: show the zones' times at this universal time
               (2026-07-15T12:00:00Z) instead of now
  --digits N   for convert: round results to N significant digits (1 to 17) and write them
               without trailing zeros (100 °F in °C at 6: 37.7778); without it every digit
               is printed.  Numbers of other bases, Roman numerals, times, telephone data and
               film speeds are not rounded; of "5 ft 8 in" only the last part is.  rates
               always prints the exact rates
  --regional   read VALUE and print the result in your regional notation (LC_NUMERIC,
               LC_MONETARY for Currency), as the program does with regional settings on;
               without it, numbers use "." and no grouping
  --help       print this help
  --version    print the version
  --           end of options; an argument that begins with "-" and is not an option is a
               value (-40)

Data: a data file beside the program (weight.dat, ...) is used in place of the built-in one.
Currency rates typed or fetched in the program are read from its settings
(~/.config/Brask/Kelvara.conf); only `rates --update` writes them.

Exit status: 0 done; 1 the data could not be loaded (the program's message is printed), find
matched nothing, a line of standard input could not be read, or the output could not be
written; 2 a bad command line or an unknown or ambiguous name.
)help";

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
    std::fprintf(stderr, "kelvara-cli: %s\nTry 'kelvara-cli --help'.\n", message.c_str());
    return kelvara::cli::kExitUsage;
}

// N of --digits: a whole number of significant digits within the range results can carry.
bool ParseDigits(const std::string& text, int& digits)
{
    const char* end = text.data() + text.size();
    const auto [last, ec] = std::from_chars(text.data(), end, digits);
    return ec == std::errc() && last == end && digits >= 1 && digits <= kelvara::kMaxResultDigits;
}

bool CheckCount(const std::vector<std::string>& args, std::size_t count, const char* usage, int& exitCode)
{
    if (args.size() == count)
        return true;
    exitCode =
        UsageError(std::string(args.size() < count ? "too few" : "too many") + " arguments; usage: " + usage);
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
    if (error != 0)
        std::fprintf(stderr, "kelvara-cli: cannot write the output (%s)\n", std::strerror(error));
    else
        std::fprintf(stderr, "kelvara-cli: cannot write the output\n");
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
            std::fputs(kHelp, stdout);
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
                    return UsageError("--at needs a universal time such as 2026-07-15T12:00:00Z");
                text = argv[++i];
            } else {
                text = arg.substr(5);
            }
            kelvara::UtcTicks ticks = 0;
            if (!kelvara::ParseUtcTimestamp(text, ticks))
                return UsageError("'" + text + "' is not a universal time such as 2026-07-15T12:00:00Z");
            instant = ticks;
        } else if (options && (arg == "--digits" || arg.rfind("--digits=", 0) == 0)) {
            const char* range = "--digits needs a number of significant digits from 1 to 17";
            std::string text;
            if (arg == "--digits") {
                if (i + 1 >= argc)
                    return UsageError(range);
                text = argv[++i];
            } else {
                text = arg.substr(9);
            }
            int digits = 0;
            if (!ParseDigits(text, digits))
                return UsageError("'" + text + "': " + range);
            kelvara::SetResultDigits(digits);
        } else if (options && arg == "--update" && !args.empty() && args.front() == "rates") {
            args.push_back(arg); // the rates command's own option
        } else if (options && arg.size() > 2 && arg.rfind("--", 0) == 0) {
            return UsageError("unknown option '" + arg + "'");
        } else {
            // Anything else, "-40" included, is a command or an argument.
            args.push_back(arg);
        }
    }
    if (args.empty())
        return UsageError("no command given");

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
    CCategoryArray catalogue;
    CreateCatalogue(catalogue);
    // The archive installs itself as the data-file lookup and removes its folder when it goes.
    kelvara::cli::Commands commands(catalogue, std::make_unique<CDataArchive>(), stdout, stderr, regional);
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
        exitCode = args.empty() ? UsageError("too few arguments; usage: find TEXT...") : commands.Find(args);
    } else if (command == "rates") {
        exitCode = kelvara::cli::RunRates(commands, args, stdout, stderr);
    } else {
        exitCode = UsageError("unknown command '" + command + "'");
    }
    catalogue.clear();
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
