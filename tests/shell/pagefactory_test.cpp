#include "shell/pagefactory.h"

#include "page/conversionpage.h"
#include "page/unitcombobox.h"
#include "platform/profilestore.h"
#include "shell/convertsheet.h"
#include "shell/optionspage.h"

#include "faketrayhost.h"
#include "sheetbuttons.h"
#include "support/recordingpresenter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The conversion page as the sheet hosts it: the caption, the regional option and the Close
// button reach it through the factory's connections.
TEST(ConversionPageInTheSheet, CaptionRegionalOptionAndCloseButton)
{
    kelvara::MemoryProfileStore store;
    kelvara::SetProfile(&store);
    kelvara::test::RecordingPresenter presenter;
    {
        CConvertSheet sheet(std::make_unique<kelvara::test::FakeTrayHost>());
        auto* page = qobject_cast<CConversionPage*>(sheet.GetPage(CConvertSheet::ConversionPage));
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->IsWorking());
        EXPECT_TRUE(presenter.messages.empty());
        EXPECT_EQ(sheet.windowTitle(), "Kelvara [Length]") << "a first start";

        // A page that started asks for Close instead of OK and Cancel.
        EXPECT_EQ(kelvara::test::RowButton(sheet, QDialogButtonBox::AcceptRole)->text(), "Close");
        EXPECT_FALSE(kelvara::test::RowButton(sheet, QDialogButtonBox::RejectRole)->isEnabled());

        auto* source = page->findChild<QLineEdit*>("sourceEdit");
        ASSERT_NE(source, nullptr);
        QTest::keyClicks(source, "12");
        ASSERT_EQ(source->text(), "12");
        // The Options tab builds its controls when it first shows; GetOptionsPage builds them now.
        auto* option = sheet.GetOptionsPage().findChild<QCheckBox*>("useRegionalSettings");
        ASSERT_NE(option, nullptr);
        option->click();
        EXPECT_FALSE(page->UsesRegionalSettings());
        EXPECT_EQ(source->text(), "");
    }
    kelvara::SetProfile(nullptr);
}

// Six significant digits chosen on the Options tab round the result on the Conversion tab, the
// clipboard and the currency rate line at once; All brings every digit back, noise and all.
TEST(ConversionPageInTheSheet, SignificantDigitsApplyAtOnce)
{
    kelvara::MemoryProfileStore store;
    store.WriteProfileInt("Options", "UseRegionalSettings", 0); // the same notation in every locale
    kelvara::SetProfile(&store);
    kelvara::test::RecordingPresenter presenter;
    {
        CConvertSheet sheet(std::make_unique<kelvara::test::FakeTrayHost>());
        auto* page = sheet.GetPage(CConvertSheet::ConversionPage);
        const auto choose = [page](const char* list, const QString& text) {
            auto* combo = page->findChild<kelvara::UnitComboBox*>(list);
            combo->setCurrentIndex(combo->findText(text));
            emit combo->activated(combo->currentIndex());
        };
        choose("categoryList", "Temperature");
        choose("sourceUnitList", "° Fahrenheit (°F)");
        choose("targetUnitList", "° Celsius (°C)");
        QTest::keyClicks(page->findChild<QLineEdit*>("sourceEdit"), "100");
        const auto* target = page->findChild<QLineEdit*>("targetEdit");
        EXPECT_EQ(target->text(), "37.7777777777778") << "fifteen digits until the user chooses";

        auto* digits = sheet.GetOptionsPage().findChild<QComboBox*>("significantDigits");
        QTest::keyClicks(digits, "6");
        EXPECT_EQ(target->text(), "37.7778");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "37.7778");
        EXPECT_EQ(store.GetProfileInt("Options", "SignificantDigits", -1), 6);

        choose("categoryList", "Currency");
        choose("sourceUnitList", "Benin CFA Franc BCEAO (XOF)");
        const auto* rateLine = page->findChild<QLabel*>("rateLine");
        EXPECT_TRUE(rateLine->text().startsWith("1 \u20AC = 655.957  (")) << rateLine->text().toStdString();
        QTest::keyClick(digits, Qt::Key_Home);
        EXPECT_TRUE(rateLine->text().startsWith("1 \u20AC = 655.95699999999999  ("))
            << rateLine->text().toStdString();
    }
    kelvara::SetProfile(nullptr);
}

} // namespace
