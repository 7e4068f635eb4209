#include "online/bytesize.h"

#include <cstdio>

namespace kelvara {

std::string FormatByteSize(std::uint64_t bytes)
{
    if (bytes < 1024)
        return std::to_string(bytes) + " bytes";
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    // 128-bit products keep the truncation exact up to the largest 64-bit count.
    __extension__ using Wide = unsigned __int128;
    char buffer[32];
    for (int k = 0; k < 6; ++k) {
        const Wide unit = Wide{1} << (10 * (k + 1));
        // A count that would print as 1000 or more moves on to the next unit (the last one, EB,
        // never gets there: 2^64 bytes are 16 EB).
        if (bytes < 10 * unit) {
            const auto hundredths = static_cast<unsigned>(Wide{bytes} * 100 / unit);
            std::snprintf(buffer, sizeof buffer, "%u.%02u %s", hundredths / 100, hundredths % 100, kUnits[k]);
            return buffer;
        }
        if (bytes < 100 * unit) {
            const auto tenths = static_cast<unsigned>(Wide{bytes} * 10 / unit);
            std::snprintf(buffer, sizeof buffer, "%u.%u %s", tenths / 10, tenths % 10, kUnits[k]);
            return buffer;
        }
        if (bytes < 1000 * unit || k == 5) {
            std::snprintf(buffer, sizeof buffer, "%u %s", static_cast<unsigned>(bytes / unit), kUnits[k]);
            return buffer;
        }
    }
    return {};
}

} // namespace kelvara
