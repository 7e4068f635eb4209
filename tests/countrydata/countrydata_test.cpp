// Holds the shipped country table against libphonenumber's metadata, a maintained source of
// dialling codes and emergency numbers. The table is a travel reference: a wrong emergency number
// there can cost someone help when it matters, so every number must be one the library knows for
// the row's region, or one listed with a source in country-exceptions.txt beside the data file.
//
// Emergency numbers are checked with ShortNumberInfo::IsEmergencyNumber, which wants the number
// exactly; ConnectsToEmergencyNumber would also accept a known number with digits appended in
// some regions, and a table that tells people what to dial must not carry extra digits.

#include "catalogue/splitrow.h"
#include "catalogue/textfilereader.h"
#include "exceptionlist.h"
#include "kelvara/testpaths.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>
#include <phonenumbers/shortnumberinfo.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;
using i18n::phonenumbers::ShortNumberInfo;

const std::array<const char*, 3> kServices = {"fire", "rescue", "police"};

struct Row {
    std::string code;
    std::string prefix;
    std::array<std::string, 3> services; // fire, rescue, police, as the columns of the file
    std::string name;

    std::string Label() const { return name + " (" + code + ")"; }
};

using Exception = kelvara::test::ListedException;

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The rows as the build ships them, read with the program's own reader and splitter.
std::vector<Row> ShippedRows()
{
    std::vector<Row> rows;
    CTextFileReader reader(std::string(KELVARA_BUILT_DATA_DIR) + "/country.dat");
    std::string line;
    std::vector<std::string> fields;
    while (reader.ReadLine(line)) {
        if (!SplitRow(line, 6, fields))
            continue;
        rows.push_back({fields[0], fields[1], {fields[2], fields[3], fields[4]}, fields[5]});
    }
    return rows;
}

// The numbers of one service field: alternatives are separated by "or", "/" or ",".
std::vector<std::string> Numbers(const std::string& field)
{
    std::string text = field;
    for (std::size_t at = 0; (at = text.find(" or ", at)) != std::string::npos;)
        text.replace(at, 4, "/");
    std::replace(text.begin(), text.end(), ',', '/');
    std::vector<std::string> numbers;
    std::istringstream in(text);
    for (std::string piece; std::getline(in, piece, '/');)
        if (!kelvara::test::TrimBlanks(piece).empty())
            numbers.push_back(kelvara::test::TrimBlanks(piece));
    return numbers;
}

std::set<std::string> SupportedRegions()
{
    std::set<std::string> regions;
    PhoneNumberUtil::GetInstance()->GetSupportedRegions(&regions);
    return regions;
}

// The library's region of a row, empty for rows it cannot place: institutions and satellite
// services (names in brackets), countries that no longer exist, places without metadata.
std::string RegionOf(const Row& row)
{
    static const std::set<std::string> supported = SupportedRegions();
    if (row.name.empty() || row.name.front() == '[')
        return {};
    // Rows whose code does not name their place: the row coded dm is the Dominican Republic (the
    // ?? row is Dominica); Diego Garcia and Zanzibar are parts of the regions named.
    static const std::map<std::string, std::string> byName = {
        {"Dominican Republic", "DO"}, {"Dominica", "DM"}, {"Diego Garcia", "IO"}, {"Zanzibar", "TZ"}};
    // Internet codes that differ from the ISO code: Great Britain's, and East Timor's old one.
    static const std::map<std::string, std::string> byCode = {{"uk", "GB"}, {"tp", "TL"}};
    std::string region;
    if (const auto it = byName.find(row.name); it != byName.end())
        region = it->second;
    else if (const auto code = byCode.find(row.code); code != byCode.end())
        region = code->second;
    else
        region = Upper(row.code);
    return supported.count(region) ? region : std::string();
}

// A dialling code "1" followed by an area code belongs to the region the plan gives that area.
bool IsAreaCodeOf(const std::string& prefix, const std::string& region)
{
    if (prefix.size() != 4 || prefix[0] != '1')
        return false;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber number;
    if (util.Parse("+" + prefix + "2000000", "ZZ", &number) != PhoneNumberUtil::NO_PARSING_ERROR)
        return false;
    std::string owner;
    util.GetRegionCodeForNumber(number, &owner);
    return owner == region;
}

std::string ExceptionsPath()
{
    return std::string(KELVARA_SOURCE_DIR) + "/resources/data/country-exceptions.txt";
}

// Reads the exception list; a line that is not "code number source" is reported in `errors`.
std::vector<Exception> ReadExceptions(std::vector<std::string>& errors)
{
    return kelvara::test::ReadExceptionList(ExceptionsPath(), "a number", errors);
}

class CountryDataCheck : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_rows = ShippedRows();
        s_exceptions = ReadExceptions(s_exceptionErrors);
    }

    bool IsListed(const Row& row, const std::string& number) const
    {
        return std::any_of(s_exceptions.begin(), s_exceptions.end(),
                           [&](const Exception& e) { return e.code == row.code && e.value == number; });
    }

    static std::vector<Row> s_rows;
    static std::vector<Exception> s_exceptions;
    static std::vector<std::string> s_exceptionErrors;
};

