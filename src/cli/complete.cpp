// kelvara-cli __complete: the candidates the shell completion scripts offer, so that they hold no
// list of their own. Not in --help; the scripts are its only users.
//
//   kelvara-cli __complete SHELL WORD...
//
// WORDs are the command line's words after the program's name, up to the one being completed,
// which is the last (possibly empty). SHELL "bash" passes the words as typed (quotes and
// backslashes in place) and gets back candidates ready for COMPREPLY: only those that begin with
// the word, quoted for where the word stands. Any other SHELL (zsh, fish) passes the words
// unquoted and gets back every candidate unquoted; those shells match and quote themselves.

#include "cli/commands.h"
#include "cli/namematch.h"
#include "text/collate.h"
#include "text/textcase.h"

#include <algorithm>
#include <string_view>

namespace kelvara::cli {

namespace {

// A word as bash hands it over: what it means, and the quote still open at its end (0 if none).
struct ShellWord {
    std::string text;
    char openQuote = 0;
};

ShellWord Dequote(std::string_view raw)
{
    ShellWord word;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (word.openQuote == '\'') {
            if (c == '\'')
                word.openQuote = 0;
            else
                word.text += c;
        } else if (word.openQuote == '"') {
            if (c == '"')
                word.openQuote = 0;
            else if (c == '\\' && i + 1 < raw.size() &&
                     std::string_view("\"\\$`").find(raw[i + 1]) != std::string_view::npos)
                word.text += raw[++i];
            else
                word.text += c;
        } else if (c == '\'' || c == '"') {
            word.openQuote = c;
        } else if (c == '\\') {
            if (i + 1 < raw.size())
                word.text += raw[++i];
        } else {
            word.text += c;
        }
    }
    return word;
}

// `text` as it must be inserted after what bash has of the word: inside the quote left open, or
// with every character the shell would take for syntax escaped.
std::string BashQuote(std::string_view text, char openQuote)
{
    std::string out;
    for (const char c : text) {
        if (openQuote == '\'') {
            if (c == '\'')
                out += "'\\'";
        } else if (openQuote == '"') {
            if (c == '"' || c == '\\' || c == '$' || c == '`')
                out += '\\';
        } else if (std::string_view(" \t\n|&;()<>!{}*[]?^$`'\"\\#~").find(c) != std::string_view::npos) {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// The length of the part of the word that bash keeps when it replaces the word. With a quote left
// open, everything up to and with that quote, wherever it stands ("Time' D"). Else bash cuts words
// at ':' and '=' (COMP_WORDBREAKS), as in "(UTC+09:00)", and replaces only the last piece.
std::size_t KeptByBash(std::string_view raw)
{
    std::size_t kept = 0;
    std::size_t quoteStart = 0;
    char quote = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else if (quote == '"' && c == '\\')
                ++i;
        } else if (c == '\'' || c == '"') {
            quote = c;
            quoteStart = i;
        } else if (c == '\\') {
            ++i;
        } else if (c == ':' || c == '=') {
            kept = i + 1;
        }
    }
    return quote ? quoteStart + 1 : kept;
}

} // namespace

int Commands::Complete(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return kExitUsage;
    const bool bash = args[0] == "bash";
    std::vector<std::string> words;
    for (std::size_t i = 1; i < args.size(); ++i)
        words.push_back(bash ? Dequote(args[i]).text : args[i]);
    const std::string current = words.back();
    words.pop_back();

    // The words before the current one, as the command line reads them.
    std::vector<std::string> positional;
    bool options = true;
    bool wantsTime = false;
    bool wantsDigits = false;
    for (const auto& word : words) {
        if (wantsTime || wantsDigits) {
            wantsTime = wantsDigits = false;
        } else if (options && word == "--") {
            options = false;
        } else if (options && word == "--at") {
            wantsTime = true;
        } else if (options && word == "--digits") {
            wantsDigits = true;
        } else if (!(options && word.size() > 2 && word.rfind("--", 0) == 0)) {
            positional.push_back(word);
        }
    }

    std::vector<std::string> candidates;
    if (wantsTime) {
        // A universal time: nothing to offer.
    } else if (wantsDigits) {
        for (int digits = 1; digits <= kelvara::kMaxResultDigits; ++digits)
            candidates.push_back(std::to_string(digits));
        candidates.push_back("all");
    } else if (options && !current.empty() && current[0] == '-') {
        candidates = {"--", "--at", "--digits", "--help", "--regional", "--version"};
        if (!positional.empty() && positional[0] == "rates")
            candidates.push_back("--update");
    } else if (positional.empty()) {
        candidates = {"categories", "convert", "find", "rates", "units"};
    } else if ((positional[0] == "units" || positional[0] == "convert") && positional.size() == 1) {
        for (const auto& category : m_catalogue.Categories())
            candidates.push_back(category->GetName());
        std::sort(candidates.begin(), candidates.end(),
                  [](const std::string& a, const std::string& b) { return CompareListText(a, b) < 0; });
    } else if (positional[0] == "convert" && (positional.size() == 3 || positional.size() == 4)) {
        int exitCode = kExitOk;
        if (CCategory* category = FindLoadedCategory(positional[1], exitCode)) {
            SortedList units;
            if (positional.size() == 3)
                category->FillSourceUnits(units, 0);
            else
                category->FillTargetUnits(units, 0);
            candidates = units.GetTexts();
        }
    }

    if (!bash) {
        for (const auto& candidate : candidates)
            Print(candidate);
        return kExitOk;
    }
    // Those that begin with the word as typed; else, without regard to case, so that "temp" still
    // becomes "Temperature".
    std::vector<std::string> fitting;
    for (const bool exact : {true, false}) {
        for (const auto& candidate : candidates)
            if (exact ? candidate.rfind(current, 0) == 0 : StartsWithNoCase(candidate, current))
                fitting.push_back(candidate);
        if (!fitting.empty())
            break;
    }
    const std::string& raw = args.back();
    const ShellWord typed = Dequote(raw);
    const std::size_t kept = KeptByBash(raw);
    for (const auto& candidate : fitting) {
        // Only the piece bash replaces is given; a candidate that does not begin with what bash
        // keeps (matched without regard to case) cannot be put in.
        std::string piece;
        if (typed.openQuote) {
            const std::string before = Dequote(std::string_view(raw).substr(0, kept - 1)).text;
            if (candidate.compare(0, before.size(), before) != 0)
                continue;
            piece = BashQuote(std::string_view(candidate).substr(before.size()), typed.openQuote);
        } else {
            piece = BashQuote(candidate, 0);
            if (piece.compare(0, kept, raw, 0, kept) != 0)
                continue;
            piece.erase(0, kept);
        }
        Print(piece);
    }
    return kExitOk;
}

} // namespace kelvara::cli
