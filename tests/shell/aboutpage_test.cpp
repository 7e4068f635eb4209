#include "shell/aboutpage.h"

#include "page/hyperlink.h"
#include "platform/moduleversion.h"
#include "platform/profilestore.h"
#include "platform/serviceaddress.h"
#include "support/testenv.h"
#include "text/strings.h"
#include "ui_aboutpage.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <fstream>

namespace {

// Receives what the page hands to the desktop's URL handler.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
    }
    ~UrlCatcher() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

class AboutPageTest : public testing::Test {
protected:
    void SetUp() override { kelvara::SetProfile(&m_store); }
    void TearDown() override { kelvara::SetProfile(nullptr); }

    static QLabel* Label(const QWidget& page, const char* name)
    {
        auto* label = page.findChild<QLabel*>(QLatin1String(name));
        EXPECT_NE(label, nullptr) << name;
        return label;
    }

    static bool LoadRecord(CModuleVersion& version, std::array<std::uint16_t, 4> numbers, std::uint32_t flags)
    {
        static const kelvara::VersionStringValue strings[] = {
            {"LegalCopyright", "Copyright \xC2\xA9 2031 Brask"}};
        kelvara::VersionInfoSource src;
        src.fileVersion = numbers;
        src.flags = flags;
        src.strings = strings;
        const auto record = kelvara::EncodeVersionRecord(src);
        const std::string path = kelvara::test::TestRoot() + "/tmp/about-record";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
        return version.LoadFromFile(path);
    }

    kelvara::MemoryProfileStore m_store;
};

TEST_F(AboutPageTest, VersionAndLegalNoticeComeFromTheRecord)
{
    CModuleVersion version;
    ASSERT_TRUE(LoadRecord(version, {1, 5, 0, 0}, 0));
    CAboutPage page(nullptr, &version);
    EXPECT_EQ(Label(page, "labelVersion")->text(), "Version: 1.05 (build 0.0)");
    EXPECT_EQ(Label(page, "labelLegal")->text(), QString::fromUtf8("Copyright \xC2\xA9 2031 Brask"));

    ASSERT_TRUE(LoadRecord(version, {1, 25, 67, 3}, kelvara::kFileFlagPrerelease));
    CAboutPage beta(nullptr, &version);
    EXPECT_EQ(Label(beta, "labelVersion")->text(), "Version: 1.25 (build 67.3) [BETA]");
}

TEST_F(AboutPageTest, TheRunningProgramsVersionByDefault)
{
    CAboutPage page(nullptr);
    CModuleVersion version;
    ASSERT_TRUE(version.LoadFromModule());
    EXPECT_EQ(Label(page, "labelVersion")->text().toStdString(), kelvara::FormatVersionLine(version));
    EXPECT_EQ(Label(page, "labelLegal")->text().toStdString(), version.GetStringValue("LegalCopyright"));
}

TEST_F(AboutPageTest, WithoutARecordTheTemplateTextsStay)
{
    QWidget pristine;
    Ui::CAboutPage ui;
    ui.setupUi(&pristine);

    CAboutPage page(nullptr, nullptr);
    EXPECT_EQ(Label(page, "labelVersion")->text(), ui.labelVersion->text());
    EXPECT_EQ(Label(page, "labelLegal")->text(), ui.labelLegal->text());
    EXPECT_FALSE(Label(page, "labelVersion")->text().isEmpty());
}

TEST_F(AboutPageTest, TheNameIsDrawnLargerThanTheRest)
{
    CAboutPage page(nullptr, nullptr);
    auto* group = page.findChild<QGroupBox*>(QStringLiteral("groupName"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title().toStdString(), kelvara::LoadString(kelvara::IDS_APP_TITLE));
    const QFont pageFont = page.font();
    ASSERT_GT(pageFont.pointSize(), 0);
    EXPECT_EQ(group->font().pointSize(), pageFont.pointSize() * 170 / 100);
    // Only the caption: the lines inside keep the page's size.
    for (const char* name : {"labelVersion", "labelLegal", "labelLine1", "linkHome"})
        EXPECT_EQ(Label(page, name)->font().pointSize(), pageFont.pointSize()) << name;
}

TEST_F(AboutPageTest, LinksShowTheConfiguredAddresses)
{
    m_store.WriteProfileString("Options", "HomePageUrl", "https://mirror.example.net/kelvara/");
    m_store.WriteProfileString("Options", "ServiceUrl", "http://127.0.0.1:8080/");
    CAboutPage page(nullptr, nullptr);

    EXPECT_EQ(page.HomeLink().Address(), "https://mirror.example.net/kelvara/");
    EXPECT_EQ(Label(page, "linkHome")->toolTip().toStdString(), kelvara::LoadString(8));
    EXPECT_EQ(page.HomeLink().DisplayText(), "mirror.example.net/kelvara");

    EXPECT_EQ(page.ServiceLink().Address(), "http://127.0.0.1:8080/ucc/");
    EXPECT_EQ(Label(page, "linkService")->toolTip(), "http://127.0.0.1:8080/ucc/");
}

TEST_F(AboutPageTest, ActivatingALinkOpensItsAddress)
{
    UrlCatcher catcher;
    CAboutPage page(nullptr, nullptr);
    CHyperLink* link = page.findChild<CHyperLink*>(QStringLiteral("linkService"));
    ASSERT_EQ(link, &page.ServiceLink());
    ASSERT_NE(page.findChild<CHyperLink*>(QStringLiteral("linkHome")), nullptr);
    // Tab reaches both links.
    EXPECT_TRUE(link->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(page.HomeLink().focusPolicy() & Qt::TabFocus);
    // A click, then the space key.
    QTest::mouseClick(link, Qt::LeftButton);
    QTest::keyClick(link, Qt::Key_Space);
    ASSERT_EQ(catcher.opened.size(), 2);
    for (const QUrl& url : catcher.opened)
        EXPECT_EQ(url.toString().toStdString(), kelvara::RateServicePageAddress());
}

TEST_F(AboutPageTest, FollowOpensTheAddressWithTheDesktopHandler)
{
    UrlCatcher catcher;
    CAboutPage page(nullptr, nullptr);
    EXPECT_TRUE(page.HomeLink().Follow());
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened.front().toString().toStdString(), kelvara::HomePageAddress());
}

TEST_F(AboutPageTest, AnAddressThatCannotBeOpenedIsRefused)
{
    // A damaged setting never reaches the link: the built-in address stays.
    const std::string builtIn = kelvara::HomePageAddress();
    m_store.WriteProfileString("Options", "HomePageUrl", "not an address");
    UrlCatcher catcher;
    CAboutPage page(nullptr, nullptr);
    EXPECT_EQ(page.HomeLink().Address().toStdString(), builtIn);

    // A link without an address opens nothing.
    page.HomeLink().SetTarget(QString());
    EXPECT_FALSE(page.HomeLink().Follow());
    EXPECT_TRUE(catcher.opened.isEmpty());
}

} // namespace

#include "aboutpage_test.moc"
