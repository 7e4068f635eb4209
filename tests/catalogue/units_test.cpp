#include "catalogue/countrycode.h"
#include "catalogue/currency.h"
#include "catalogue/defaultunit.h"
#include "catalogue/number.h"
#include "catalogue/sensitivity.h"
#include "catalogue/temperature.h"
#include "platform/profilestore.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string FormatValueOf(double v);

template <typename Unit> std::unique_ptr<Unit> Make(const std::string& row)
{
    auto unit = std::make_unique<Unit>();
    EXPECT_TRUE(unit->Parse(row)) << row;
    return unit;
}

template <typename Unit> bool Accepts(const std::string& row)
{
    Unit unit;
    return unit.Parse(row);
}

// ---- linear and compound units

class LinearUnits : public testing::Test {
protected:
    std::unique_ptr<CDefaultUnit> meter = Make<CDefaultUnit>("meter (m),1");
    std::unique_ptr<CDefaultUnit> km = Make<CDefaultUnit>("kilometer (km),1000");
    std::unique_ptr<CDefaultUnit> mile = Make<CDefaultUnit>(R"r("mile (US: mi, UK: ml)",1609.344)r");
    std::unique_ptr<CDefaultUnit> footInch =
        Make<CDefaultUnit>(R"r("foot and inch (ft. in.)",*,0.3048,"ft",12,"in","x ft y in, 1ft = 12in")r");
    std::unique_ptr<CDefaultUnit> kg = Make<CDefaultUnit>("kilogram (kg),1000");
    std::unique_ptr<CDefaultUnit> poundOunce = Make<CDefaultUnit>(
        R"r("pound and ounce (lb. oz.)",*,453.59237,"lb",16,"oz","x lb y oz, 1lb = 16oz")r");
};

TEST_F(LinearUnits, WorkedExamples)
{
    EXPECT_EQ(meter->Convert("1.75", *footInch), "5 ft 8 in");
    EXPECT_EQ(footInch->Convert("5.9", *meter), "1.7526");
    EXPECT_EQ(footInch->Convert("5.10", *meter), "1.7779998984");
    EXPECT_EQ(kg->Convert("1", *poundOunce), "2 lb 3 oz");
    EXPECT_EQ(mile->Convert("1", *km), "1.609344");
    EXPECT_EQ(mile->GetName(), "mile (US: mi, UK: ml)");
}

TEST_F(LinearUnits, CompoundSourceSplitsAtTheFirstPointOnly)
{
    EXPECT_EQ(footInch->Convert("5.9", *footInch), "5 ft 9 in");
    EXPECT_EQ(footInch->Convert("5", *footInch), "5 ft 0 in");
    EXPECT_EQ(footInch->Convert("5.", *footInch), "5 ft 0 in");
    // A leading point is not a split: half a foot.
    EXPECT_EQ(footInch->Convert(".5", *footInch), "0 ft 6 in");
    // 5 + 6.7/12 feet.
    EXPECT_EQ(footInch->Convert("5.6.7", *meter), "1.6941798984");
}

TEST_F(LinearUnits, CompoundTargetTruncatesBothParts)
{
    auto plain = Make<CDefaultUnit>("foot,1");
    auto pair = Make<CDefaultUnit>("feet and inches,*,1,ft,12,in");
    EXPECT_EQ(plain->Convert("-5.5", *pair), "-5 ft -6 in");
    // 8.9 inches show as 8.
    EXPECT_EQ(meter->Convert("0.22606", *footInch), "0 ft 8 in");
    // Values beyond the integer range do not overflow.
    EXPECT_NO_THROW(meter->Convert("1e300", *footInch));
}

TEST_F(LinearUnits, UnreadableSourceConvertsAsZero)
{
    EXPECT_EQ(meter->Convert("abc", *km), "0");
    auto ev = Make<CDefaultUnit>("electron volt (eV),0.0000000000000000001602");
    auto joule = Make<CDefaultUnit>("joule (J),1");
    // A result too small for fifteen decimals is not zero and does not read so.
    EXPECT_EQ(ev->Convert("1", *joule), "0.0000000000000000001602");
}

