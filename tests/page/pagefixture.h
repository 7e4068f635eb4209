#pragma once

#include "page/conversionpage.h"
#include "page/hyperlink.h"
#include "page/numberedit.h"
#include "page/unitcombobox.h"
#include "platform/profilestore.h"
#include "platform/programpath.h"
#include "support/recordingpresenter.h"

#include "kelvara/testpaths.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace kelvara::test {

// A memory store that counts writes, so tests can tell that nothing was written.
class CountingStore : public MemoryProfileStore {
public:
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override
    {
        ++writes;
        return MemoryProfileStore::WriteProfileInt(section, entry, value);
    }
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override
    {
        ++writes;
        return MemoryProfileStore::WriteProfileString(section, entry, value);
    }
    bool WriteProfileStrings(const std::vector<Value>& values) override
    {
        ++writes;
        return MemoryProfileStore::WriteProfileStrings(values);
    }
    using MemoryProfileStore::GetProfileString;

    int writes = 0;
};

// A conversion page over the small data files of tests/data/page, a store in memory and recorded
// message boxes.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProfile(&store);
        SetProgramDirectoryOverride(KELVARA_TEST_DATA_DIR "/page");
        QGuiApplication::clipboard()->clear();
    }

    void TearDown() override
    {
        page.reset();
        SetProgramDirectoryOverride({});
        SetProfile(nullptr);
    }

    // Regional notation is off unless asked for, so results read the same in every locale.
    CConversionPage& MakePage(bool regional = false)
    {
        if (!store.Contains("Options", "UseRegionalSettings"))
            store.WriteProfileInt("Options", "UseRegionalSettings", regional ? 1 : 0);
        store.writes = 0;
        page = std::make_unique<CConversionPage>(nullptr, [] { return true; });
        return *page;
    }

    template <typename T> T* Child(const char* name) const
    {
        T* child = page->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    UnitComboBox* Categories() const { return Child<UnitComboBox>("categoryList"); }
    UnitComboBox* SourceUnits() const { return Child<UnitComboBox>("sourceUnitList"); }
    UnitComboBox* TargetUnits() const { return Child<UnitComboBox>("targetUnitList"); }
    UnitComboBox* Values() const { return Child<UnitComboBox>("valueList"); }
    CNumberEdit* Source() const { return Child<CNumberEdit>("sourceEdit"); }
    CNumberEdit* Target() const { return Child<CNumberEdit>("targetEdit"); }
    QPushButton* Button(const char* name) const { return Child<QPushButton>(name); }
    QLabel* Label(const char* name) const { return Child<QLabel>(name); }

    // Picks `text` in `list` as the user does (the list reports the confirmed selection).
    static void Choose(UnitComboBox* list, const QString& text)
    {
        const int position = list->findText(text);
        if (position < 0) {
            ADD_FAILURE() << "no entry " << text.toStdString();
            return;
        }
        list->setCurrentIndex(position);
        emit list->activated(position);
    }

    void ChooseCategory(const QString& name) { Choose(Categories(), name); }

    static void Type(QWidget* field, const QString& keys) { QTest::keyClicks(field, keys); }

    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

    int Stored(const std::string& section, const std::string& entry) const
    {
        return store.GetProfileInt(section, entry, INT_MIN);
    }

    static QStringList Entries(const QComboBox* list)
    {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        return entries;
    }

    RecordingPresenter presenter;
    CountingStore store;
    std::unique_ptr<CConversionPage> page;
};

} // namespace kelvara::test
