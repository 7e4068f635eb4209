#include "online/referencerates.h"

#include "catalogue/civiltime.h"
#include "catalogue/currency.h"
#include "platform/profilestore.h"

namespace kelvara {

std::string LastPublicationDate(std::int64_t nowTicks)
{
    constexpr std::int64_t kPublicationSecond = 15 * 3600;
    const std::int64_t seconds = SecondsFromTicks(nowTicks);
    std::int64_t day = seconds / kSecondsPerDay;
    if (seconds % kSecondsPerDay < 0)
        --day;
    if (seconds - day * kSecondsPerDay < kPublicationSecond)
        --day;
    // 1970-01-01 was a Thursday: day 0 has weekday 4 (0 = Sunday).
    const auto weekday = [](std::int64_t d) { return static_cast<int>(((d % 7) + 7 + 4) % 7); };
    while (weekday(day) == 0 || weekday(day) == 6)
        --day;
    return IsoDateFromDays(day);
}

bool AreReferenceRatesDue(std::int64_t nowTicks, const ProfileStore& store)
{
    std::int64_t stored = 0;
    std::int64_t published = 0;
    if (!ParseIsoDate(store.GetProfileString(kRatesSection, kReferenceRatesDateEntry), stored))
        return true;
    ParseIsoDate(LastPublicationDate(nowTicks), published);
    return stored < published;
}

} // namespace kelvara