TEST(LinearUnitRows, AcceptanceRules)
{
    EXPECT_FALSE(Accepts<CDefaultUnit>("zero,0"));
    EXPECT_FALSE(Accepts<CDefaultUnit>("word,abc"));
    EXPECT_FALSE(Accepts<CDefaultUnit>("lonely"));
    EXPECT_FALSE(Accepts<CDefaultUnit>(";unit,value,comment"));
    EXPECT_TRUE(Accepts<CDefaultUnit>("negative,-3"));
    EXPECT_TRUE(Accepts<CDefaultUnit>("[US] section,  2590000"));
    EXPECT_FALSE(Accepts<CDefaultUnit>("short,*,1,a,12"));
    EXPECT_FALSE(Accepts<CDefaultUnit>("no ratio,*,1,a,0,b"));
    EXPECT_FALSE(Accepts<CDefaultUnit>("no factor,*,0,a,12,b"));
    // A star with blanks or in quotes is compound; two stars are a standard row with factor 0.
    CDefaultUnit spaced;
    ASSERT_TRUE(spaced.Parse("x, * ,2,a,12,b"));
    EXPECT_TRUE(spaced.IsCompound());
    CDefaultUnit quoted;
    ASSERT_TRUE(quoted.Parse(R"r(x,"*",2,a,12,b)r"));
    EXPECT_TRUE(quoted.IsCompound());
    EXPECT_FALSE(Accepts<CDefaultUnit>("x,**,2,a,12,b"));
}

// ---- temperature

class Temperatures : public testing::Test {
protected:
    std::unique_ptr<CTemperature> c = Make<CTemperature>("° Celsius (°C),1");
    std::unique_ptr<CTemperature> f = Make<CTemperature>("° Fahrenheit (°F),2");
    std::unique_ptr<CTemperature> r = Make<CTemperature>("° Rankine (°Ra),3");
    std::unique_ptr<CTemperature> re = Make<CTemperature>("° Réaumur (°Ré),4");
    std::unique_ptr<CTemperature> k = Make<CTemperature>("Kelvin (K),5");
    std::unique_ptr<CTemperature> odd = Make<CTemperature>("Odd,9");
};

TEST_F(Temperatures, KnownPoints)
{
    EXPECT_EQ(c->Convert("100", *f), "212");
    EXPECT_EQ(c->Convert("-40", *f), "-40");
    EXPECT_EQ(f->Convert("98.6", *c), "37");
    EXPECT_EQ(f->Convert("100", *c), "37.7777777777778");
    // Seventeen significant digits show the doubles as they are, not rounded to two places.
    EXPECT_EQ(k->Convert("0", *c), "-273.15");
    EXPECT_EQ(r->Convert("0", *c), "-273.15");
    EXPECT_EQ(re->Convert("0", *r), "491.67");
    EXPECT_EQ(r->Convert("491.67", *re), "0");
    EXPECT_EQ(c->Convert("1e2", *c), "100");
    EXPECT_EQ(c->Convert("abc", *f), "32");
}

TEST_F(Temperatures, EveryRouteHasItsInverse)
{
    // Round trips through every pair land back within rounding.
    const CTemperature* scales[] = {c.get(), f.get(), r.get(), re.get(), k.get()};
    for (const auto* a : scales)
        for (const auto* b : scales) {
            const double there = std::stod(a->Convert("37.5", *b));
            char text[64];
            std::snprintf(text, sizeof text, "%.17g", there);
            EXPECT_NEAR(std::stod(b->Convert(text, *a)), 37.5, 1e-9)
                << a->GetName() << " -> " << b->GetName();
        }
}

TEST_F(Temperatures, UnknownCodesPassValuesThrough)
{
    EXPECT_EQ(odd->Convert("12.5", *c), "12.5");
    EXPECT_EQ(c->Convert("12.5", *odd), "12.5");
    EXPECT_FALSE(Accepts<CTemperature>("only a name"));
}

// ---- number bases and Roman numerals

class Numbers : public testing::Test {
protected:
    std::unique_ptr<CNumber> bin = Make<CNumber>("Binary,2");
    std::unique_ptr<CNumber> dec = Make<CNumber>("Decimal,10");
    std::unique_ptr<CNumber> oct = Make<CNumber>("Octal,8");
    std::unique_ptr<CNumber> hex = Make<CNumber>("Hexadecimal,16");
    std::unique_ptr<CNumber> b36 = Make<CNumber>("Base36,36");
    std::unique_ptr<CNumber> roman = Make<CNumber>("Roman (1-3999),100");
};

