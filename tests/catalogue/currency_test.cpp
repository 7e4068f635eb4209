// A currency.dat the user placed beside the program replaces the built-in one. A row whose rate is
// not a positive number could only ever convert to "inf", "nan" or a negative amount, so the row is
// dropped as if it had no rate at all.

#include "catalogue/category.h"
#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "kelvara/testpaths.h"
#include "platform/profilestore.h"
#include "platform/programpath.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class UserCurrencyFile : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = kelvara::test::TestRoot() + "/program-" +
                testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_dir);
        fs::copy_file(std::string(KELVARA_TEST_DATA_DIR) + "/rows/currency.dat", m_dir + "/currency.dat",
                      fs::copy_options::overwrite_existing);
        kelvara::SetProgramDirectoryOverride(m_dir);
        kelvara::SetProfile(&m_store);
    }
    void TearDown() override
    {
        kelvara::SetProgramDirectoryOverride({});
        kelvara::SetProfile(nullptr);
    }

    CCurrencyCategory& Currencies()
    {
        CreateCatalogue(m_catalogue);
        for (auto& category : m_catalogue)
            if (auto* currency = dynamic_cast<CCurrencyCategory*>(category.get())) {
                EXPECT_TRUE(currency->EnsureLoaded());
                return *currency;
            }
        throw std::runtime_error("no currency category");
    }

    static std::vector<std::string> Codes(const CCategory& category)
    {
        std::vector<std::string> codes;
        for (const auto& unit : category.GetUnits())
            codes.push_back(static_cast<const CCurrency&>(*unit).GetCode());
        return codes;
    }

    std::string m_dir;
    kelvara::MemoryProfileStore m_store;
    CCategoryArray m_catalogue;
};

TEST_F(UserCurrencyFile, RowsWithoutAPositiveFiniteRateAreNotOffered)
{
    // Zero, negative, -0, overflowing, "nan", "inf", a word, and 0 on a fixed row all go; a tiny
    // positive rate stays.
    const auto& currencies = Currencies();
    EXPECT_EQ(Codes(currencies), (std::vector<std::string>{"USD", "EUR", "TNY", "JPY"}));
}

TEST_F(UserCurrencyFile, AStoredRateDoesNotBringBackARowWithoutOne)
{
    m_store.WriteProfileString(kelvara::kRatesSection, "STO", "1.5");
    m_store.WriteProfileString(kelvara::kRatesSection, "ZER", "2");
    const auto codes = Codes(Currencies());
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "STO"), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "ZER"), 0);
    EXPECT_EQ(codes.size(), 4u);
}

TEST_F(UserCurrencyFile, EveryOfferedPairConvertsToANumber)
{
    auto& currencies = Currencies();
    const auto& units = currencies.GetUnits();
    ASSERT_FALSE(units.empty());
    for (const auto& from : units)
        for (const auto& to : units) {
            const std::string result =
                static_cast<const CCurrency&>(*from).Convert("100", static_cast<const CCurrency&>(*to));
            EXPECT_EQ(result.find_first_not_of("0123456789."), std::string::npos)
                << from->GetName() << " -> " << to->GetName() << ": " << result;
        }
    for (bool euro : {true, false}) {
        for (const auto& unit : units) {
            const std::string line = currencies.GetRateLine(static_cast<const CCurrency&>(*unit), false);
            EXPECT_EQ(line.find("inf"), std::string::npos) << line;
            EXPECT_EQ(line.find("nan"), std::string::npos) << line;
        }
        if (euro)
            currencies.ToggleEuroReference();
    }
}

} // namespace
