#include "online/updateinfo.h"

#include "online/urlescape.h"
#include "text/textcase.h"

namespace kelvara {

namespace {
// One "%d": blanks, an optional sign, at least one digit. The value is kept modulo 2^32, which
// keeps it exact modulo 65536, all a version component keeps.
bool ReadNumber(std::string_view text, std::size_t& pos, std::uint32_t& value)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return false;
    std::uint32_t v = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        v = v * 10 + static_cast<std::uint32_t>(text[pos++] - '0');
    value = negative ? 0u - v : v;
    return true;
}
} // namespace

PackedVersion PackVersion(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    return {((a & 0xFFFFu) << 16) | (b & 0xFFFFu), ((c & 0xFFFFu) << 16) | (d & 0xFFFFu)};
}

bool ParseVersionText(std::string_view text, PackedVersion& version)
{
    std::uint32_t parts[4] = {};
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                version = {};
                return false;
            }
            ++pos;
        }
        if (!ReadNumber(text, pos, parts[i])) {
            version = {};
            return false;
        }
    }
    version = PackVersion(parts[0], parts[1], parts[2], parts[3]);
    return true;
}

bool IsNewerVersion(const PackedVersion& candidate, const PackedVersion& current)
{
    const auto candidateHigh = static_cast<std::int32_t>(candidate.high);
    const auto currentHigh = static_cast<std::int32_t>(current.high);
    if (candidateHigh != currentHigh)
        return candidateHigh > currentHigh;
    return candidate.low > current.low;
}

std::string BuildVersionQueryUrl(std::string_view serviceAddress, std::string_view programName)
{
    return std::string(serviceAddress) + "/getversion.asp?name=" + EscapeQueryValue(programName);
}

std::string BuildDownloadUrl(std::string_view serviceAddress, std::string_view fileName)
{
    return std::string(serviceAddress) + "/dl.asp?path=" + EscapeQueryValue(fileName);
}

} // namespace kelvara
