#include "platform/settingsprofilestore.h"

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

using kelvara::SettingsProfileStore;
using Access = SettingsProfileStore::Access;
using kelvara::ProfileStore;

class SettingsStore : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = QString::fromStdString(kelvara::test::TestRoot()) + QStringLiteral("/settings-") +
                   QString::fromStdString(testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir().mkpath(m_folder);
        m_path = m_folder + QStringLiteral("/Kelvara.conf");
    }

    std::unique_ptr<SettingsProfileStore> Store(Access access = Access::ReadWrite) const
    {
        return std::make_unique<SettingsProfileStore>(m_path.toStdString(), access);
    }

    void WriteFile(const QByteArray& bytes) const
    {
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QByteArray ReadFile() const
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString m_folder;
    QString m_path;
};

TEST_F(SettingsStore, LivesInTheOrganisationsFolderUnderTheConfigHome)
{
    const SettingsProfileStore store;
    EXPECT_EQ(store.GetLocation(), kelvara::test::TestRoot() + "/config/Brask/Kelvara.conf");
}

TEST_F(SettingsStore, ValuesRoundTripAndMissingOnesGiveTheDefault)
{
    auto store = Store();
    EXPECT_EQ(store->GetProfileInt("Options", "ShowBalloon", 1), 1);
    EXPECT_EQ(store->GetProfileString("Settings\\Rates", "USD", "none"), "none");

    EXPECT_TRUE(store->WriteProfileInt("Options", "ShowBalloon", 0));
    EXPECT_TRUE(store->WriteProfileInt("Settings", "Category", -1));
    EXPECT_TRUE(store->WriteProfileString("Settings\\Rates", "USD", "1.0842"));
    EXPECT_TRUE(store->WriteProfileString("Settings\\Rates", "XXX", "1,5 € ; \"quoted\", @odd"));

    const auto again = Store();
    EXPECT_EQ(again->GetProfileInt("Options", "ShowBalloon", 1), 0);
    EXPECT_EQ(again->GetProfileInt("Settings", "Category", 0), -1);
    EXPECT_EQ(again->GetProfileString("Settings\\Rates", "USD"), "1.0842");
    EXPECT_EQ(again->GetProfileString("Settings\\Rates", "XXX"), "1,5 € ; \"quoted\", @odd");
}

