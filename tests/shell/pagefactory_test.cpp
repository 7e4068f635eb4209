#include "shell/pagefactory.h"

#include "page/conversionpage.h"
#include "platform/profilestore.h"
#include "shell/convertsheet.h"
#include "shell/optionspage.h"

#include "faketrayhost.h"
#include "support/recordingpresenter.h"

#include <QCheckBox>
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
        EXPECT_EQ(sheet.windowTitle(), "Kelvara [Area]");

        // A page that started asks for Close instead of OK and Cancel.
        EXPECT_EQ(sheet.GetOkButton().text(), "Close");
        EXPECT_FALSE(sheet.GetCancelButton().isEnabled());

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

} // namespace
