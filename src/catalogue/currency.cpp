#include "catalogue/currency.h"

#include "catalogue/civiltime.h"
#include "catalogue/splitrow.h"
#include "platform/profilestore.h"
#include "text/leadingnumber.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace kelvara {

bool IsPlausibleRate(double rate)
{
    return rate >= kMinPlausibleRate && rate <= kMaxPlausibleRate;
}

bool ReadStoredRate(const std::string& code, StoredRate& stored)
{
    return ReadStoredRate(Profile(), code, stored);
}

bool ReadStoredRate(const ProfileStore& store, const std::string& code, StoredRate& stored)
{
    std::string text;
    if (code.empty() || !store.GetProfileString(kRatesSection, code, text) || text.empty() ||
        text.size() > kMaxRateTextLength)
        return false;
    // Only a usable rate replaces the file's: a stored 0, a negative number, an absurd figure or
    // text that is not a number would make every conversion from this currency meaningless.
    const double rate = ReadLeadingDouble(text);
    if (!IsPlausibleRate(rate))
        return false;
    stored.rate = rate;
    stored.date = store.GetProfileString(kRatesSection, code + kRateDateSuffix);
    stored.source = store.GetProfileString(kRatesSection, code + kRateSourceSuffix);
    if (stored.source.empty())
        stored.source = kRateSourceStored;
    return true;
}

std::vector<ProfileStore::Value> StoredRateValues(const std::string& code, const std::string& text,
                                                  const std::string& date, const std::string& source)
{
    return {{kRatesSection, code, text},
            {kRatesSection, code + kRateDateSuffix, date},
            {kRatesSection, code + kRateSourceSuffix, source}};
}

bool WriteStoredRate(ProfileStore& store, const std::string& code, const std::string& text,
                     const std::string& date, const std::string& source)
{
    // One write: a rate, its day and its source never disagree, whenever the program is stopped.
    return store.WriteProfileStrings(StoredRateValues(code, text, date, source));
}

bool WriteStoredRate(const std::string& code, const std::string& text, const std::string& date,
                     const std::string& source)
{
    return WriteStoredRate(Profile(), code, text, date, source);
}

bool ParseIsoDate(std::string_view text, std::int64_t& days)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    int fields[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f) {
        for (std::size_t i = starts[f]; i < starts[f] + lengths[f]; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            fields[f] = fields[f] * 10 + (text[i] - '0');
        }
    }
    if (fields[1] < 1 || fields[1] > 12 || fields[2] < 1 || fields[2] > DaysInMonth(fields[0], fields[1]))
        return false;
    days = DaysFromCivil(fields[0], fields[1], fields[2]);
    return true;
}

std::string IsoDateFromDays(std::int64_t days)
{
    const CivilTime civil = CivilFromTicks(TicksFromSeconds(days * kSecondsPerDay));
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(civil.year), civil.month,
                  civil.day);
    return text;
}

std::string TodayIsoDate()
{
    return IsoDateFromDays(DaysFromTicks(CurrentUtcTicks()));
}

bool IsRateOutdated(const std::string& date, const std::string& source, const std::string& today)
{
    if (source == kRateSourceFixed)
        return false;
    if (source == kRateSourceBuiltIn)
        return true;
    std::int64_t rateDay = 0;
    std::int64_t now = 0;
    if (!ParseIsoDate(date, rateDay) || !ParseIsoDate(today, now))
        return true;
    return now - rateDay > kRateWarningDays;
}

} // namespace kelvara

bool CCurrency::Parse(const std::string& line)
{
    // Reused from row to row: a category loads hundreds of them.
    thread_local std::vector<std::string> fields;
    if (!SplitRow(line, 4, fields))
        return false;
    m_code = fields[1];
    m_rowName = fields[0];
    m_name = m_rowName + " (" + m_code + ")";
    // Fields come trimmed from the splitter; only "t" in either case marks a fixed rate.
    m_fixed = fields[2] == "t" || fields[2] == "T";
    m_rate = kelvara::ReadLeadingDouble(fields[3]);
    // A rate that is not a positive number (0, negative, text, overflow) cannot convert anything;
    // such a row counts as one without a rate, even when a usable rate is stored for its code.
    if (!(m_rate > 0) || !std::isfinite(m_rate))
        return false;
    // Every rate is a number of units per euro: the euro's own rows (Andorra, Martinique, ...) are
    // 1 for good, whatever a data file or a stored rate of an earlier version says.
    if (m_code == kelvara::kEuroCode) {
        m_fixed = true;
        m_rate = 1;
    }
    if (m_fixed) {
        SetRateOrigin({}, kelvara::kRateSourceFixed);
        return true;
    }
    SetRateOrigin(kelvara::kBuiltInRatesDate, kelvara::kRateSourceBuiltIn);
    ReloadStoredRate();
    return true;
}

void CCurrency::FixRate(double rate)
{
    m_fixed = true;
    m_rate = rate;
    SetRateOrigin({}, kelvara::kRateSourceFixed);
}

void CCurrency::SetRateOrigin(std::string date, std::string source)
{
    m_date = std::move(date);
    m_source = std::move(source);
}

bool CCurrency::ReloadStoredRate()
{
    kelvara::StoredRate stored;
    if (!TakesRates() || !kelvara::ReadStoredRate(m_code, stored))
        return false;
    m_rate = stored.rate;
    SetRateOrigin(stored.date, stored.source);
    return true;
}

std::string CCurrency::Convert(const std::string& source, const CConversionUnit& target) const
{
    const double amount = kelvara::ReadLeadingDouble(source);
    const double result = (target.GetValue() * amount) / m_rate;
    return FormatValue(result);
}
