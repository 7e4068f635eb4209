#pragma once

#include "catalogue/category.h"
#include "catalogue/currency.h"

#include <optional>

// Currencies. Adds the rate line shown above the result, read against one euro or one US dollar.
// The first unit of the data file must be the US dollar: the dollar rate line divides by it.
class CCurrencyCategory : public CCategory {
public:
    CCurrencyCategory();

    bool SeparatorBelowUnits() const override { return false; }
    unsigned GetSourceUnitLabelId() const override { return kelvara::IDS_SOURCE_CURRENCY_LABEL; }
    unsigned GetTargetUnitLabelId() const override { return kelvara::IDS_TARGET_CURRENCY_LABEL; }
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CCurrency>(); }
    // The row's name (territory and currency) in the user's language, then its code.
    std::string GetUnitText(const CBaseUnit& unit) const override;
    // Selections are kept as rows of the data file, which only grows at its end: new currencies
    // never move what the user chose. Versions before that kept positions in the list of the
    // built-in rows of their day.
    int FromEarlierListPosition(int position) const override;

    // "1 € = 1.29301" or "US$ 1 = 0.773389..." for `source`; the number in regional notation
    // when `regional` is set.
    std::string GetRateLine(const CCurrency& source, bool regional) const;
    // Where the rate line's number comes from: the source currency's rate, or with the dollar
    // reference the older of it and the dollar's (a fixed rate counts as the newest).
    struct RateOrigin {
        std::string date;
        std::string source;
    };
    RateOrigin GetRateLineOrigin(const CCurrency& source) const;
    // Every floating currency takes the rate stored for its code again (after an update stored
    // new ones); true when any changed.
    bool ReloadStoredRates();
    // The row whose rate stands for `code`: its first floating row, else its first fixed one (a
    // floating row follows the market, so it is the code's rate); null when no row has the code.
    // Rows that take a successor's rate (ApplyLinks) count only with `linked`.
    const CCurrency* FindRateRow(std::string_view code, bool linked = true) const;
    // Every row of a superseded code (kelvara::FindCurrencyLink) takes its successor's rate times
    // the ratio, with the successor's day and source.
    void ApplyLinks();
    // Rows of one code convert alike: a fixed row fixes every row of its code, else the code's
    // first row gives the rate of the others (a data file of the user's own may differ in them).
    void AlignCodes();
    // Flips between the euro and the dollar reference and stores the choice at once.
    void ToggleEuroReference();
    bool IsEuroReference() const;

protected:
    void OnUnitsLoaded() override;

private:
    // Read from the settings when first needed: making the catalogue reads no settings.
    mutable std::optional<bool> m_euroReference;
};
