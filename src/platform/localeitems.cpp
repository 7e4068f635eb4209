#include "platform/localeitems.h"

#include <climits>
#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <memory>
#include <mutex>

namespace kelvara {

namespace {

const LocaleItemsSource* g_source = nullptr;

// Makes `locale` the calling thread's locale for its life and restores the previous one; the
// process-wide locale, which other code may change, is left alone.
class ScopedThreadLocale {
public:
    explicit ScopedThreadLocale(locale_t locale) : m_previous(uselocale(locale)) {}
    ~ScopedThreadLocale() { uselocale(m_previous); }
    ScopedThreadLocale(const ScopedThreadLocale&) = delete;
    ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;

private:
    locale_t m_previous;
};

class LocaleHandle {
public:
    explicit LocaleHandle(locale_t locale) : m_locale(locale) {}
    ~LocaleHandle()
    {
        if (m_locale)
            freelocale(m_locale);
    }
    LocaleHandle(const LocaleHandle&) = delete;
    LocaleHandle& operator=(const LocaleHandle&) = delete;

    locale_t Get() const { return m_locale; }
    // Replaces the categories in `mask` with the locale `name`; on failure keeps the current ones.
    bool Replace(int mask, const char* name)
    {
        if (locale_t changed = newlocale(mask, name, m_locale)) {
            m_locale = changed;
            return true;
        }
        return false;
    }

private:
    locale_t m_locale;
};

int CharItem(char value)
{
    return value == CHAR_MAX ? -1 : static_cast<int>(value);
}

CLocaleConventions ReadConventions(locale_t locale)
{
    ScopedThreadLocale scope(locale);
    // localeconv follows the thread's locale; its data is copied before anything can change it.
    const lconv* lc = localeconv();
    CLocaleConventions c;
    c.decimalPoint = lc->decimal_point ? lc->decimal_point : "";
    c.thousandsSep = lc->thousands_sep ? lc->thousands_sep : "";
    c.grouping = lc->grouping ? lc->grouping : "";
    c.monDecimalPoint = lc->mon_decimal_point ? lc->mon_decimal_point : "";
    c.monThousandsSep = lc->mon_thousands_sep ? lc->mon_thousands_sep : "";
    c.monGrouping = lc->mon_grouping ? lc->mon_grouping : "";
    c.nCsPrecedes = CharItem(lc->n_cs_precedes);
    c.nSepBySpace = CharItem(lc->n_sep_by_space);
    c.nSignPosn = CharItem(lc->n_sign_posn);
    c.pCsPrecedes = CharItem(lc->p_cs_precedes);
    c.pSepBySpace = CharItem(lc->p_sep_by_space);
    return c;
}

// The variables that decide which locale newlocale(mask, "") loads for numbers and amounts.
std::string EnvironmentKey()
{
    std::string key;
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_MONETARY", "LANG", "LOCPATH"}) {
        const char* value = std::getenv(name);
        key += value ? value : "\x01";
        key += '\0';
    }
    return key;
}

class EnvironmentLocaleItems : public LocaleItemsSource {
public:
    LocaleItems Read() const override { return ReadEnvironmentLocaleItems(); }
};

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

} // namespace

void SetLocaleItemsSource(const LocaleItemsSource* source)
{
    g_source = source;
}

LocaleItems ReadLocaleItems()
{
    static const EnvironmentLocaleItems environment;
    return (g_source ? g_source : &environment)->Read();
}

LocaleItems ReadEnvironmentLocaleItems()
{
    // Loading a locale costs more than a keystroke may take, so the locale object is kept for as
    // long as the variables that name it stay the same; its items are still read at every call.
    static std::mutex mutex;
    static std::string key;
    static std::unique_ptr<LocaleHandle> locale;
    std::lock_guard lock(mutex);
    std::string now = EnvironmentKey();
    if (!locale || now != key) {
        auto fresh = std::make_unique<LocaleHandle>(newlocale(LC_ALL_MASK, "C", nullptr));
        if (!fresh->Get())
            return MapLocaleConventions({".", "", "", "", "", "", -1, -1, -1, -1, -1});
        // Each category on its own, so that a broken LANG does not also lose a valid LC_NUMERIC.
        fresh->Replace(LC_NUMERIC_MASK, "");
        fresh->Replace(LC_MONETARY_MASK, "");
        locale = std::move(fresh);
        key = std::move(now);
    }
    return MapLocaleConventions(ReadConventions(locale->Get()));
}

