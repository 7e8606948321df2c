#include "common/paths.h"
#include <gtest/gtest.h>

using namespace qx;

TEST(Paths, FileNameAndParent) {
    struct Case { const wchar_t* path; const wchar_t* name; const wchar_t* parent; };
    const Case cases[] = {
        {L"C:\\a\\b.txt", L"b.txt", L"C:\\a"},
        {L"C:\\b.txt", L"b.txt", L"C:"},
        {L"C:\\a\\", L"", L"C:\\a"},
        {L"noslash", L"noslash", L""},
        {L"\\\\srv\\share\\f", L"f", L"\\\\srv\\share"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileNameOfPath(c.path), c.name) << c.path;
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
    }
}

TEST(Paths, JoinKeepsExactlyOneSeparator) {
    EXPECT_EQ(JoinPath(L"C:\\", L"x"), L"C:\\x");
    EXPECT_EQ(JoinPath(L"C:", L"x"), L"C:\\x");
    EXPECT_EQ(JoinPath(L"C:\\a", L"x"), L"C:\\a\\x");
    EXPECT_EQ(JoinPath(L"C:\\a\\", L"x"), L"C:\\a\\x");
}

TEST(Paths, DeleteQRemovesEveryQuote) {
    EXPECT_EQ(deleteQ(L"\"C:\\a b\""), L"C:\\a b");
    EXPECT_EQ(deleteQ(L"C:\\a\"b\"\"c"), L"C:\\abc");
    EXPECT_EQ(deleteQ(L""), L"");
}