TEST_F(Numbers, Conversions)
{
    EXPECT_EQ(hex->Convert("FF", *dec), "255");
    EXPECT_EQ(hex->Convert("ff", *dec), "255");
    EXPECT_EQ(dec->Convert("255", *bin), "11111111");
    EXPECT_EQ(dec->Convert("255", *roman), "CCLV");
    EXPECT_EQ(dec->Convert("255", *b36), "73");
    EXPECT_EQ(roman->Convert("MCMXCIV", *dec), "1994");
    EXPECT_EQ(dec->Convert("3999", *roman), "MMMCMXCIX");
    EXPECT_EQ(b36->Convert("Z", *dec), "35");
    EXPECT_EQ(oct->Convert("777", *hex), "1FF");
    EXPECT_EQ(dec->Convert("9223372036854775807", *hex), "7FFFFFFFFFFFFFFF");
}

TEST_F(Numbers, FailuresReadAsHashes)
{
    for (const char* bad : {"4000", "0", "4294967297"})
        EXPECT_EQ(dec->Convert(bad, *roman), "####") << bad;
    for (const char* bad : {"MMMM", "IIII", "VV", "IC", "XM", "mcm", "IXI", "VX"})
        EXPECT_EQ(roman->Convert(bad, *dec), "####") << bad;
    EXPECT_EQ(bin->Convert("2", *dec), "####");
    EXPECT_EQ(dec->Convert("-5", *bin), "####");
    EXPECT_EQ(dec->Convert("1.5", *bin), "####");
    EXPECT_EQ(dec->Convert("1 000", *bin), "####");
}

TEST_F(Numbers, ZeroAndOverflowAreClear)
{
    // Zero prints as a digit, not as an empty result.
    EXPECT_EQ(dec->Convert("0", *hex), "0");
    EXPECT_EQ(dec->Convert("000", *bin), "0");
    EXPECT_EQ(roman->Convert("", *dec), "0");
    // Values above 2^63 - 1 are refused instead of wrapping around.
    EXPECT_EQ(dec->Convert("9223372036854775808", *hex), "####");
    EXPECT_EQ(dec->Convert("18446744073709551617", *dec), "####");
    EXPECT_EQ(hex->Convert("10000000000000001", *dec), "####");
}

TEST_F(Numbers, EveryRomanNumeralRoundTrips)
{
    for (int v = 1; v <= 3999; ++v) {
        const std::string r = dec->Convert(std::to_string(v), *roman);
        ASSERT_EQ(roman->Convert(r, *dec), std::to_string(v)) << r;
    }
}

TEST_F(Numbers, InputCharactersAndRows)
{
    EXPECT_EQ(bin->GetInputChars(), "01");
    EXPECT_EQ(hex->GetInputChars(), "0123456789ABCDEF");
    EXPECT_EQ(roman->GetInputChars(), "MDCLXVI");
    EXPECT_EQ(Make<CNumber>("Base 5,5")->GetInputChars(), "");
    EXPECT_FALSE(Accepts<CNumber>("Unary,1"));
    EXPECT_FALSE(Accepts<CNumber>("Nothing,abc"));
}

// ---- lookup rows

TEST(SensitivityRows, ColumnsAndMissingValues)
{
    auto row = Make<CSensitivity>("21,100,");
    EXPECT_EQ(row->GetColumnText(CSensitivity::ColumnAsa), "100");
    EXPECT_EQ(row->GetColumnText(CSensitivity::ColumnDin), "21");
    EXPECT_EQ(row->GetColumnText(2), "n/a");
    EXPECT_EQ(row->GetName(), "");
    EXPECT_EQ(Make<CSensitivity>("37,abc")->GetColumnText(CSensitivity::ColumnAsa), "0");
    EXPECT_EQ(Make<CSensitivity>("-1,12")->GetColumnText(CSensitivity::ColumnDin), "n/a");
    EXPECT_FALSE(Accepts<CSensitivity>("21"));
}

