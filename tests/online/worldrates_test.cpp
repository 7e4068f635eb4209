#include "online/worldrates.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kelvara {
namespace {

constexpr const char* kToday = "2026-12-08";

TEST(WorldRatesDocument, ReadsTheDayAndTheCurrenciesSkippingTokens)
{
    WorldRates rates;
    std::string why;
    // Tokens, keys of three characters that are not letters, a text or an array or object under a
    // currency key outside "eur" (before it or after it), and an "eur" below the top are skipped;
    // only the top-level "date" is the date.
    ASSERT_TRUE(ParseWorldRates(R"({"date": "2026-12-08", "btc": {"usd": 9e4}, "eur": {"1inch": {"a": 1},
                                    "usd": 1.136, "ars": 1732, "doge": 0, "xau": 2.75e-4, "spam": "text",
                                    "1in": 5, "u$d": 6, "us": 7, "zar": 20.1, "AZN": 1.98}, "jpy": {"usd": 1},
                                    "note": "2001-01-01", "other": [1, {"date": "2001-01-01"}],
                                    "gbp": [1], "x": {"eur": {"usd": "text"}}})",
                                kToday, rates, why))
        << why;
    EXPECT_EQ(rates.date, "2026-12-08");
    EXPECT_EQ(rates.rates,
              (std::vector<std::pair<std::string, double>>{
                  {"USD", 1.136}, {"ARS", 1732}, {"XAU", 2.75e-4}, {"ZAR", 20.1}, {"AZN", 1.98}}));

    // At the limits, not beyond them: nested 16 deep, 4 MB long.
    const std::string deep = R"({"date": "2026-12-08", "eur": {"usd": 1.1}, "x": )" + std::string(15, '[') +
                             std::string(15, ']') + "}";
    std::string large = R"({"date": "2026-12-08", "eur": {"usd": 1.1}})";
    large.resize(kMaxWorldRatesSize, ' ');
    for (const std::string& document : {deep, large}) {
        ASSERT_TRUE(ParseWorldRates(document, kToday, rates, why)) << why;
        EXPECT_EQ(rates.rates.size(), 1u);
    }
}

TEST(WorldRatesDocument, BadDocumentsChangeNothingAndSayWhy)
{
    const struct {
        std::string document;
        const char* why;
    } cases[] = {
        {"<html>", "the document is not JSON (at byte 1)"},
        {"[1, 2]", "the document is not an object"},
        {"\"eur\"", "the document is not an object"},
        {R"({"eur": {"usd": 1.1}})", "the document has no date"},
        {R"({"date": "2026-12-08"})", "the document gives no euro rates"},
        {R"({"date": "2026-12-08", "usd": {"eur": 0.9}})", "the document gives no euro rates"},
        {R"({"date": "2026-12-08", "eur": {}})", "the document gives no euro rates"},
        {R"({"date": 20261208, "eur": {"usd": 1.1}})", "the date is not a text"},
        {R"({"date": "2026-02-30", "eur": {"usd": 1.1}})", "the date \"2026-02-30\" is not a date"},
        {R"({"date": "2026-12-10", "eur": {"usd": 1.1}})",
         "the document's date 2026-12-10 lies in the future"},
        {R"({"date": "2026-12-08", "eur": {"usd": "1.1"}})", "the rate of USD is not a number but text"},
        {R"({"date": "2026-12-08", "eur": {"usd": null}})", "the rate of USD is not a number but null"},
        {R"({"date": "2026-12-08", "eur": {"usd": 0}})", "the rate of USD is not a positive number"},
        {R"({"date": "2026-12-08", "eur": {"usd": -1.1}})", "the rate of USD is not a positive number"},
        {R"({"date": "2026-12-08", "eur": {"usd": 1e400}})", "the document is not JSON (at byte 43)"},
        {R"({"date": "2026-12-08", "eur": {"usd": {"x": 1}}})", "the rate of USD is not a number"},
        {R"({"date": "2026-12-08", "eur": {"usd": [1]}})", "the rate of USD is not a number"},
        {R"({"date": "2026-12-08", "eur": {"usd": true}})",
         "the rate of USD is not a number but a truth value"},
        {R"({"date": "2026-12-08x", "eur": {"usd": 1.1}})", "the date \"2026-12-08x\" is not a date"},
        {R"({"date": "2026/12-08", "eur": {"usd": 1.1}})", "the date \"2026/12-08\" is not a date"},
        {R"({"date": "2026-12/08", "eur": {"usd": 1.1}})", "the date \"2026-12/08\" is not a date"},
        {R"({"date": "2026-13-08", "eur": {"usd": 1.1}})", "the date \"2026-13-08\" is not a date"},
        {R"({"date": "2026-00-08", "eur": {"usd": 1.1}})", "the date \"2026-00-08\" is not a date"},
        {R"({"date": "2026-12-00", "eur": {"usd": 1.1}})", "the date \"2026-12-00\" is not a date"},
        {R"({"date": "202a-12-08", "eur": {"usd": 1.1}})", "the date \"202a-12-08\" is not a date"},
        {R"({"date": "2026-1 -08", "eur": {"usd": 1.1}})", "the date \"2026-1 -08\" is not a date"},
        {R"({"date": "2026-12-08", "eur": {"usd": 1.1, "usd": 1.2}})", "the rate of USD appears twice"},
        {R"({"date": "2026-12-08", "eur": {"afn": 70.1, "AFN": 9999.9}})", "the rate of AFN appears twice"},
        // What the server chose reaches a terminal cut short and without control characters.
        {"{\"date\": \"2026-12-08\", \"\\u001b]0;x\\u0007\\u001b[31m" + std::string(100, 'k') +
             "\": 1, \"\\u001b]0;x\\u0007\\u001b[31m" + std::string(100, 'k') + "\": 2}",
         "the key \"?]0;x??[31mkkkkkkkkkkkkkkkkkkkkkkkkkkkkk...\" appears twice"},
        {R"({"date": "\u001b[2J2026-12-08", "eur": {"usd": 1.1}})",
         "the date \"?[2J2026-12-08\" is not a date"},
        {R"({"date": "2026-12-08", "date": "2026-12-07", "eur": {"usd": 1.1}})",
         "the key \"date\" appears twice"},
        {R"({"date": "2026-12-08", "eur": {"usd": 1.1}} x)", "the document is not JSON (at byte 45)"},
        {[] {
             std::string deep = R"({"date": "2026-12-08", "eur": {"usd": 1.1}, "x": )";
             for (int i = 0; i < 20; ++i)
                 deep += "[";
             return deep + std::string(20, ']') + "}";
         }(),
         "the document is nested too deeply"},
        {std::string(kMaxWorldRatesSize + 1, ' '), "the document is larger than 4 MB"},
    };
    for (const auto& c : cases) {
        WorldRates rates;
        rates.date = "left over";
        std::string why;
        EXPECT_FALSE(ParseWorldRates(c.document, kToday, rates, why)) << c.document.substr(0, 80);
        EXPECT_EQ(why, c.why) << c.document.substr(0, 80);
        EXPECT_TRUE(rates.rates.empty() && rates.date.empty());
    }
}

} // namespace
} // namespace kelvara
