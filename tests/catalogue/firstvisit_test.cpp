#include "catalogue/conversioncore.h"

#include "platform/profilestore.h"
#include "platform/programpath.h"
#include "platform/userregion.h"
#include "support/recordingpresenter.h"

#include "kelvara/testpaths.h"

#include <gtest/gtest.h>

#include <memory>

namespace kelvara::test {
namespace {

class FixedRegion : public UserRegionSource {
public:
    UserRegion Read() const override { return region; }
    UserRegion region;
};

// The core over the data the program carries, with a region the test sets.
class FirstVisitTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetProfile(&m_store);
        SetUserRegionSource(&m_region);
        SetProgramDirectoryOverride(KELVARA_BUILT_DATA_DIR);
        ASSERT_TRUE(CreateCatalogue(m_catalogue));
        m_core = std::make_unique<ConversionCore>(m_catalogue, m_store, ConversionCore::Memory::Selections);
    }
    void TearDown() override
    {
        m_core.reset();
        SetProgramDirectoryOverride({});
        SetUserRegionSource(nullptr);
        SetProfile(nullptr);
    }
    // The source and target entries the category opens on.
    std::pair<std::string, std::string> Open(const std::string& category)
    {
        const SortedList& categories = m_core->Categories();
        for (int i = 0; i < categories.GetCount(); ++i)
            if (categories.GetText(i) == category && m_core->SelectCategory(i)) {
                const SortedList& s = m_core->SourceUnits();
                const SortedList& t = m_core->TargetUnits();
                return {s.GetText(s.GetCurSel()), t.GetText(t.GetCurSel())};
            }
        ADD_FAILURE() << "cannot open " << category;
        return {};
    }

    RecordingPresenter m_presenter;
    MemoryProfileStore m_store;
    FixedRegion m_region;
    CCategoryArray m_catalogue;
    std::unique_ptr<ConversionCore> m_core;
};

TEST_F(FirstVisitTest, EachCategoryOpensOnAUsefulPairForWhereTheUserLives)
{
    const UserRegion swiss{true, "CHF", "CH"};
    const UserRegion american{false, "USD", "US"};
    const UserRegion german{true, "EUR", "DE"};
    const UserRegion unknown{true, "", ""};
    const struct {
        UserRegion region;
        const char* category;
        const char* source;
        const char* target;
    } cases[] = {
        {swiss, "Weight", "kilogram (kg)", "pound (lb)"},
        {american, "Weight", "pound (lb)", "kilogram (kg)"},
        {swiss, "Length", "meter (m)", "foot (ft)"},
        {american, "Length", "foot (ft)", "meter (m)"},
        {american, "Area", "square foot (sq ft)", "square meter (m²)"},
        {american, "Capacity", "[US] gallon (gal)", "liter (l)"},
        {american, "Speed", "miles per hour (mph)", "kilometers/hour (km/h)"},
        {american, "Pressure", "lbf/sq in (psi)", "bar"},
        {american, "Temperature", "° Fahrenheit (°F)", "° Celsius (°C)"},
        {american, "Power", "[US] horsepower (HP)", "kilowatt (kW)"},
        {american, "Energy", "food kilocalorie (food kcal)", "kilojoule (kJ)"},
        {american, "Fuel Economy", "[US] miles per gallon (mpg)", "liters per 100 kilometers (L/100 km)"},
        {american, "Torque", "pound-force foot (lbf·ft)", "newton meter (N·m)"},
        {american, "Force", "pound-force (lbf)", "newton (N)"},
        {american, "Density", "pound per cubic foot (lb/ft³)", "kilogram per cubic meter (kg/m³)"},
        {american, "Acceleration", "foot per second squared (ft/s²)", "meter per second squared (m/s²)"},
        // Counting is the same everywhere.
        {american, "Numbers", "Decimal", "Hexadecimal"},
        {american, "Data Size", "gigabyte (GB)", "gibibyte (GiB)"},
        {american, "Angle", "degree (°)", "radian (rad)"},
        {american, "Time", "hour (h)", "minute (min)"},
        {american, "Data Rate", "megabit per second (Mbit/s)", "megabyte per second (MB/s)"},
        {american, "Frequency", "hertz (Hz)", "revolutions per minute (rpm)"},
        {swiss, "Film Sensitivity", "ASA / ISO", "DIN"},
        // The euro, the base of every rate, is what other currencies are read against; a euro
        // user reads the dollar.
        {swiss, "Currency", "Switzerland Francs (CHF)", "Euro (EUR)"},
        {american, "Currency", "United States Dollars (USD)", "Euro (EUR)"},
        {german, "Currency", "Euro (EUR)", "United States Dollars (USD)"},
        {unknown, "Currency", "United States Dollars (USD)", "Euro (EUR)"},
        {german, "Country and Phone Codes", "Germany", "Fire Department"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.category) + " in " + (c.region.country.empty() ? "?" : c.region.country));
        m_region.region = c.region;
        m_store.Clear();
        EXPECT_EQ(Open(c.category), std::make_pair(std::string(c.source), std::string(c.target)));
    }
}

TEST_F(FirstVisitTest, AStoredChoiceWinsAndAFirstStartOpensOnLength)
{
    m_region.region = {false, "USD", "US"};
    EXPECT_EQ(m_core->Categories().GetText(m_core->RememberedCategory()), "Length");
    EXPECT_TRUE(m_core->IsFirstStart());

    Open("Weight");
    const SortedList& sources = m_core->SourceUnits();
    for (int i = 0; i < sources.GetCount(); ++i)
        if (sources.GetText(i) == "gram (g)")
            m_core->SelectSourceUnit(i);
    m_core = std::make_unique<ConversionCore>(m_catalogue, m_store, ConversionCore::Memory::Selections);
    EXPECT_FALSE(m_core->IsFirstStart());
    EXPECT_EQ(m_core->Categories().GetText(m_core->RememberedCategory()), "Weight");
    EXPECT_EQ(Open("Weight"), std::make_pair(std::string("gram (g)"), std::string("kilogram (kg)")))
        << "the target the first visit chose was stored with the source";
}

} // namespace
} // namespace kelvara::test
