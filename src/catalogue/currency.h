#pragma once

#include "catalogue/conversionunit.h"
#include "platform/profilestore.h"
#include "platform/settingskeys.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// A currency and its rate: units of it per one euro. A floating currency prefers a rate the user
// stored under "Settings\Rates" (by code) over the data file's. Every rate knows its age: the day
// it is of and where it came from.
class CCurrency : public CConversionUnit {
public:
    std::string GetName() const override { return m_name; }
    bool Parse(const std::string& line) override;
    std::string Convert(const std::string& source, const CConversionUnit& target) const override;
    double GetValue() const override { return m_rate; }

    // The row's name as the data file writes it, without the code: "Andorra Euro".
    const std::string& GetRowName() const { return m_rowName; }
    const std::string& GetCode() const { return m_code; }
    bool IsFixed() const { return m_fixed; }
    // A row that follows its successor's rate (kelvara::FindCurrencyLink); set by the category.
    bool IsLinked() const { return m_linked; }
    void SetLinked(bool linked) { m_linked = linked; }
    // Whether the user may give this row a rate of its own (typed or fetched).
    bool TakesRates() const { return !m_fixed && !m_linked; }
    void SetRate(double rate) { m_rate = rate; }
    // Makes the row one of fixed rate `rate` (rows of one code convert alike).
    void FixRate(double rate);
    // The day the rate is of (YYYY-MM-DD; empty when a stored rate does not say) and its source
    // (kelvara::kRateSource...).
    void SetRateOrigin(std::string date, std::string source);
    const std::string& GetRateDate() const { return m_date; }
    const std::string& GetRateSource() const { return m_source; }
    // Takes the rate stored for the code again (after another part of the program stored one);
    // false when none is usable, which leaves the rate as it is.
    bool ReloadStoredRate();

private:
    std::string m_name;
    std::string m_rowName;
    std::string m_code;
    bool m_fixed = false;
    bool m_linked = false;
    double m_rate = 0;
    std::string m_date;
    std::string m_source;
};

namespace kelvara {

// A stored or typed rate text longer than this is not a rate (and would be read on every start).
inline constexpr std::size_t kMaxRateTextLength = 32;
// Units of a currency per euro that can be real: the weakest currencies trade at tens of thousands
// to the euro and the dearest units of account (an ounce of gold, a bitcoin) at thousandths of it
// or less, so a figure beyond these bounds is a fault or an attack, and its conversions would
// overflow or vanish (1e-320 makes every amount infinite).
inline constexpr double kMinPlausibleRate = 1e-9;
inline constexpr double kMaxPlausibleRate = 1e9;
bool IsPlausibleRate(double rate);

// The base of every rate: its rows are fixed at 1, and no document or user gives it another.
inline constexpr const char* kEuroCode = "EUR";

inline constexpr const char* kRateSourceEcb = "ECB";
// The exchange-api project's daily euro document, which covers every currency.
inline constexpr const char* kRateSourceWorld = "exchange-api";
inline constexpr const char* kRateSourceTyped = "typed";
inline constexpr const char* kRateSourceService = "service";
inline constexpr const char* kRateSourceBuiltIn = "built-in";
inline constexpr const char* kRateSourceFixed = "fixed";
// A stored rate from before dates were kept.
inline constexpr const char* kRateSourceStored = "stored";
// The day the rates of the built-in data set are of.
inline constexpr const char* kBuiltInRatesDate = "2026-09-29";

struct StoredRate {
    double rate = 0;
    std::string date;   // empty: not known
    std::string source; // kRateSourceStored when not known
};
// The usable rate stored for `code` (a plausible one), with its date and source.
bool ReadStoredRate(const std::string& code, StoredRate& stored);
bool ReadStoredRate(const ProfileStore& store, const std::string& code, StoredRate& stored);
// The values that store `text` (the rate in neutral notation) for `code` with its date and source,
// for a caller that writes them in one batch with others.
std::vector<ProfileStore::Value> StoredRateValues(const std::string& code, const std::string& text,
                                                  const std::string& date, const std::string& source);
// Stores them, in one write; false when the store refused any of it.
bool WriteStoredRate(ProfileStore& store, const std::string& code, const std::string& text,
                     const std::string& date, const std::string& source);
bool WriteStoredRate(const std::string& code, const std::string& text, const std::string& date,
                     const std::string& source);

// Days since 1970-01-01 of a strict "YYYY-MM-DD" (a real day of the calendar); false otherwise.
bool ParseIsoDate(std::string_view text, std::int64_t& days);
std::string IsoDateFromDays(std::int64_t days);
// Today in universal time, "YYYY-MM-DD" (the clock seam).
std::string TodayIsoDate();
// A rate worth a warning: the built-in one, one of unknown date, or one more than a week older
// than `today`. Fixed rates never age.
inline constexpr int kRateWarningDays = 7;
bool IsRateOutdated(const std::string& date, const std::string& source, const std::string& today);
} // namespace kelvara
