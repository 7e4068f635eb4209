// A settings file as the version with fourteen categories writes it, read by the catalogue that
// has more: every remembered category, unit, row, currency rate and zone comes back as it was.
// Settings are kept per category under a number; a category added in the wrong place would take
// an earlier category's number and read its choices.

#include "catalogue/category.h"
#include "catalogue/civiltime.h"
#include "catalogue/conversioncore.h"
#include "catalogue/conversionunit.h"
#include "kelvara/testpaths.h"
#include "platform/programpath.h"
#include "platform/settingsprofilestore.h"
#include "support/recordingpresenter.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;
using kelvara::ConversionCore;
using kelvara::SettingsProfileStore;

// What one category shows when opened: its selections and the result for 1.
struct Shown {
    std::string source, target, value, result;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s)
{
    return out << "{" << s.source << " -> " << s.target << " [" << s.value << "] = " << s.result << "}";
}

std::string Selected(const kelvara::SortedList& list)
{
    return list.GetCurSel() < 0 ? std::string() : list.GetText(list.GetCurSel());
}

// Opens every category of `catalogue` that has a place in the first fourteen, over a fresh copy of
// the fixture, and tells what each shows; `remembered` is the category chosen at start.
std::map<std::string, Shown> Read(CCategoryArray& catalogue, std::string& remembered)
{
    const std::string path = kelvara::test::TestRoot() + "/earlier/Kelvara.conf";
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(KELVARA_TEST_DATA_DIR "/settings/Kelvara.conf", path, fs::copy_options::overwrite_existing);
    SettingsProfileStore store(path, SettingsProfileStore::Access::ReadWrite);
    kelvara::SetProfile(&store);
    std::map<std::string, Shown> shown;
    {
        ConversionCore core(catalogue, store, ConversionCore::Memory::Selections);
        // Both readings show the zones at one instant, 15 July 2026 at noon.
        core.SetInstant(kelvara::TicksFromSeconds(std::int64_t{20649} * 86400 + 12 * 3600));
        remembered = core.Categories().GetText(core.RememberedCategory());
        for (int i = 0; i < core.Categories().GetCount(); ++i) {
            const std::string name = core.Categories().GetText(i);
            if (static_cast<std::size_t>(core.Categories().GetItem(i).column) >=
                kelvara::kEarlierCategoryCount)
                continue;
            EXPECT_TRUE(core.SelectCategory(i)) << name;
            core.SetSourceText("1");
            shown[name] = {Selected(core.SourceUnits()), Selected(core.TargetUnits()),
                           Selected(core.Values()), core.Convert().target};
        }
    }
    kelvara::SetProfile(nullptr);
    return shown;
}

TEST(EarlierSettings, EveryRememberedChoiceComesBackAsItWas)
{
    kelvara::test::RecordingPresenter presenter;
    kelvara::SetProgramDirectoryOverride(KELVARA_BUILT_DATA_DIR);
    kelvara::SetResultDigits(10);
    CCategoryArray today;
    ASSERT_TRUE(CreateCatalogue(today));
    ASSERT_GT(today.size(), kelvara::kEarlierCategoryCount);
    // The catalogue as it was: the same first fourteen, nothing after them.
    CCategoryArray earlier;
    ASSERT_TRUE(CreateCatalogue(earlier));
    earlier.resize(kelvara::kEarlierCategoryCount);

    std::string rememberedEarlier;
    std::string rememberedToday;
    const auto before = Read(earlier, rememberedEarlier);
    const auto after = Read(today, rememberedToday);
    kelvara::SetProgramDirectoryOverride({});
    kelvara::SetResultDigits(kelvara::kDefaultResultDigits);

    EXPECT_EQ(rememberedEarlier, "Currency");
    EXPECT_EQ(rememberedToday, "Currency");
    ASSERT_EQ(before.size(), kelvara::kEarlierCategoryCount);
    EXPECT_EQ(after, before);
    // What the fixture says, so that both readings are not merely alike.
    EXPECT_EQ(after.at("Weight"), (Shown{"pound (lb)", "ounce (oz)", "", "16"}));
    EXPECT_EQ(after.at("Length"), (Shown{"inch (in)", "kilometer (km)", "", "0.0000254"}));
    EXPECT_EQ(after.at("Temperature"), (Shown{"° Fahrenheit (°F)", "° Celsius (°C)", "", "-17.22222222"}));
    EXPECT_EQ(after.at("Currency").source, "Japan Yen (JPY)");
    EXPECT_EQ(after.at("Currency").target, "Andorra Euro (EUR)");
    // The stored rate, not the file's 178.906.
    EXPECT_EQ(after.at("Currency").result, "0.005698005698");
    EXPECT_EQ(after.at("Country and Phone Codes").value, "DE / +49");
    EXPECT_TRUE(presenter.messages.empty());
}

} // namespace
