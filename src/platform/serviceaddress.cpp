#include "platform/serviceaddress.h"

#include "platform/profilestore.h"
#include "platform/settingskeys.h"
#include "text/textcase.h"

#include "kelvara/addresses.h"

namespace kelvara {

namespace {

bool IsHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsPathChar(char c, bool allowAt)
{
    if (c == '@')
        return allowAt;
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F)
        return false;
    switch (c) {
    case '"':
    case '<':
    case '>':
    case '\\':
    case '`':
    case '{':
    case '}':
    case '|':
    case '^':
    case '?':
    case '#':
        return false;
    default:
        return true;
    }
}

std::string TrimTrailingSlashes(std::string address)
{
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

std::string Configured(const char* entry, const char* builtIn, bool allowAt = false)
{
    std::string value;
    if (Profile().GetProfileString(kOptionsSection, entry, value) && IsWebAddress(value, allowAt))
        return value;
    return builtIn;
}

} // namespace

bool IsWebAddress(std::string_view address, bool allowAtInPath)
{
    std::string_view rest;
    if (StartsWithNoCase(address, "https://"))
        rest = address.substr(8);
    else if (StartsWithNoCase(address, "http://"))
        rest = address.substr(7);
    else
        return false;

    std::size_t i = 0;
    while (i < rest.size() && IsHostChar(rest[i]))
        ++i;
    if (i == 0 || rest[0] == '.' || rest[0] == '-')
        return false;
    if (i < rest.size() && rest[i] == ':') {
        const std::size_t start = ++i;
        while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9')
            ++i;
        if (i == start || i - start > 5)
            return false;
    }
    if (i < rest.size() && rest[i] != '/')
        return false;
    for (; i < rest.size(); ++i)
        if (!IsPathChar(rest[i], allowAtInPath))
            return false;
    return true;
}

std::string ServiceAddress()
{
    return TrimTrailingSlashes(Configured(kServiceUrl, KELVARA_DEFAULT_SERVICE_URL));
}

std::string RateServicePageAddress()
{
    return ServiceAddress() + "/ucc/";
}

std::string UpdateServiceAddress()
{
    return TrimTrailingSlashes(Configured(kUpdateServiceUrl, KELVARA_DEFAULT_UPDATE_URL));
}

std::string HomePageAddress()
{
    return Configured(kHomePageUrl, KELVARA_DEFAULT_HOME_URL);
}

std::string ReferenceRatesAddress()
{
    return Configured(kReferenceRatesUrl, KELVARA_DEFAULT_REFERENCE_RATES_URL);
}

std::vector<std::string> WorldRatesAddresses()
{
    std::string value;
    if (Profile().GetProfileString(kOptionsSection, kWorldRatesUrl, value) && IsWebAddress(value, true))
        return {value};
    return {KELVARA_DEFAULT_WORLD_RATES_URL, KELVARA_DEFAULT_WORLD_RATES_FALLBACK_URL};
}

} // namespace kelvara
