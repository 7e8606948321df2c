#include "quarrix/search/search.h"
#include "quarrix/search/size_box.h"
#include "quarrix/search/text_tables.h"
#include "quarrix/search/wildcard.h"
#include <gtest/gtest.h>

using namespace qx::search;

namespace {

TEST(FileMask, LongNameRules) {
    const TextTables tables = NativeTextTables();
    struct Case {
        const wchar_t* mask;
        const wchar_t* name;
        bool match;
    };
    const Case cases[] = {
        {L"*.*", L"a.txt", true},
        {L"*.*", L"README", true},
        {L"*.*", L".profile", true},
        {L"*", L"a.b.c", true},
        {L"*.txt", L"A.TXT", true},
        {L"*.txt", L"a.b.txt", true},
        {L"*.txt", L"a.txt.bak", false},
        {L"*.txt", L"atxt", false},
        {L"*.tx", L"a.txt", false},
        {L"ОТЧЁТ*.doc", L"отчёт 2024.DOC", true}, // case by the folding table
        {L"?.txt", L"a.txt", true},
        {L"?.txt", L".txt", false}, // "?" is exactly one character
        {L"??.txt", L"a.txt", false},
        {L"a?c", L"a.c", true},
        {L"readme.*", L"readme", true}, // a dot before trailing stars may meet the end
        {L"readme.*", L"readme.md", true},
        {L"readme.*", L"readmes", false},
        {L"readme.", L"readme", true}, // a trailing dot takes the name without extension
        {L"readme.", L"readme.md", false},
        {L"*.", L"Makefile", true}, // "*." takes exactly the names without a dot
        {L"*.", L"a.b", false},
        {L"*.", L".x", false},
        {L"*.*.*", L"a.b", true}, // the last dot may meet the end
        {L"*.*.*", L"a.b.c", true},
        {L"*.t*", L"a.txt.bak", true},
        {L"*a*b*", L"xxaxxbxx", true},
        {L"*a*b*", L"xxbxxaxx", false},
        {L"a*", L"A", true},
        {L" *.txt", L" a.txt", true}, // blanks count
        {L" *.txt", L"a.txt", false},
        {L"*.txt ", L"a.txt", false},
        {L"", L"a", false},
        {L"<*", L"<a", true}, // no hidden wildcards
        {L"<*", L"a", false},
        {L"sub\\*.txt", L"a.txt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileMask(c.mask, tables).Matches(c.name), c.match)
            << "mask \"" << testing::PrintToString(std::wstring(c.mask)) << "\" name "
            << testing::PrintToString(std::wstring(c.name));
}

TEST(FileMask, CaseIgnoredOnlyThroughTheTable) {
    const TextTables plain = PlainTextTables(); // ASCII letters only
    EXPECT_TRUE(FileMask(L"ABC.TXT", plain).Matches(L"abc.txt"));
    EXPECT_FALSE(FileMask(L"Ж.txt", plain).Matches(L"ж.txt"));
    EXPECT_TRUE(FileMask(L"Ж.txt", NativeTextTables()).Matches(L"ж.txt"));
}

TEST(FixMasks, SplitsAfterTheFixUps) {
    struct Case {
        const wchar_t* text;
        const wchar_t* fixed;
        std::vector<std::wstring> masks;
    };
    const Case cases[] = {
        {L"", L"*.*", {L"*.*"}},
        {L"*.txt", L"*.txt", {L"*.txt"}},
        {L"*.txt;", L"*.txt", {L"*.txt"}},
        {L"*.txt;;", L"*.txt;", {L"*.txt", L""}},
        {L";*.txt", L";*.txt", {L"", L"*.txt"}},
        {L"a; b ;c", L"a; b ;c", {L"a", L" b ", L"c"}},
        {L";", L"", {L""}},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        EXPECT_EQ(FixMasks(text), c.masks) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(text, c.fixed);
    }
}

TEST(SizeBox, ReplacementAndLimit) {
    const std::uint64_t mb = kMegabyte, ceiling = kSizeCeiling;
    struct Case {
        const wchar_t* text;
        const wchar_t* sep;
        const wchar_t* replacement; // null: the text stays
        std::uint64_t limit;
    };
    const Case cases[] = {
        {L"100", L",", nullptr, 100 * mb},
        {L"1", L",", nullptr, mb},
        {L"2047", L",", nullptr, 2047 * mb},
        {L"2048", L",", L"2047", ceiling},
        {L"2047,5", L",", L"2047", static_cast<std::uint64_t>(2047.5 * mb)},
        {L"1,5", L",", nullptr, mb + mb / 2},
        {L"1.5", L",", L"2047", ceiling}, // not the Russian way of writing it
        {L"1.5", L".", nullptr, mb + mb / 2},
        {L",5", L",", L"1", mb / 2},
        {L"5,", L",", nullptr, 5 * mb},
        {L"0", L",", L"1", ceiling},
        {L"0,0", L",", L"1", ceiling},
        {L"-5", L",", L"1", 0},
        {L"+7", L",", nullptr, 7 * mb},
        {L" 12 ", L",", nullptr, 12 * mb},
        {L"", L",", L"2047", ceiling},
        {L"abc", L",", L"2047", ceiling},
        {L"12abc", L",", L"2047", ceiling},
        {L"1e9", L",", L"2047", ceiling},
        {L"1 000", L",", L"2047", ceiling},
        {L",", L",", L"2047", ceiling},
        {L"1,2,3", L",", L"2047", ceiling},
        {L"99999999999", L",", L"2047", ceiling},
    };
    for (const Case& c : cases) {
        const auto r = SizeBoxReplacement(c.text, c.sep);
        const auto name = testing::PrintToString(std::wstring(c.text));
        if (c.replacement) {
            ASSERT_TRUE(r.has_value()) << name;
            EXPECT_EQ(*r, c.replacement) << name;
        } else {
            EXPECT_FALSE(r.has_value()) << name;
        }
        EXPECT_EQ(SizeLimitBytes(c.text, c.sep), c.limit) << name;
    }
}

} // namespace
