#include "platform/userregion.h"

#include <cctype>
#include <langinfo.h>
#include <locale.h>

namespace kelvara {

namespace {

const UserRegionSource* g_source = nullptr;

// The item of one category of the environment's locale (LC_ALL, LC_*, LANG); empty when that
// category's locale cannot be loaded.
std::string Item(int mask, nl_item item)
{
    const locale_t locale = newlocale(mask, "", nullptr);
    if (!locale)
        return {};
    const char* value = nl_langinfo_l(item, locale);
    std::string text = value ? value : "";
    freelocale(locale);
    return text;
}

// Letters only, upper case: "USD " -> "USD"; anything else the locale holds is not a code.
std::string Code(const std::string& text, std::size_t length)
{
    std::string code;
    for (const char c : text) {
        if (std::isalpha(static_cast<unsigned char>(c)))
            code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        else if (c != ' ')
            return {};
    }
    return code.size() == length ? code : std::string();
}

class EnvironmentRegion : public UserRegionSource {
public:
    UserRegion Read() const override
    {
        UserRegion region;
        // 1 is metric, 2 the US system; the C locale says 1.
        const std::string measurement = Item(LC_MEASUREMENT_MASK, _NL_MEASUREMENT_MEASUREMENT);
        region.metric = measurement.empty() || measurement[0] != 2;
        region.currency = Code(Item(LC_MONETARY_MASK, INT_CURR_SYMBOL), 3);
        region.country = Code(Item(LC_ADDRESS_MASK, _NL_ADDRESS_COUNTRY_AB2), 2);
        return region;
    }
};

} // namespace

void SetUserRegionSource(const UserRegionSource* source)
{
    g_source = source;
}

UserRegion ReadUserRegion()
{
    static const EnvironmentRegion environment;
    return (g_source ? g_source : &environment)->Read();
}

} // namespace kelvara
