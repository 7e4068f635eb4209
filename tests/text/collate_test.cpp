#include "text/collate.h"
#include "text/textmatch.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

// The lists in the user's language sort as a reader of it expects; each row would sort the other
// way by the English rule (Latin-1 folding, other scripts by code point).
TEST(DisplayOrder, FollowsTheLanguagesCollation)
{
    struct Row {
        const char* language;
        const char* first;
        const char* second;
    };
    const Row rows[] = {
        {"sv", "Zebra", "Örn"},  // Swedish ö after z
        {"ru", "Арбуз", "Ёлка"}, // Ё beside Е, not before А
        {"zh_CN", "磅", "千克"}, // pinyin: bang before qian
        {"pl", "lody", "łódka"}, // ł after l, before m
        {"pl", "łódka", "mama"},
    };
    for (const Row& row : rows) {
        SetCollationLanguage(row.language);
        EXPECT_LT(CompareDisplayText(row.first, row.second), 0) << row.language << ": " << row.first;
        EXPECT_GT(CompareDisplayText(row.second, row.first), 0) << row.language << ": " << row.second;
    }
    // English, and a language ICU does not know, keep the English rule (stored positions rely on it).
    for (const char* language : {"", "xx"}) {
        SetCollationLanguage(language);
        EXPECT_LT(CompareDisplayText("Örn", "Zebra"), 0) << language;
    }
    // Texts a collation calls equal still get a place each, so the order is total.
    SetCollationLanguage("de");
    EXPECT_LT(CompareDisplayText("a\u0301", "\u00E1") * CompareDisplayText("\u00E1", "a\u0301"), 0);
    SetCollationLanguage("");
}

// A word typed in any script finds the names that hold it, without regard to case or marks.
TEST(DisplayOrder, FindingFoldsEveryScript)
{
    struct Row {
        const char* text;
        const char* query;
        bool found;
    };
    const Row rows[] = {
        {"Фунт (lb)", "фунт", true}, {"磅 (lb)", "磅", true},
        {"Łódź", "łódź", true},      {"Śląsk", "slask", true}, // ś has a base letter, ł does not
        {"Łódź", "lodz", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MatchesQuery(row.text, row.query), row.found) << row.text << " / " << row.query;
}

TEST(DisplayOrder, ACurrencysNameInLowerCaseOnlyWhereItIsAWord)
{
    struct Row {
        const char* text;
        const char* lowered;
    };
    const Row rows[] = {
        {"Franc suisse", "franc suisse"},
        {"Доллар США", "доллар США"},
        {"Éscudo", "éscudo"},
        {"CFA Franc", "CFA Franc"}, // an abbreviation stays
        {"", ""},
        {"\xFF\xFE", "\xFF\xFE"}, // not UTF-8: left alone
    };
    for (const Row& row : rows)
        EXPECT_EQ(LowerFirstLetterOfWord(row.text), row.lowered) << row.text;
}

} // namespace
} // namespace kelvara
