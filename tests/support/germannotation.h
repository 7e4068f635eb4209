#pragma once

#include "platform/localeitems.h"

namespace kelvara::test {

// The regional notation of a German locale (decimal comma, thousands point) for as long as it lives.
class GermanNotation {
public:
    GermanNotation() : m_items(Items()) { SetLocaleItemsSource(&m_items); }
    ~GermanNotation() { SetLocaleItemsSource(nullptr); }
    GermanNotation(const GermanNotation&) = delete;
    GermanNotation& operator=(const GermanNotation&) = delete;

private:
    static LocaleItems Items()
    {
        LocaleItems german;
        german.decimal = german.monDecimal = ",";
        german.thousand = german.monThousand = ".";
        return german;
    }

    FixedLocaleItems m_items;
};

} // namespace kelvara::test