TEST(CountryRows, CodeAndPrefixColumn)
{
    auto andorra = Make<CCountryCode>("ad,376,18,17,19,Andorra");
    EXPECT_EQ(andorra->GetColumnText(CCountryCode::ColumnCodeAndPrefix), "AD / +376");
    EXPECT_EQ(andorra->GetColumnText(CCountryCode::ColumnFire), "18");
    EXPECT_EQ(andorra->GetColumnText(CCountryCode::ColumnRescue), "17");
    EXPECT_EQ(andorra->GetColumnText(CCountryCode::ColumnPolice), "19");
    EXPECT_EQ(andorra->GetName(), "Andorra");
    EXPECT_EQ(Make<CCountryCode>("am,374,01,03,02,Armenia")->GetColumnText(CCountryCode::ColumnFire), "01");
    EXPECT_EQ(Make<CCountryCode>(",871,,,,[INMARSAT - Oriental Atlantic Ocean]")->GetColumnText(0), "+871");
    EXPECT_EQ(Make<CCountryCode>("gs,,,,,South Georgia and South Sandwich Islands")->GetColumnText(0), "GS");
    EXPECT_EQ(Make<CCountryCode>(R"r(cg,242,,,,"Congo, Republic of")r")->GetName(), "Congo, Republic of");
    EXPECT_EQ(Make<CCountryCode>("x,1,2,3,4,Name,extra")->GetName(), "Name");
    EXPECT_EQ(andorra->GetColumnText(6), "n/a");
    EXPECT_FALSE(Accepts<CCountryCode>("ad,376,18,17,19"));
}

// ---- currencies

class Currencies : public testing::Test {
protected:
    void SetUp() override { kelvara::SetProfile(&store); }
    void TearDown() override { kelvara::SetProfile(nullptr); }
    kelvara::MemoryProfileStore store;
};

TEST_F(Currencies, RowsAndConversion)
{
    auto usd = Make<CCurrency>("United States Dollars,USD,F,1.29301");
    auto eur = Make<CCurrency>("Euro,EUR,T,1");
    EXPECT_EQ(usd->GetName(), "United States Dollars (USD)");
    EXPECT_EQ(usd->GetCode(), "USD");
    EXPECT_FALSE(usd->IsFixed());
    EXPECT_TRUE(eur->IsFixed());
    EXPECT_EQ(eur->Convert("100", *usd), FormatValueOf((1.29301 * 100) / 1));
    EXPECT_EQ(usd->Convert("129.301", *eur), FormatValueOf((1 * 129.301) / 1.29301));
    EXPECT_EQ(Make<CCurrency>("Madagascar *Franc,MGF,T,8.59896e-005")->GetValue(), 8.59896e-005);
}

TEST_F(Currencies, FixedFlag)
{
    EXPECT_TRUE(Make<CCurrency>("a,AAA, t ,1")->IsFixed());
    EXPECT_FALSE(Make<CCurrency>("a,AAA,true,1")->IsFixed());
    EXPECT_FALSE(Make<CCurrency>("a,AAA,,1")->IsFixed());
    EXPECT_FALSE(Accepts<CCurrency>("a,AAA,F"));
}

TEST_F(Currencies, StoredRatesReplaceFloatingRatesOnly)
{
    store.WriteProfileString("Settings\\Rates", "USD", "1.25");
    store.WriteProfileString("Settings\\Rates", "EUR", "2");
    EXPECT_EQ(Make<CCurrency>("American Samoa United States Dollar,USD,F,1.29301")->GetValue(), 1.25);
    EXPECT_EQ(Make<CCurrency>("Andorra Euro,EUR,F,1")->GetValue(), 1) << "the euro is the base of every rate";
    EXPECT_EQ(Make<CCurrency>("Euro,EUR,T,1")->GetValue(), 1);
}

TEST_F(Currencies, UnusableStoredRatesAreIgnored)
{
    for (const char* stored : {"0", "", "abc", "-3", "1e999"}) {
        store.WriteProfileString("Settings\\Rates", "JPY", stored);
        EXPECT_EQ(Make<CCurrency>("Japan Yen,JPY,F,157.538")->GetValue(), 157.538) << stored;
    }
}

} // namespace

#include "text/formatting.h"

namespace {
std::string FormatValueOf(double v)
{
    return kelvara::FormatSignificant(v, kelvara::kDefaultResultDigits);
}
} // namespace