TEST_F(SettingsStore, BackslashSectionsAreNestedGroupsOnDisk)
{
    auto store = Store();
    ASSERT_TRUE(store->WriteProfileInt("Settings\\Categories\\3", "SourceUnit", 7));
    // Another reader of the same file sees group "Settings/Categories/3", and the write is already
    // on disk when the call returns.
    QSettings raw(m_path, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Settings/Categories/3/SourceUnit")).toInt(), 7);
    EXPECT_TRUE(ReadFile().contains("SourceUnit=7"));
}

TEST_F(SettingsStore, IntegersReadLikeStringValues)
{
    WriteFile("[Options]\nA=12abc\nB=  -4\nC=abc\nD=\nE=99999999999\n");
    const auto store = Store();
    EXPECT_EQ(store->GetProfileInt("Options", "A", 5), 12);
    EXPECT_EQ(store->GetProfileInt("Options", "B", 5), -4);
    // No number at all: the default, so a damaged value cannot switch an option off.
    EXPECT_EQ(store->GetProfileInt("Options", "C", 5), 5);
    EXPECT_EQ(store->GetProfileInt("Options", "D", 5), 5);
    EXPECT_EQ(store->GetProfileInt("Options", "E", 5), 2147483647);
}

TEST_F(SettingsStore, HandEditedListValueReadsAsOneText)
{
    WriteFile("[Settings]\nRates\\ABC=1,5\n");
    EXPECT_EQ(Store()->GetProfileString("Settings\\Rates", "ABC"), "1,5");
}

TEST_F(SettingsStore, DamagedFileKeepsWhatCanBeReadAndTakesWrites)
{
    QByteArray bytes("[Options]\nCloseToSystray=1\n[Settings\nno equals sign here\n");
    bytes += QByteArray("\x00\x01\xff\xfe garbage\n", 13);
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>((i * 7919 + 13) & 0xFF);
    bytes += '\n';
    bytes += "[Settings]\nCategory=4\n";
    WriteFile(bytes);

    auto store = Store();
    EXPECT_EQ(store->GetProfileInt("Options", "CloseToSystray", 0), 1);
    EXPECT_EQ(store->GetProfileInt("Settings", "Category", 0), 4);
    EXPECT_TRUE(store->WriteProfileInt("Options", "AlwaysOnTop", 1));

    const auto again = Store();
    EXPECT_EQ(again->GetProfileInt("Options", "AlwaysOnTop", 0), 1);
    EXPECT_EQ(again->GetProfileInt("Options", "CloseToSystray", 0), 1);
    EXPECT_EQ(again->GetProfileInt("Settings", "Category", 0), 4);
}

TEST_F(SettingsStore, UnreadableFileReadsAsEmptyAndIsNotReplaced)
{
    // A folder where the file should be: nothing can read or replace it.
    ASSERT_TRUE(QDir().mkpath(m_path));
    auto store = Store();
    EXPECT_EQ(store->GetProfileInt("Options", "ShowBalloon", 1), 1);
    EXPECT_FALSE(store->WriteProfileInt("Options", "ShowBalloon", 0));
    EXPECT_FALSE(store->WriteProfileString("Settings\\Rates", "USD", "1.1"));
    EXPECT_TRUE(QFileInfo(m_path).isDir());
}

TEST_F(SettingsStore, WriteFailureIsReportedAndTheNextWriteIsJudgedAfresh)
{
    // The organisation's folder cannot be made while a file of its name is in the way.
    const QString blocked = m_folder + QStringLiteral("/Brask");
    {
        QFile file(blocked);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto store = std::make_unique<SettingsProfileStore>(
        (blocked + QStringLiteral("/Kelvara.conf")).toStdString(), Access::ReadWrite);
    EXPECT_FALSE(store->WriteProfileInt("Options", "AlwaysOnTop", 1));
    ASSERT_TRUE(QFile::remove(blocked));
    EXPECT_TRUE(store->WriteProfileInt("Options", "AlwaysOnTop", 1));
    EXPECT_EQ(store->GetProfileInt("Options", "AlwaysOnTop", 0), 1);
}

TEST_F(SettingsStore, ABatchIsWrittenWholeOrNotAtAll)
{
    auto store = Store();
    ASSERT_TRUE(store->WriteProfileString("Settings\\Rates", "USD", "1.1"));
    const std::vector<ProfileStore::Value> batch = {{"Settings\\Rates", "USD", "1.2"},
                                                    {"Settings\\Rates", "USD.Date", "2026-12-08"},
                                                    {"Settings\\Rates", "USD.Source", "ECB"}};
    // A folder where the file's temporary twin must go: the file cannot be replaced.
    const QByteArray before = ReadFile();
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool refused = !store->WriteProfileStrings(batch);
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (refused) { // (root writes anyway; the refusal itself is tested beside, with the folder blocked)
        EXPECT_EQ(ReadFile(), before);
    }

    ASSERT_TRUE(store->WriteProfileStrings(batch));
    EXPECT_EQ(store->GetProfileString("Settings\\Rates", "USD"), "1.2");
    EXPECT_EQ(store->GetProfileString("Settings\\Rates", "USD.Source"), "ECB");
    EXPECT_EQ(store->GetLocation(), m_path.toStdString());

    const QString blocked = m_folder + QStringLiteral("/Brask");
    {
        QFile file(blocked);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    SettingsProfileStore nowhere((blocked + QStringLiteral("/Kelvara.conf")).toStdString(), Access::ReadWrite);
    EXPECT_FALSE(nowhere.WriteProfileStrings(batch));
    EXPECT_FALSE(Store(Access::ReadOnly)->WriteProfileStrings(batch));
}

TEST_F(SettingsStore, ChangesOfAnotherWriterAreSeen)
{
    auto first = Store();
    auto second = Store();
    EXPECT_EQ(first->GetProfileInt("Options", "AlwaysOnTop", 0), 0);
    ASSERT_TRUE(second->WriteProfileInt("Options", "AlwaysOnTop", 1));
    EXPECT_EQ(first->GetProfileInt("Options", "AlwaysOnTop", 0), 1);
}

TEST_F(SettingsStore, ReadOnlyStoreNeverWrites)
{
    auto store = Store(Access::ReadOnly);
    EXPECT_FALSE(store->WriteProfileInt("Options", "AlwaysOnTop", 1));
    EXPECT_FALSE(store->WriteProfileString("Settings\\Rates", "USD", "1.3"));
    EXPECT_EQ(store->GetProfileInt("Options", "AlwaysOnTop", 0), 0);
    EXPECT_FALSE(QFile::exists(m_path));
}

} // namespace
