// The rate page as a server may send it: the first line of the input is the currency code, the
// rest the page.
#include "online/currencyrate.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::string_view code =
        newline == std::string_view::npos ? std::string_view("USD") : input.substr(0, newline);
    const std::string_view page = newline == std::string_view::npos ? input : input.substr(newline + 1);
    double rate = 0;
    if (ParseRatePage(page, code, rate)) {
        // The value is the caller's to judge; reading it must never crash whatever it is.
        volatile bool usable = rate > 0;
        (void)usable;
    }
    (void)BuildRateUrl("https://rates.example", code);
    return 0;
}
