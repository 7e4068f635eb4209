// The units added since the first fourteen categories, checked against GNU units, a reference we
// did not write; every unit of every numeric category converting there and back; and what the
// reciprocal units of Fuel Economy do with values that have no reciprocal.

#include "catalogue/categories.h"
#include "catalogue/conversioncore.h"
#include "catalogue/defaultunit.h"
#include "catalogue/reciprocalunit.h"
#include "platform/profilestore.h"
#include "platform/programpath.h"
#include "support/process.h"
#include "support/recordingpresenter.h"
#include "support/testenv.h"
#include "support/testfiles.h"
#include "text/strings.h"
#include "unitreference.h"

#include "kelvara/testpaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <stdexcept>

namespace kelvara::test {
namespace {

std::string BuiltPath(const CCategory& category)
{
    return std::string(KELVARA_BUILT_DATA_DIR) + "/" + category.GetDataFileName();
}

// The catalogue's categories, each loaded once from its built file.
CCategory& Loaded(const std::string& englishName)
{
    static CCategoryArray catalogue;
    static std::set<std::string> loaded;
    CreateCatalogue(catalogue);
    for (auto& category : catalogue) {
        if (category->GetEnglishName() != englishName)
            continue;
        if (loaded.insert(englishName).second) {
            EXPECT_TRUE(category->LoadDataFile(BuiltPath(*category))) << englishName;
        }
        return *category;
    }
    throw std::runtime_error("no category " + englishName);
}

const CConversionUnit& Unit(const std::string& category, const std::string& name)
{
    for (const auto& unit : Loaded(category).GetUnits())
        if (unit->GetName() == name)
            return dynamic_cast<const CConversionUnit&>(*unit);
    throw std::runtime_error(category + " has no unit " + name);
}

// What GNU units makes of `expression` in `base`, to the fifteen digits it gives at most.
double AskGnuUnits(const std::string& expression, const std::string& base, std::string& problem)
{
    const auto run = RunProcess({"units", "--terse", "--digits", "max", expression, base});
    char* end = nullptr;
    const double value = std::strtod(run.out.c_str(), &end);
    if (run.exitCode != 0 || end == run.out.c_str() || std::string(end) != "\n") {
        problem = "units says: " + run.out + run.err;
        return 0;
    }
    return value;
}

class GnuUnitsReference : public testing::TestWithParam<ReferenceCategory> {};

TEST_P(GnuUnitsReference, EveryFactorIsGnuUnitsDefinition)
{
    if (!HaveProgram("units"))
        GTEST_SKIP() << "GNU units is not installed (scripts/install-deps installs it)";
    const ReferenceCategory& c = GetParam();
    for (const auto& unit : Loaded(c.category).GetUnits()) {
        const std::string& name = unit->GetName();
        SCOPED_TRACE(name);
        const auto query = GnuUnitsName(c, name);
        if (!query)
            continue;
        std::string problem;
        const double reference = AskGnuUnits(query->expression, query->base, problem);
        ASSERT_EQ(problem, "") << query->expression;
        const double factor = dynamic_cast<const CConversionUnit&>(*unit).GetValue();
        EXPECT_NEAR(factor / reference, 1.0, 1e-12)
            << name << " is " << factor << ", GNU units: " << query->expression << " = " << reference;
    }
    // A listed row the file lacks is a renamed row whose reference no longer checks anything.
    for (const auto& row : c.rows)
        EXPECT_NO_THROW(Unit(c.category, row.unit)) << row.unit;
}

INSTANTIATE_TEST_SUITE_P(Categories, GnuUnitsReference, testing::ValuesIn(kGnuUnitsReference),
                         [](const testing::TestParamInfo<ReferenceCategory>& param) {
                             std::string name = param.param.category;
                             std::erase(name, ' ');
                             return name;
                         });

TEST(GnuUnitsReference, UnitsItLacksCarryTheirSourcedValue)
{
    for (const auto& v : kNotInGnuUnits) {
        EXPECT_NE(std::string(v.source), "");
        EXPECT_NEAR(Unit(v.category, v.unit).GetValue() / v.value, 1.0, 1e-12)
            << v.unit << " (" << v.source << ")";
    }
}

// Every category of factors has its table.
TEST(GnuUnitsReference, EveryCategoryOfFactorsIsReferenced)
{
    CCategoryArray catalogue;
    CreateCatalogue(catalogue);
    std::set<std::string> covered;
    for (const auto& c : kGnuUnitsReference)
        covered.insert(c.category);
    for (const auto& category : catalogue) {
        const std::string name = category->GetEnglishName();
        const bool factors = category->GetKind() == Numeric && name != "Numbers" && name != "Temperature";
        EXPECT_EQ(covered.count(name), factors ? 1u : 0u) << name;
    }
}

// The core over the built data files, as beside the program.
class ReciprocalCore : public testing::Test {
protected:
    void SetUp() override
    {
        SetProfile(&m_store);
        SetProgramDirectoryOverride(KELVARA_BUILT_DATA_DIR);
        ASSERT_TRUE(CreateCatalogue(m_catalogue));
        m_core = std::make_unique<ConversionCore>(m_catalogue, m_store);
        SetResultDigits(15);
    }
    void TearDown() override
    {
        SetResultDigits(kDefaultResultDigits);
        m_core.reset();
        SetProgramDirectoryOverride({});
        SetProfile(nullptr);
    }
    static int Position(const SortedList& list, const std::string& text)
    {
        for (int i = 0; i < list.GetCount(); ++i)
            if (list.GetText(i) == text)
                return i;
        throw std::runtime_error("no entry " + text);
    }
    ConversionCore::Result Convert(const char* category, const char* value, const char* from, const char* to)
    {
        EXPECT_TRUE(m_core->SelectCategory(Position(m_core->Categories(), category)));
        m_core->SelectSourceUnit(Position(m_core->SourceUnits(), from));
        m_core->SelectTargetUnit(Position(m_core->TargetUnits(), to));
        m_core->SetSourceText(value);
        return m_core->Convert();
    }

