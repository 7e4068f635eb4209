#include "shell/trayicon.h"

#include "shell/appicon.h"
#include "shell/iconpixels.h"

#include "faketrayhost.h"

#include <QImageReader>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using kelvara::test::FakeTrayHost;

struct Tray {
    Tray()
    {
        auto owned = std::make_unique<FakeTrayHost>();
        host = owned.get();
        icon = std::make_unique<CTrayIcon>(128, std::move(owned));
    }
    FakeTrayHost* host;
    std::unique_ptr<CTrayIcon> icon;
};

TEST(TrayIcon, NothingIsSentWithoutAnIcon)
{
    Tray tray;
    EXPECT_FALSE(tray.icon->Update());
    EXPECT_FALSE(tray.icon->ShowBalloon(57344, 17, 30, 1));
    EXPECT_TRUE(tray.host->requests.isEmpty());
    EXPECT_FALSE(tray.icon->IsAdded());
}

TEST(TrayIcon, FirstUpdateAddsLaterOnesModify)
{
    Tray tray;
    tray.icon->SetTooltip(57344);
    ASSERT_TRUE(tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false));
    EXPECT_TRUE(tray.icon->Update());
    EXPECT_TRUE(tray.icon->IsAdded());
    EXPECT_TRUE(tray.icon->IsVisible());
    tray.icon->SetTooltip(QStringLiteral("changed"));
    EXPECT_TRUE(tray.icon->Update());
    EXPECT_EQ(tray.host->requests, QStringList({"add", "modify"}));
    EXPECT_EQ(tray.host->lastTooltip, QStringLiteral("changed"));
}

TEST(TrayIcon, RefusedAddLeavesTheIconUnaddedSoTheNextUpdateAddsAgain)
{
    Tray tray;
    tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false);
    tray.host->available = false;
    EXPECT_FALSE(tray.icon->Update());
    EXPECT_FALSE(tray.icon->IsVisible());
    EXPECT_FALSE(tray.icon->ShowBalloon(57344, 17, 30, 1));
    tray.host->available = true;
    EXPECT_TRUE(tray.icon->Update());
    EXPECT_EQ(tray.host->requests, QStringList({"add", "add"}));
}

TEST(TrayIcon, BalloonCarriesTitleTextTimeoutAndIcon)
{
    Tray tray;
    tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false);
    ASSERT_TRUE(tray.icon->Update());
    EXPECT_TRUE(tray.icon->ShowBalloon(57344, 17, 30, kelvara::BalloonInfo));
    ASSERT_EQ(tray.host->balloons.size(), 1u);
    EXPECT_EQ(tray.host->balloons[0].title, QStringLiteral("Kelvara"));
    EXPECT_TRUE(tray.host->balloons[0].text.startsWith(QStringLiteral("The program is still running.")));
    EXPECT_EQ(tray.host->balloons[0].timeout, 30);
    EXPECT_EQ(tray.host->balloons[0].icon, kelvara::BalloonInfo);
}

TEST(TrayIcon, ATrayThatGoesAwayHidesTheIconUntilAnUpdateFindsOneAgain)
{
    Tray tray;
    QSignalSpy lost(tray.icon.get(), &CTrayIcon::Lost);
    tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false);
    ASSERT_TRUE(tray.icon->Update());
    tray.host->Lose();
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(tray.icon->IsVisible());
    EXPECT_FALSE(tray.icon->ShowBalloon(57344, 17, 30, 1));
    EXPECT_FALSE(tray.icon->Update());
    tray.host->available = true;
    EXPECT_TRUE(tray.icon->Update());
    EXPECT_TRUE(tray.icon->IsVisible());
    EXPECT_EQ(tray.host->requests, QStringList({"add", "modify", "modify"}));
}

TEST(TrayIcon, RemoveAndDestruction)
{
    Tray tray;
    tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false);
    ASSERT_TRUE(tray.icon->Update());
    tray.host->refuseDelete = true;
    EXPECT_FALSE(tray.icon->Remove());
    EXPECT_TRUE(tray.icon->IsAdded());
    EXPECT_TRUE(tray.icon->IsVisible());
    tray.host->refuseDelete = false;
    EXPECT_TRUE(tray.icon->Remove());
    EXPECT_FALSE(tray.icon->IsAdded());
    EXPECT_FALSE(tray.icon->IsVisible());
    EXPECT_TRUE(tray.icon->Remove()); // nothing left to delete: no request
    EXPECT_EQ(tray.host->requests.count(QStringLiteral("delete")), 2);

    // Removed, an Update adds it again.
    ASSERT_TRUE(tray.icon->Update());
    EXPECT_EQ(tray.host->requests.last(), QStringLiteral("add"));
}

TEST(TrayIcon, DestructionDeletesTheIcon)
{
    QStringList journal;
    {
        Tray tray;
        tray.host->journal = &journal;
        tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false);
        ASSERT_TRUE(tray.icon->Update());
    }
    EXPECT_EQ(journal, QStringList({"add", "delete"}));
}

TEST(TrayIcon, IconsAndTooltip)
{
    Tray tray;
    EXPECT_FALSE(tray.icon->AddIcon(4711, false)); // no such resource
    EXPECT_TRUE(tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false));
    EXPECT_TRUE(tray.icon->AddIcon(kelvara::IDR_MAINFRAME, false));
    EXPECT_EQ(tray.icon->GetIconCount(), 1u);
    EXPECT_TRUE(tray.icon->AddIcon(kelvara::IDR_MAINFRAME, true));
    EXPECT_EQ(tray.icon->GetIconCount(), 2u);

    tray.icon->SetTooltip(57344);
    tray.icon->SetTooltip(4711u); // not in the string table: unchanged
    EXPECT_EQ(tray.icon->GetTooltip(), QStringLiteral("Kelvara"));
}

TEST(TrayIcon, EventsReachTheOwnerWithTheIconsId)
{
    Tray tray;
    QSignalSpy spy(tray.icon.get(), &CTrayIcon::Notify);
    tray.host->Raise(kelvara::TrayEvent::LeftDoubleClick);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toUInt(), 128u);
    EXPECT_EQ(spy[0][1].value<kelvara::TrayEvent>(), kelvara::TrayEvent::LeftDoubleClick);
}

TEST(AppIcon, ResourceHoldsEverySizeFromSixteenUp)
{
    const QIcon icon = kelvara::LoadIconResource(kelvara::IDR_MAINFRAME);
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_TRUE(kelvara::LoadIconResource(129).isNull());
}

// The sizes the build turns into pixels show the same pictures as their PNGs.
TEST(AppIcon, TheSizesMadePixelsAreThePictures)
{
    const QIcon icon = kelvara::LoadIconResource(kelvara::IDR_MAINFRAME);
    ASSERT_GT(kelvara::kIconPixelsCount, 0u);
    for (std::size_t i = 0; i < kelvara::kIconPixelsCount; ++i) {
        const int size = kelvara::kIconPixels[i].size;
        QImageReader reader(QStringLiteral(":/icons/128/%1.png").arg(size), "png");
        const QImage picture = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(picture.isNull()) << size;
        EXPECT_EQ(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), picture) << size;
    }
}

} // namespace