std::vector<Row> CountryDataCheck::s_rows;
std::vector<Exception> CountryDataCheck::s_exceptions;
std::vector<std::string> CountryDataCheck::s_exceptionErrors;

TEST_F(CountryDataCheck, DiallingCodesAreTheRegionsCountryCodeOrItsAreaCode)
{
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    for (const Row& row : s_rows) {
        const std::string region = RegionOf(row);
        if (region.empty())
            continue;
        const std::string countryCode = std::to_string(util.GetCountryCodeForRegion(region));
        if (row.prefix == countryCode || (countryCode == "1" && IsAreaCodeOf(row.prefix, region)))
            continue;
        ADD_FAILURE() << row.Label() << ": dialling code \"" << row.prefix << "\", but " << region
                      << " is reached with " << countryCode
                      << (countryCode == "1" ? " and one of its area codes" : "");
    }
}

TEST_F(CountryDataCheck, EmergencyNumbersAreKnownForTheRegionOrListedWithASource)
{
    const ShortNumberInfo info;
    std::size_t checked = 0;
    for (const Row& row : s_rows) {
        const std::string region = RegionOf(row);
        if (region.empty())
            continue;
        for (std::size_t service = 0; service < kServices.size(); ++service) {
            for (const std::string& number : Numbers(row.services[service])) {
                ++checked;
                if (info.IsEmergencyNumber(number, region) || IsListed(row, number))
                    continue;
                ADD_FAILURE() << row.Label() << ": " << kServices[service] << " number \"" << number
                              << "\" is not an emergency number of " << region
                              << " in libphonenumber, nor listed in country-exceptions.txt";
            }
        }
    }
    // Guards against a reader fault that would leave nothing to check.
    EXPECT_GT(checked, 600u);
}

TEST_F(CountryDataCheck, EveryExceptionHasASourceAndIsStillNeeded)
{
    for (const std::string& error : s_exceptionErrors)
        ADD_FAILURE() << "country-exceptions.txt: " << error;
    ASSERT_FALSE(s_exceptions.empty());

    const ShortNumberInfo info;
    std::set<std::pair<std::string, std::string>> seen;
    for (const Exception& entry : s_exceptions) {
        const std::string where = "country-exceptions.txt line " + std::to_string(entry.line) + " (" +
                                  entry.code + " " + entry.value + "): ";
        EXPECT_TRUE(seen.insert({entry.code, entry.value}).second) << where << "listed twice";
        const auto row = std::find_if(s_rows.begin(), s_rows.end(), [&](const Row& r) {
            if (r.code != entry.code)
                return false;
            return std::any_of(r.services.begin(), r.services.end(), [&](const std::string& field) {
                const auto numbers = Numbers(field);
                return std::find(numbers.begin(), numbers.end(), entry.value) != numbers.end();
            });
        });
        if (row == s_rows.end()) {
            ADD_FAILURE() << where << "no row of that code has that number";
            continue;
        }
        const std::string region = RegionOf(*row);
        EXPECT_FALSE(region.empty()) << where << "the test skips " << row->Label();
        EXPECT_FALSE(!region.empty() && info.IsEmergencyNumber(entry.value, region))
            << where << "libphonenumber knows this number for " << region << "; the entry is not needed";
    }
}

TEST_F(CountryDataCheck, EveryRegionTheLibraryKnowsHasARowAndSkippedRowsAreListed)
{
    std::set<std::string> covered;
    std::cout << "Rows not checked (the library has no region for them):\n";
    for (const Row& row : s_rows) {
        const std::string region = RegionOf(row);
        if (region.empty())
            std::cout << "  " << (row.code.empty() ? "(no code)" : row.code) << "  " << row.name << '\n';
        else
            covered.insert(region);
    }
    // Tristan da Cunha is part of Saint Helena, Ascension and Tristan da Cunha and has no code of
    // its own to file it under.
    const std::set<std::string> withoutRow = {"TA"};
    for (const std::string& region : SupportedRegions())
        EXPECT_TRUE(covered.count(region) || withoutRow.count(region))
            << "no row for " << region << ", which libphonenumber knows";
}

TEST(CountryDataCheckHelpers, ServiceFieldsSplitIntoTheirAlternatives)
{
    EXPECT_EQ(Numbers("999 or 911"), (std::vector<std::string>{"999", "911"}));
    EXPECT_EQ(Numbers("000 / 112"), (std::vector<std::string>{"000", "112"}));
    EXPECT_EQ(Numbers("080 or 112, 061"), (std::vector<std::string>{"080", "112", "061"}));
    EXPECT_EQ(Numbers(""), std::vector<std::string>{});
    // Leading zeros are part of the number.
    EXPECT_EQ(Numbers("01"), std::vector<std::string>{"01"});
}

TEST(CountryDataCheckHelpers, NorthAmericanAreaCodesBelongToTheirRegion)
{
    EXPECT_TRUE(IsAreaCodeOf("1809", "DO"));
    EXPECT_TRUE(IsAreaCodeOf("1767", "DM"));
    EXPECT_FALSE(IsAreaCodeOf("1809", "DM"));
    EXPECT_FALSE(IsAreaCodeOf("1", "US"));
    EXPECT_FALSE(IsAreaCodeOf("18", "DO"));
}

} // namespace
