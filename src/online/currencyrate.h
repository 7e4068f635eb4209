#pragma once

#include <string>
#include <string_view>

// Address of the rate service's page that converts one euro into `code`:
// serviceAddress + "/ucc/convert.cgi?Amount=1&From=EUR&To=" + code. Codes are plain letters;
// anything else in one is percent-escaped so that it stays inside the query value.
std::string BuildRateUrl(std::string_view serviceAddress, std::string_view code);

// Cuts the rate out of a page of the rate service: the text between the first "1 EUR = " and the
// first `code` after it, trimmed, with every "," (thousands separator) removed, read by the
// leading-number reading. True with that value, whatever it is (text that is no number gives 0;
// the caller judges the value); false when either marker is missing.
bool ParseRatePage(std::string_view page, std::string_view code, double& rate);
