// Holds the shipped currency table against Debian's iso-codes list of ISO 4217, a maintained
// source of the world's currencies: every circulating currency has a current row, and every
// current row names a circulating currency. Where the table knows better than the list (a code
// ended or introduced since the list was made, a local issue ISO does not code), the departure
// must be listed with a source in currency-exceptions.txt beside the data file.

#include "catalogue/splitrow.h"
#include "catalogue/textfilereader.h"
#include "exceptionlist.h"
#include "kelvara/testpaths.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kIsoList = "/usr/share/iso-codes/json/iso_4217.json";

// Fund, bond-market and testing codes: ISO lists them, but nobody pays with them.
const std::set<std::string> kNotMoney = {"BOV", "CHE", "CHW", "CLF", "COU", "MXV", "USN", "UYI", "UYW",
                                         "XBA", "XBB", "XBC", "XBD", "XSU", "XTS", "XUA", "XXX"};

struct Row {
    std::string name;
    std::string code;
    bool fixed = false;

    bool IsObsolete() const { return name.find('*') != std::string::npos; }
    std::string Label() const { return name + " (" + code + ")"; }
};

using Exception = kelvara::test::ListedException;
using kelvara::test::TrimBlanks;

// The rows as the build ships them, read with the program's own reader and splitter.
std::vector<Row> ShippedRows()
{
    std::vector<Row> rows;
    CTextFileReader reader(std::string(KELVARA_BUILT_DATA_DIR) + "/currency.dat");
    std::string line;
    std::vector<std::string> fields;
    while (reader.ReadLine(line)) {
        if (!SplitRow(line, 4, fields))
            continue;
        std::string flag = TrimBlanks(fields[2]);
        rows.push_back({fields[0], fields[1], flag == "T" || flag == "t"});
    }
    return rows;
}

std::set<std::string> IsoCodes(std::string& error)
{
    std::set<std::string> codes;
    std::ifstream in(kIsoList);
    if (!in) {
        error = std::string("cannot read ") + kIsoList + " (scripts/install-deps installs iso-codes)";
        return codes;
    }
    const auto document = nlohmann::json::parse(in, nullptr, false);
    if (document.is_discarded() || !document.contains("4217") || !document["4217"].is_array()) {
        error = std::string(kIsoList) + " is not the iso-codes list of ISO 4217";
        return codes;
    }
    for (const auto& entry : document["4217"])
        if (entry.contains("alpha_3") && entry["alpha_3"].is_string())
            codes.insert(entry["alpha_3"].get<std::string>());
    return codes;
}

std::string ExceptionsPath()
{
    return std::string(KELVARA_SOURCE_DIR) + "/resources/data/currency-exceptions.txt";
}

// Reads the exception list; a line that is not "code kind source" is reported in `errors`.
std::vector<Exception> ReadExceptions(std::vector<std::string>& errors)
{
    std::vector<Exception> entries;
    for (Exception& entry : kelvara::test::ReadExceptionList(ExceptionsPath(), "a kind", errors)) {
        if (entry.value == "ended" || entry.value == "new" || entry.value == "local")
            entries.push_back(std::move(entry));
        else
            errors.push_back("line " + std::to_string(entry.line) + ": the kind must be ended, new or local, not \"" +
                             entry.value + "\"");
    }
    return entries;
}

class CurrencyDataCheck : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_rows = ShippedRows();
        s_iso = IsoCodes(s_isoError);
        s_exceptions = ReadExceptions(s_exceptionErrors);
    }

    void SetUp() override
    {
        ASSERT_EQ(s_isoError, "");
        // Guards against a reader fault that would leave nothing to check.
        ASSERT_GT(s_rows.size(), 250u);
        ASSERT_GT(s_iso.size(), 150u);
    }

    static std::set<std::string> Listed(const std::string& kind)
    {
        std::set<std::string> codes;
        for (const Exception& entry : s_exceptions)
            if (entry.value == kind)
                codes.insert(entry.code);
        return codes;
    }

    static std::vector<Row> RowsOf(const std::string& code)
    {
        std::vector<Row> rows;
        std::copy_if(s_rows.begin(), s_rows.end(), std::back_inserter(rows),
                     [&](const Row& row) { return row.code == code; });
        return rows;
    }

    static bool HasCurrentRow(const std::string& code)
    {
        const auto rows = RowsOf(code);
        return std::any_of(rows.begin(), rows.end(), [](const Row& row) { return !row.IsObsolete(); });
    }

    static std::vector<Row> s_rows;
    static std::set<std::string> s_iso;
    static std::string s_isoError;
    static std::vector<Exception> s_exceptions;
    static std::vector<std::string> s_exceptionErrors;
};

std::vector<Row> CurrencyDataCheck::s_rows;
std::set<std::string> CurrencyDataCheck::s_iso;
std::string CurrencyDataCheck::s_isoError;
std::vector<Exception> CurrencyDataCheck::s_exceptions;
std::vector<std::string> CurrencyDataCheck::s_exceptionErrors;

TEST_F(CurrencyDataCheck, EveryCirculatingIsoCurrencyHasACurrentRow)
{
    const std::set<std::string> ended = Listed("ended");
    std::size_t circulating = 0;
    std::size_t covered = 0;
    for (const std::string& code : s_iso) {
        if (kNotMoney.count(code) || ended.count(code))
            continue;
        ++circulating;
        if (HasCurrentRow(code))
            ++covered;
        else
            ADD_FAILURE() << code << " circulates (iso-codes lists it) but has no current row in currency.dat"
                          << (RowsOf(code).empty() ? "" : "; its rows are all marked obsolete");
    }
    std::cout << covered << " of " << circulating << " circulating ISO 4217 currencies have a current row\n";
}

TEST_F(CurrencyDataCheck, EveryCurrentRowNamesACirculatingCurrency)
{
    const std::set<std::string> ended = Listed("ended");
    std::set<std::string> unlisted = Listed("new");
    for (const std::string& code : Listed("local"))
        unlisted.insert(code);
    for (const Row& row : s_rows) {
        if (row.IsObsolete())
            continue;
        EXPECT_TRUE((s_iso.count(row.code) && !kNotMoney.count(row.code)) || unlisted.count(row.code))
            << row.Label() << ": " << row.code
            << " is not a circulating ISO 4217 code, nor listed as new or local in currency-exceptions.txt"
            << " (an obsolete currency takes a * before a word of its name)";
        EXPECT_FALSE(ended.count(row.code) && !row.fixed)
            << row.Label() << ": " << row.code
            << " has ended (currency-exceptions.txt); its rows must be obsolete (*) or fixed";
    }
}

TEST_F(CurrencyDataCheck, EveryExceptionHasASourceAndIsStillNeeded)
{
    for (const std::string& error : s_exceptionErrors)
        ADD_FAILURE() << "currency-exceptions.txt: " << error;
    ASSERT_FALSE(s_exceptions.empty());

    std::set<std::string> seen;
    for (const Exception& entry : s_exceptions) {
        const std::string where = "currency-exceptions.txt line " + std::to_string(entry.line) + " (" +
                                  entry.code + " " + entry.value + "): ";
        EXPECT_TRUE(seen.insert(entry.code).second) << where << "listed twice";
        if (entry.value == "ended") {
            EXPECT_TRUE(s_iso.count(entry.code))
                << where << "iso-codes no longer lists the code; the entry is not needed";
        } else {
            EXPECT_FALSE(s_iso.count(entry.code))
                << where << "iso-codes lists the code; the entry is not needed";
            EXPECT_TRUE(HasCurrentRow(entry.code)) << where << "no current row uses the code";
        }
    }
}

} // namespace
