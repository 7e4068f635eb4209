// tools/currency-snapshot, run as a maintainer runs it, on a package tarball made here.

#include "kelvara/testpaths.h"
#include "support/process.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kelvara::test::ReadTextFile;
using kelvara::test::RunProcess;

const std::string kTool = std::string(KELVARA_SOURCE_DIR) + "/tools/currency-snapshot";

const std::string kData = ";\n"
                          "; Floating rates: exchange-api snapshot of 2020-01-01\n"
                          "; (npm package @fawazahmed0/currency-api 2020.1.1, CC0)\n"
                          "; Successors:\n"
                          ";   ROL = 10000 RON: Law 348/2004\n"
                          ";   GGP = 1 GBP, JEP = 1 GBP: local issues (1000 XYZ = 1 GBP is prose)\n"
                          ";   MRO = 10 MRU: Banque Centrale de Mauritanie\n"
                          ";   STD = 1000 STN: Banco Central\n"
                          "; currency,abbr,fixed?,rate\n"
                          "United States Dollars,USD,F,1.29301\n"
                          "Euro,EUR,T,1\n"
                          "Benin CFA Franc BCEAO,XOF,T,655.957\n"
                          "Romania *Lei,ROL,F,33795\n"
                          "\n"
                          "Romania New Lei,RON,F,3.3795\n"
                          "Guernsey Pound,GGP,F,0.66\n"
                          "United Kingdom Pounds,GBP,F,0.66\n"
                          "Seborga Luigino,SPL,F,0.215502\n"
                          "Mauritania *Ouguiya,MRO,F,347.173\n"
                          "Sao Tome and Principe *Dobra,STD,F,17041.9\n"
                          "Sao Tome and Principe Dobra,STN,T,24.5\n"
                          "[Gold Ounces],XAU,F,0.00194672\n"
                          "Venezuela *Bolivar,VEB,F,2776.48\n";

const std::string kDocument = R"({"date": "2026-09-29", "eur": {"usd": 1.13607202, "eur": 1, "xof": 600,
    "rol": 99999, "ron": 5.2782654, "ggp": 0.9, "gbp": 0.85817579, "spl": "0.2", "stn": 25,
    "xau": 0.0002751379, "veb": 97338092087.75537, "btc": 0.00001}})";

class CurrencySnapshot : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = kelvara::test::TestRoot() + "/snapshot";
        fs::remove_all(m_dir);
        fs::create_directories(m_dir + "/package/v1/currencies");
        std::ofstream(m_dir + "/currency.dat") << kData;
    }

    // A tarball laid out as `npm pack` lays it out.
    std::string Pack(const std::string& document, const std::string& version = "2026.9.29")
    {
        std::ofstream(m_dir + "/package/package.json")
            << R"({"name": "@fawazahmed0/currency-api", "version": ")" << version << "\"}";
        std::ofstream(m_dir + "/package/v1/currencies/eur.json") << document;
        const auto r = RunProcess({"tar", "-czf", "pkg.tgz", "package"}, {.directory = m_dir, .env = {}});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return m_dir + "/pkg.tgz";
    }

    kelvara::test::ProcessResult Run(const std::string& tarball)
    {
        return RunProcess({kTool, tarball, m_dir + "/currency.dat"});
    }

    std::string Data() const { return ReadTextFile(m_dir + "/currency.dat"); }

    std::string m_dir;
};

TEST_F(CurrencySnapshot, RewritesFloatingRatesInPlaceAndOldCodesFollowTheirSuccessors)
{
    const auto r = Run(Pack(kDocument));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Fixed rows keep their rates whatever the document says; old codes take their successor's
    // written figure times the ratio, never the document's own figure; a code the document lacks
    // (or quotes as text) keeps its rate; prose in the comment is not a successor.
    EXPECT_EQ(Data(), ";\n"
                      "; Floating rates: exchange-api snapshot of 2026-09-29\n"
                      "; (npm package @fawazahmed0/currency-api 2026.9.29, CC0)\n"
                      "; Successors:\n"
                      ";   ROL = 10000 RON: Law 348/2004\n"
                      ";   GGP = 1 GBP, JEP = 1 GBP: local issues (1000 XYZ = 1 GBP is prose)\n"
                      ";   MRO = 10 MRU: Banque Centrale de Mauritanie\n"
                      ";   STD = 1000 STN: Banco Central\n"
                      "; currency,abbr,fixed?,rate\n"
                      "United States Dollars,USD,F,1.13607\n"
                      "Euro,EUR,T,1\n"
                      "Benin CFA Franc BCEAO,XOF,T,655.957\n"
                      "Romania *Lei,ROL,F,52782.7\n"
                      "\n"
                      "Romania New Lei,RON,F,5.27827\n"
                      "Guernsey Pound,GGP,F,0.858176\n"
                      "United Kingdom Pounds,GBP,F,0.858176\n"
                      "Seborga Luigino,SPL,F,0.215502\n"
                      "Mauritania *Ouguiya,MRO,F,347.173\n"
                      "Sao Tome and Principe *Dobra,STD,F,24500\n"
                      "Sao Tome and Principe Dobra,STN,T,24.5\n"
                      "[Gold Ounces],XAU,F,0.000275138\n"
                      "Venezuela *Bolivar,VEB,F,97338100000\n");
    EXPECT_NE(r.out.find("kept their rates (not in the document): MRO SPL\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("set kBuiltInRatesDate in src/catalogue/currency.h to \"2026-09-29\""),
              std::string::npos)
        << r.out;

    // Running it again on the same package changes nothing.
    ASSERT_EQ(Run(m_dir + "/pkg.tgz").exitCode, 0);
    EXPECT_NE(Data().find("Romania *Lei,ROL,F,52782.7\n"), std::string::npos);
}

TEST_F(CurrencySnapshot, RefusesWhatIsNotAUsablePackageAndLeavesTheFileAlone)
{
    struct Case {
        const char* what;
        std::string document;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"not JSON", "{\"date\": ", "not a currency-api package"},
        {"no euro rates", R"({"date": "2026-09-29", "usd": {"eur": 0.88}})", "has no \"eur\" object"},
        {"no valid date", R"({"date": "2026-13-01", "eur": {"usd": 1.1}})", "has no valid \"date\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = Run(Pack(c.document));
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(Data(), kData);
    }
    std::ofstream(m_dir + "/plain.tgz") << "not a tarball";
    const auto r = Run(m_dir + "/plain.tgz");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("not a currency-api package"), std::string::npos) << r.err;
    EXPECT_EQ(Data(), kData);
}

} // namespace