    RecordingPresenter m_presenter;
    MemoryProfileStore m_store;
    CCategoryArray m_catalogue;
    std::unique_ptr<ConversionCore> m_core;
};

TEST_F(ReciprocalCore, ValuesWithoutAResultSaySoInsteadOfShowingInfinity)
{
    using Form = ConversionCore::Result::Form;
    const std::string noReciprocal = LoadString(IDS_NO_RECIPROCAL);
    const std::string tooLarge = LoadString(IDS_RESULT_OUT_OF_RANGE);
    const char* const per100 = "liters per 100 kilometers (L/100 km)";
    const char* const mpg = "[US] miles per gallon (mpg)";
    const char* const kmPerLiter = "kilometers per liter (km/L)";
    const char* const gallonsPer100 = "[US] gallons per 100 miles (gal/100 mi)";
    const struct {
        const char* category;
        const char* value;
        const char* from;
        const char* to;
        Form form;
        std::string text; // the message, or the number (compared as a number)
    } cases[] = {
        {"Fuel Economy", "30", mpg, per100, Form::Number, "7.84048611111111"},
        {"Fuel Economy", "7.84048611111111", per100, mpg, Form::Number, "30"},
        {"Fuel Economy", "5", per100, kmPerLiter, Form::Number, "20"},
        {"Fuel Economy", "0", mpg, per100, Form::Problem, noReciprocal},
        {"Fuel Economy", "-5", per100, mpg, Form::Problem, noReciprocal},
        // Two volumes per distance relate linearly: nothing is consumed is nothing either way.
        {"Fuel Economy", "0", per100, gallonsPer100, Form::Number, "0"},
        {"Fuel Economy", "-2", kmPerLiter, mpg, Form::Number, "-4.70429167"},
        // A positive value too small for its reciprocal to be a double.
        {"Fuel Economy", "1e-320", per100, kmPerLiter, Form::Problem, tooLarge},
        {"Data Size", "1e308", "petabyte (PB)", "bit", Form::Problem, tooLarge},
        {"Data Size", "1e290", "petabyte (PB)", "bit", Form::Number, "8e305"},
        {"Length", "1e308", "kilometer (km)", "millimeter (mm)", Form::Problem, tooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.category) + ": " + c.value + " " + c.from + " -> " + c.to);
        const auto result = Convert(c.category, c.value, c.from, c.to);
        EXPECT_EQ(result.form, c.form);
        if (c.form == Form::Problem) {
            EXPECT_EQ(result.target, c.text);
        } else {
            const double expected = std::strtod(c.text.c_str(), nullptr);
            EXPECT_NEAR(std::strtod(result.target.c_str(), nullptr), expected, std::fabs(expected) * 1e-8);
        }
    }
    EXPECT_TRUE(m_presenter.messages.empty());
}

// A user's own fueleconomy.dat with a factor that is missing, zero, negative, text or beyond a
// double: such rows would divide by zero or turn every value negative, so they are left out and
// the good rows load.
TEST(ReciprocalData, RowsWithoutAUsablePositiveFactorAreLeftOut)
{
    const std::string path = TestRoot() + "/fueleconomy.dat";
    WriteFile(path, Utf16LE("; a user's own file\n"
                            "\"good (g)\",2\n"
                            "\"good per (gp)\",100,r\n"
                            "\"missing\"\n"
                            "\"empty\",\n"
                            "\"zero\",0,r\n"
                            "\"negative\",-1\n"
                            "\"text\",abc\n"
                            "\"huge\",1e999\n"));
    CFuelEconomyCategory category;
    ASSERT_TRUE(category.LoadDataFile(path));
    std::vector<std::string> names;
    for (const auto& unit : category.GetUnits())
        names.push_back(unit->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"good (g)", "good per (gp)"}));
    const auto& per = dynamic_cast<const CReciprocalUnit&>(*category.GetUnits()[1]);
    EXPECT_TRUE(per.IsReciprocal());
    EXPECT_EQ(per.Convert("4", dynamic_cast<const CConversionUnit&>(*category.GetUnits()[0])), "12.5");
}

} // namespace
} // namespace kelvara::test
