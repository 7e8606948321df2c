#include "quarrix/window/startup.h"
#include "tests/native/fake_registry.h"
#include <gtest/gtest.h>
#include <set>

using namespace qx::quarrix;
using qx::test::FakeRegistry;

TEST(Startup, ArgumentsFollowTheProgramName) {
    struct Case {
        const wchar_t* line;
        const wchar_t* arguments;
    };
    const Case cases[] = {
        {L"\"C:\\Program Files\\T\\Quarrix.exe\" \"D:\\My Docs\"", L"\"D:\\My Docs\""},
        {L"C:\\T\\Quarrix.exe D:\\My Docs", L"D:\\My Docs"},
        {L"\"C:\\T\\Quarrix.exe\"   /setup", L"/setup"},
        {L"Quarrix.exe\t/setup ", L"/setup "},
        {L"\"C:\\T\\Quarrix.exe\"/setup", L"/setup"},
        {L"Quarrix.exe a  b ", L"a  b "},
        {L"\"C:\\T\\Quarrix.exe\"", L""},
        {L"Quarrix.exe   ", L""},
        {L"\"C:\\T\\Quarrix.exe D:\\x", L""}, // no closing quote: all of it is the name
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArgumentsOfCommandLine(c.line), c.arguments) << c.line;
}

TEST(Startup, SetupSwitchIsExact) {
    EXPECT_TRUE(IsSetupRun(L"/setup"));
    for (const wchar_t* other :
         {L"/SETUP", L"/Setup", L" /setup", L"/setup ", L"\"/setup\"", L"-setup", L"/setup x", L""})
        EXPECT_FALSE(IsSetupRun(other)) << other;
}

TEST(Startup, ExplorerVerbCommand) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* file;
        const wchar_t* command;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Trawlbeam", L"Quarrix.exe",
         L"\"C:\\Program Files\\Trawlbeam\\Quarrix.exe\" \"%1\""},
        {L"C:\\", L"Quarrix.exe", L"\"C:\\Quarrix.exe\" \"%1\""},
        {L"C:", L"Quarrix.exe", L"\"C:\\Quarrix.exe\" \"%1\""},
        {L"D:\\x", L"Quarrix", L"\"D:\\x\\Quarrix.exe\" \"%1\""},
        {L"D:\\x", L"my.tool.EXE", L"\"D:\\x\\my.tool.exe\" \"%1\""},
        {L"\\\\srv\\apps", L"Quarrix.exe", L"\"\\\\srv\\apps\\Quarrix.exe\" \"%1\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExplorerVerbCommand(c.folder, c.file), c.command) << c.folder << " " << c.file;
}

TEST(Startup, RegisterExplorerVerbWritesTheDefaultValue) {
    FakeRegistry reg;
    RegisterExplorerVerb(reg, L"C:\\Program Files\\Trawlbeam", L"Quarrix.exe");
    const auto* v = reg.Find(qx::kClassesRoot, L"Directory\\shell\\Trawlbeam\\command", L"");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, FakeRegistry::kSz);
    const std::string expected = "\"C:\\Program Files\\Trawlbeam\\Quarrix.exe\" \"%1\"";
    std::vector<std::uint8_t> bytes(expected.begin(), expected.end());
    bytes.push_back(0);
    EXPECT_EQ(v->bytes, bytes);
    EXPECT_TRUE(reg.HasKey(qx::kClassesRoot, L"Directory\\shell\\Trawlbeam"));
    EXPECT_EQ(reg.ValueCount(qx::kClassesRoot, L"Directory\\shell\\Trawlbeam\\command"), 1u);
}

TEST(Startup, FolderFromCommandLine) {
    const std::set<std::wstring> folders = {L"C:\\", L"D:\\My Docs", L"docs", L"C:"};
    std::vector<std::wstring> asked;
    const auto exists = [&](const std::wstring& p) {
        asked.push_back(p);
        return folders.count(p) != 0;
    };
    struct Case {
        const char* what;
        const wchar_t* line;
        std::optional<std::wstring> folder;
    };
    const Case cases[] = {
        {"empty", L"", std::nullopt},
        {"quoted folder with blanks", L"\"D:\\My Docs\"", L"D:\\My Docs"},
        {"blanks without quotes", L"D:\\My Docs", L"D:\\My Docs"},
        {"quotes anywhere", L"D:\\My\"\" Do\"cs\"", L"D:\\My Docs"},
        {"a file", L"\"D:\\My Docs\\a b.txt\"", L"D:\\My Docs"},
        {"a file in a drive root", L"C:\\boot.ini", L"C:\\"},
        {"a drive root", L"\"C:\\\"", L"C:\\"},
        {"a drive without its \\", L"C:", L"C:\\"},
        {"nothing there", L"E:\\Gone\\x.txt", L"E:\\Gone"},
        {"a server share's file", L"\\\\srv\\share\\f.txt", L"\\\\srv\\share"},
        {"set-up switch in capitals", L"/SETUP", std::nullopt},
        {"a name without \\", L"readme.txt", std::nullopt},
        {"an existing folder without \\", L"docs", L"docs"},
        {"only quotes", L"\"\"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderFromCommandLine(c.line, exists), c.folder) << c.what;
    // The existence test sees the text without its quotes.
    EXPECT_NE(std::find(asked.begin(), asked.end(), L"D:\\My Docs\\a b.txt"), asked.end());
}
