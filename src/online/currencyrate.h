#pragma once

#include <string>
#include <string_view>

class CCurrency;

// Address of the rate service's page that converts one euro into `code`:
// serviceAddress + "/ucc/convert.cgi?Amount=1&From=EUR&To=" + code. Codes are plain letters;
// anything else in one is percent-escaped so that it stays inside the query value.
std::string BuildRateUrl(std::string_view serviceAddress, std::string_view code);

// Cuts the rate out of a page of the rate service: the text between the first "1 EUR = " and the
// first `code` after it, trimmed, with every "," (thousands separator) removed, read by the
// leading-number reading. True with that value, whatever it is (text that is no number gives 0;
// the caller judges the value); false when either marker is missing.
bool ParseRatePage(std::string_view page, std::string_view code, double& rate);

namespace kelvara {

// What the Rate button does with a typed or fetched rate: a rate that is not a positive finite
// number is refused with "Invalid currency rate" (exclamation icon) and changes nothing;
// otherwise it becomes `currency`'s rate and `textToStore` is stored under the currency's code in
// the rates section. True when the rate was taken; the caller then rebuilds its rate line and
// clears its value fields.
bool ApplyRate(CCurrency& currency, double rate, const std::string& textToStore);

// The typed path: `neutralText` (the source-value field in neutral notation, not empty) read as
// the rate and stored as typed.
bool ApplyTypedRate(CCurrency& currency, const std::string& neutralText);

} // namespace kelvara
