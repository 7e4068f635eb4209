#include "online/bytesize.h"

#include "text/formattext.h"
#include "text/strings.h"

#include <cstdio>

namespace kelvara {

std::string FormatByteSize(std::uint64_t bytes)
{
    if (bytes < 1024)
        return FormatText(LoadString(IDS_SIZE_BYTES), {bytes});
    const unsigned kUnits[] = {IDS_SIZE_KB, IDS_SIZE_MB, IDS_SIZE_GB, IDS_SIZE_TB, IDS_SIZE_PB, IDS_SIZE_EB};
    // 128-bit products keep the truncation exact up to the largest 64-bit count.
    __extension__ using Wide = unsigned __int128;
    char buffer[32];
    for (int k = 0; k < 6; ++k) {
        const Wide unit = Wide{1} << (10 * (k + 1));
        // A count that would print as 1000 or more moves on to the next unit (the last one, EB,
        // never gets there: 2^64 bytes are 16 EB).
        if (bytes < 10 * unit) {
            const auto hundredths = static_cast<unsigned>(Wide{bytes} * 100 / unit);
            std::snprintf(buffer, sizeof buffer, "%u.%02u ", hundredths / 100, hundredths % 100);
            return buffer + LoadString(kUnits[k]);
        }
        if (bytes < 100 * unit) {
            const auto tenths = static_cast<unsigned>(Wide{bytes} * 10 / unit);
            std::snprintf(buffer, sizeof buffer, "%u.%u ", tenths / 10, tenths % 10);
            return buffer + LoadString(kUnits[k]);
        }
        if (bytes < 1000 * unit || k == 5) {
            std::snprintf(buffer, sizeof buffer, "%u ", static_cast<unsigned>(bytes / unit));
            return buffer + LoadString(kUnits[k]);
        }
    }
    return {};
}

} // namespace kelvara
