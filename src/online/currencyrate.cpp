#include "online/currencyrate.h"

#include "online/urlescape.h"
#include "text/leadingnumber.h"
#include "text/textcase.h"

#include <algorithm>

std::string BuildRateUrl(std::string_view serviceAddress, std::string_view code)
{
    return std::string(serviceAddress) +
           "/ucc/convert.cgi?Amount=1&From=EUR&To=" + kelvara::EscapeQueryValue(code);
}

bool ParseRatePage(std::string_view page, std::string_view code, double& rate)
{
    constexpr std::string_view kStart = "1 EUR = ";
    const auto marker = page.find(kStart);
    if (marker == std::string_view::npos)
        return false;
    const auto begin = marker + kStart.size();
    const auto end = page.find(code, begin);
    if (end == std::string_view::npos)
        return false;
    std::string digits(kelvara::Trim(page.substr(begin, end - begin)));
    // Commas only ever separate thousands here; a decimal comma is not recognised.
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    rate = kelvara::ReadLeadingDouble(digits);
    return true;
}
