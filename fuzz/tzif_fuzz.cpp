// Arbitrary bytes as a TZif file: the reader, the footer rule and the yearly records built from
// them must neither crash nor hang, and local times must stay within a day of universal time.
#include "catalogue/timezone.h"
#include "catalogue/tzdatabase.h"
#include "catalogue/zonetimeline.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kelvara::PosixTzRule rule;
    (void)kelvara::ParsePosixTz(bytes.substr(0, 64), rule);
    const auto zone = kelvara::MakeTimeZone("Fuzz/Zone", bytes);
    if (!zone)
        return 0;
    (void)zone->GetName();
    // Instants spread over the calendar, from the bytes themselves and fixed ones.
    std::int64_t seed = 0;
    for (std::size_t i = 0; i < size && i < 8; ++i)
        seed = (seed << 8) | data[i];
    const kelvara::UtcTicks instants[] = {0,
                                          kelvara::TicksFromSeconds(1'790'000'000),
                                          kelvara::TicksFromSeconds(-2'000'000'000),
                                          kelvara::TicksFromSeconds(4'102'444'800),
                                          seed,
                                          -seed,
                                          INT64_MAX,
                                          INT64_MIN};
    constexpr kelvara::UtcTicks twoDays = 2 * 86'400 * kelvara::kTicksPerSecond;
    const kelvara::UtcTicks calendarStart = kelvara::TicksFromSeconds(-62'000'000'000);
    const kelvara::UtcTicks calendarEnd = kelvara::TicksFromSeconds(253'000'000'000);
    for (const kelvara::UtcTicks utc : instants) {
        const kelvara::UtcTicks local = zone->LocalTimeAt(utc);
        (void)zone->GetRecordAt(utc);
        (void)zone->FormatLocalTime(utc);
        // Offsets are bounded by the reader and the rule parser; a year's record is built once
        // and must give the same answer when asked again.
        if (utc > calendarStart && utc < calendarEnd && (local - utc > twoDays || utc - local > twoDays))
            std::abort();
        if (zone->LocalTimeAt(utc) != local)
            std::abort();
    }
    return 0;
}
