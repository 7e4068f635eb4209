#include "page/hyperlink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Receives the addresses the links open instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler("kelvara-test", this, "Open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("kelvara-test"); }
    QStringList opened;
public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
};

TEST(HyperLinkTest, AClickOrSpaceOpensTheAddress)
{
    UrlCatcher catcher;
    QWidget window;
    auto* link = new CHyperLink(&window);
    link->setText("Home page");
    link->SetTarget("kelvara-test:home");
    QSignalSpy clicked(link, &CHyperLink::Clicked);

    QTest::mouseClick(link, Qt::LeftButton);
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(catcher.opened, QStringList({"kelvara-test:home", "kelvara-test:home"}));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(link->toolTip(), "kelvara-test:home");

    link->SetTarget("kelvara-test:rates", "Other currencies");
    EXPECT_EQ(link->toolTip(), "Other currencies");
}

TEST(HyperLinkTest, ALinkWithoutAddressPassesClicksToItsOwner)
{
    UrlCatcher catcher;
    QWidget window;
    auto* link = new CHyperLink(&window);
    link->setText("Europe/Berlin (Standard time)");
    link->SetTarget({});
    QSignalSpy clicked(link, &CHyperLink::Clicked);

    QTest::mouseClick(link, Qt::LeftButton);
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_FALSE(link->Follow());
    EXPECT_TRUE(catcher.opened.isEmpty());
    EXPECT_TRUE(link->toolTip().isEmpty());

    // Pressing inside and releasing outside is no click.
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(clicked.count(), 2);
}

TEST(HyperLinkTest, ALinkPlacedWithOnlyACaptionOpensItsCaption)
{
    UrlCatcher catcher;
    CHyperLink link;
    link.setText("kelvara-test:caption");
    EXPECT_EQ(link.Address(), "kelvara-test:caption");
    EXPECT_TRUE(link.Follow());
    EXPECT_EQ(catcher.opened, QStringList({"kelvara-test:caption"}));

    // An address without a caption is shown as the caption.
    CHyperLink bare;
    bare.SetTarget("kelvara-test:bare");
    EXPECT_EQ(bare.DisplayText(), "kelvara-test:bare");
}

TEST(HyperLinkTest, ThePointerOverTheLinkTurnsItRed)
{
    CHyperLink link;
    link.setText("link");
    const QColor normal = link.TextColour();
    EXPECT_EQ(normal, link.palette().color(QPalette::Link));

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&link, &enter);
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(link.TextColour(), QColor(255, 0, 0));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_FALSE(link.IsHovering());
    EXPECT_EQ(link.TextColour(), normal);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
}

TEST(HyperLinkTest, TheTabKeyReachesTheLink)
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    auto* link = new CHyperLink(&window);
    link->setText("link");
    layout->addWidget(edit);
    layout->addWidget(link);
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(link->hasFocus());
}

TEST(HyperLinkTest, TheLinkFitsItsTextUpToTheMaximumWidth)
{
    CHyperLink link;
    link.setText("short");
    const int shortWidth = link.sizeHint().width();
    link.setText("a considerably longer caption for the same link");
    link.SetTarget({});
    const int longWidth = link.sizeHint().width();
    EXPECT_GT(longWidth, shortWidth);
    EXPECT_EQ(link.width(), longWidth);

    link.SetFitToText(true, 40);
    EXPECT_EQ(link.sizeHint().width(), 40 + 4);
    EXPECT_EQ(link.width(), 44);

    // Refitting keeps the vertical centre.
    link.setGeometry(10, 100, 44, 40);
    const int centre = link.geometry().center().y();
    link.SetTarget({});
    EXPECT_LE(std::abs(link.geometry().center().y() - centre), 1);
    EXPECT_EQ(link.geometry().left(), 10);
}

} // namespace

#include "hyperlink_gui_test.moc"
