#include "cli/batch.h"

#include "text/formattext.h"
#include "text/strings.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace kelvara::cli {

namespace {

// A longer line is no value of ours; it is skipped without being held in memory.
constexpr std::size_t kMaxLine = 4096;

std::string_view Trimmed(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

// Whether input is waiting to be read at once; errors count as waiting, so the read reports them.
bool InputReady(int fd)
{
    pollfd p{fd, POLLIN, 0};
    int n;
    while ((n = ::poll(&p, 1, 0)) < 0 && errno == EINTR) {
    }
    return n != 0;
}

} // namespace

bool ConvertLines(int inputFd, std::FILE* out, std::FILE* err, const LineConversion& convert)
{
    // Output goes out in large writes; it is flushed below whenever the input pauses.
    static char outBuffer[1 << 16];
    std::setvbuf(out, outBuffer, _IOFBF, sizeof outBuffer);

    std::vector<char> buffer(1 << 16);
    std::size_t start = 0; // the unread part is [start, end)
    std::size_t end = 0;
    std::size_t lineNumber = 0;
    bool overlong = false; // the current line is being skipped
    bool allRead = true;
    bool eof = false;
    std::string value;
    std::string result;
    std::string problem;

    const auto finishLine = [&](std::string_view line) {
        ++lineNumber;
        if (overlong || line.size() > kMaxLine) {
            overlong = false;
            allRead = false;
            std::fputc('\n', out);
            std::fflush(out); // so that, on one terminal, the message follows its line
            std::fprintf(err, "kelvara-cli: %s\n",
                         FormatText(LoadString(IDS_CLI_LINE_TOO_LONG), {lineNumber, kMaxLine}).c_str());
            return;
        }
        value.assign(Trimmed(line));
        result.clear();
        problem.clear();
        if (convert(value, result, problem)) {
            result += '\n';
            std::fwrite(result.data(), 1, result.size(), out);
        } else {
            allRead = false;
            std::fputc('\n', out);
            std::fflush(out);
            std::fprintf(err, "kelvara-cli: %s\n",
                         FormatText(LoadString(IDS_CLI_LINE_PROBLEM), {lineNumber, problem}).c_str());
        }
    };

    for (;;) {
        // Every whole line in the buffer.
        for (;;) {
            const char* base = buffer.data() + start;
            const auto* newline = static_cast<const char*>(std::memchr(base, '\n', end - start));
            if (!newline)
                break;
            finishLine(std::string_view(base, static_cast<std::size_t>(newline - base)));
            start += static_cast<std::size_t>(newline - base) + 1;
        }
        if (eof) {
            // A last line without its newline still counts.
            if (start < end || overlong)
                finishLine(std::string_view(buffer.data() + start, end - start));
            break;
        }
        // Keep the unfinished line at the front; drop what a line too long has filled.
        if (end - start > kMaxLine) {
            overlong = true;
            start = end;
        }
        if (start > 0) {
            std::memmove(buffer.data(), buffer.data() + start, end - start);
            end -= start;
            start = 0;
        }
        if (!InputReady(inputFd))
            std::fflush(out);
        // Output that cannot be written (a full disk) makes converting the rest pointless; the
        // caller reports the error.
        if (std::ferror(out))
            break;
        const ssize_t n = ::read(inputFd, buffer.data() + end, buffer.size() - end);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0) {
                const std::string reason = std::strerror(errno); // before anything else can change errno
                std::fprintf(err, "kelvara-cli: %s\n",
                             FormatText(LoadString(IDS_CLI_CANNOT_READ_VALUES), {reason}).c_str());
            }
            eof = true;
            allRead = allRead && n == 0;
            continue;
        }
        end += static_cast<std::size_t>(n);
    }
    std::fflush(out);
    return allRead;
}

} // namespace kelvara::cli