bool ReadNamedLocaleItems(const char* name, LocaleItems& items)
{
    LocaleHandle locale(newlocale(LC_NUMERIC_MASK | LC_MONETARY_MASK, name, nullptr));
    if (!locale.Get())
        return false;
    items = MapLocaleConventions(ReadConventions(locale.Get()));
    return true;
}

std::string GroupingItem(std::string_view cGrouping)
{
    std::string item;
    for (const char c : cGrouping) {
        const int size = static_cast<unsigned char>(c);
        // CHAR_MAX (or a size the item cannot express) ends the grouping.
        if (size == CHAR_MAX || size <= 0 || size > 9)
            return item.empty() ? "0" : item;
        if (!item.empty())
            item += ';';
        item += static_cast<char>('0' + size);
    }
    // The end of the list repeats the last size.
    return item.empty() ? "0" : item + ";0";
}

int NegativeCurrencyPattern(int csPrecedes, int sepBySpace, int signPosn)
{
    if (!InRange(csPrecedes, 0, 1))
        csPrecedes = 1;
    if (!InRange(sepBySpace, 0, 2))
        sepBySpace = 0;
    if (!InRange(signPosn, 0, 4))
        signPosn = 1;
    // The patterns only know a space between the symbol and the number; a space the C library
    // puts between the sign and the symbol has no pattern and is left out.
    const bool spaced = sepBySpace == 1;
    if (csPrecedes) {
        // ($1.1) ($ 1.1), -$1.1 -$ 1.1, $1.1- $ 1.1-, the sign before the symbol: -$1.1 -$ 1.1,
        // the sign after it: $-1.1 $ -1.1.
        switch (signPosn) {
        case 0:
            return sepBySpace ? 14 : 0;
        case 1:
        case 3:
            return spaced ? 9 : 1;
        case 2:
            return spaced ? 11 : 3;
        default:
            return sepBySpace ? 12 : 2;
        }
    }
    // (1.1$) (1.1 $), -1.1$ -1.1 $, 1.1$- 1.1 $-, the sign before the symbol: 1.1-$ 1.1- $, the
    // sign after it: 1.1$- 1.1 $-.
    switch (signPosn) {
    case 0:
        return sepBySpace ? 15 : 4;
    case 1:
        return spaced ? 8 : 5;
    case 3:
        return sepBySpace ? 13 : 6;
    default:
        return spaced ? 10 : 7;
    }
}

int PositiveCurrencyPattern(int csPrecedes, int sepBySpace)
{
    if (!InRange(csPrecedes, 0, 1))
        csPrecedes = 1;
    const bool spaced = sepBySpace == 1;
    if (csPrecedes)
        return spaced ? 2 : 0; // $ 1.1  $1.1
    return spaced ? 3 : 1;     // 1.1 $  1.1$
}

LocaleItems MapLocaleConventions(const CLocaleConventions& c)
{
    LocaleItems items;
    items.decimal = c.decimalPoint.empty() ? "." : c.decimalPoint;
    items.thousand = c.thousandsSep;
    items.grouping = GroupingItem(c.grouping);
    // The C library knows neither a leading-zero choice nor a layout for negative plain numbers.
    items.leadingZero = 1;
    items.negativeNumber = 1;
    // The "C" locale leaves the monetary items empty; amounts then read like plain numbers.
    const bool monetary = !c.monDecimalPoint.empty();
    items.monDecimal = monetary ? c.monDecimalPoint : items.decimal;
    items.monThousand = monetary ? c.monThousandsSep : items.thousand;
    items.monGrouping = monetary ? GroupingItem(c.monGrouping) : items.grouping;
    items.negativeCurrency = NegativeCurrencyPattern(c.nCsPrecedes, c.nSepBySpace, c.nSignPosn);
    items.positiveCurrency = PositiveCurrencyPattern(c.pCsPrecedes, c.pSepBySpace);
    return items;
}

} // namespace kelvara
