// The search's Win32 file system on real files under Wine: hidden and system entries, a file
// another program holds exclusively, names outside the ANSI code page, long paths, folder
// links, and the platform's tables and UTF-8 converter.
#include <windows.h>
#undef Yield // an old 16-bit macro that hides EventPump::Yield
#include "quarrix/search/search.h"
#include "quarrix/search/search_ui.h"
#include "quarrix/search/search_win.h"
#include "quarrix/search/utf8.h"
#include "common/win/window_win.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

using namespace qx::search;

namespace {

class RecordingUi final : public SearchUi {
  public:
    SearchInputs Inputs;
    std::vector<std::wstring> Results, Errors;
    std::wstring Status;
    SearchInputs ReadInputs() override { return Inputs; }
    std::wstring SizeText() override { return L"100"; }
    void SetMaskText(const std::wstring&) override {}
    void ShowNoEncodingMessage() override {}
    void SetSearching(bool) override {}
    void SetBusyPointer(bool) override {}
    void ShowResults(bool) override {}
    void ClearLists() override {
        Results.clear();
        Errors.clear();
    }
    void AddResult(const std::wstring& path) override { Results.push_back(path); }
    void AddError(const std::wstring& line) override { Errors.push_back(line); }
    void SetStatus(const std::wstring& text) override { Status = text; }
    void SetProgress(const std::wstring&) override {}
    void SetPauseCaption(const std::wstring&) override {}
    int MeasurePath(const std::wstring& path) override { return static_cast<int>(path.size()); }
    void SetHorizontalExtent(int) override {}
    bool AnyResultChecked() override { return false; }
    void SetToolsFrame(bool) override {}
    void UpdateHistories() override {}
    void FocusFindButton() override {}
    void Yield() override {}
    void Sleep(unsigned) override {}
};

void Write(const std::wstring& path, const std::string& bytes) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD done = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    ::CloseHandle(h);
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW d;
    HANDLE f = ::FindFirstFileW((dir + L"\\*").c_str(), &d);
    if (f != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(path);
            else if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ::RemoveDirectoryW(path.c_str());
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(f, &d));
        ::FindClose(f);
    }
    ::RemoveDirectoryW(dir.c_str());
}

class SearchFs : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"qx-search-" + std::to_wstring(::GetCurrentProcessId());
        RemoveTree(root_);
        ASSERT_TRUE(::CreateDirectoryW(root_.c_str(), nullptr));
        ui.Inputs.RootFolder = root_;
        ui.Inputs.MaskText = L"*.*";
    }
    void TearDown() override { RemoveTree(root_); }
    void Run() { StartSearch(ui, fs, state, tables); }
    bool Found(const std::wstring& path) const {
        return std::find(ui.Results.begin(), ui.Results.end(), path) != ui.Results.end();
    }

    std::wstring root_;
    RecordingUi ui;
    Win32FileSystem fs;
    SearchState state;
    TextTables tables = PlatformTextTables();
};

TEST_F(SearchFs, HiddenAndSystemEntriesAreSearched) {
    const std::wstring dir = root_ + L"\\hidden dir";
    ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr));
    Write(root_ + L"\\h.txt", "needle");
    Write(root_ + L"\\s.txt", "needle");
    Write(dir + L"\\inner.txt", "needle");
    ::SetFileAttributesW((root_ + L"\\h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((root_ + L"\\s.txt").c_str(),
                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ui.Inputs.SearchText = L"NEEDLE";
    Run();
    EXPECT_TRUE(Found(root_ + L"\\h.txt"));
    EXPECT_TRUE(Found(root_ + L"\\s.txt"));
    EXPECT_TRUE(Found(dir + L"\\inner.txt"));
    EXPECT_EQ(ui.Status, L"Найдено 3 файлов\r\nПоиск завершён");
    // A hidden start folder is found too.
    ui.Inputs.RootFolder = dir;
    Run();
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{dir + L"\\inner.txt"});
    // With and without its trailing "\".
    ui.Inputs.RootFolder = dir + L"\\";
    Run();
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{dir + L"\\inner.txt"});
}

TEST_F(SearchFs, AFileHeldExclusivelyIsReportedWithTheErrorAndItsPath) {
    const std::wstring locked = root_ + L"\\locked.txt";
    Write(locked, "needle");
    Write(root_ + L"\\free.txt", "needle");
    HANDLE hold =
        ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    ui.Inputs.SearchText = L"needle";
    Run();
    ::CloseHandle(hold);
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{root_ + L"\\free.txt"});
    ASSERT_EQ(ui.Errors.size(), 2u);
    const std::wstring description = qx::win::ErrorDescription(ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(description.empty());
    EXPECT_EQ(description.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(ui.Errors[0], L"_!  Error 32  " + description);
    EXPECT_EQ(ui.Errors[1], locked);
}

TEST_F(SearchFs, NamesOutsideTheAnsiCodePageAreFoundAndOpened) {
    const std::wstring greek = root_ + L"\\αβγ δοκιμή.txt";
    const std::wstring cjk = root_ + L"\\漢字\\文件.txt";
    ASSERT_TRUE(::CreateDirectoryW((root_ + L"\\漢字").c_str(), nullptr));
    Write(greek, "needle");
    Write(cjk, "needle");
    Write(root_ + L"\\plain.txt", "hay");
    for (const wchar_t* text : {L"", L"needle"}) {
        ui.Inputs.SearchText = text;
        Run();
        EXPECT_TRUE(Found(greek)) << text;
        EXPECT_TRUE(Found(cjk)) << text;
        EXPECT_TRUE(ui.Errors.empty());
    }
    // The masks see the long names, case ignored by the platform's table.
    ui.Inputs.SearchText.clear();
    ui.Inputs.MaskText = L"ΑΒΓ*";
    Run();
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{greek});
}

TEST_F(SearchFs, PathsBeyondTheClassicLimit) {
    std::wstring dir = root_;
    while (dir.size() < MAX_PATH + 40) {
        dir += L"\\" + std::wstring(60, L'd');
        ASSERT_TRUE(::CreateDirectoryW(LongPathForm(dir).c_str(), nullptr)) << ::GetLastError();
    }
    const std::wstring file = dir + L"\\deep.txt";
    Write(LongPathForm(file), "needle");
    ui.Inputs.SearchText = L"needle";
    Run();
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{file});
    EXPECT_TRUE(ui.Errors.empty());
}

TEST_F(SearchFs, FolderLinksAreNotFollowed) {
    const std::wstring target = root_ + L"\\target";
    ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
    Write(target + L"\\t.txt", "x");
    const std::wstring link = root_ + L"\\link";
    // Wine 8 answers TRUE here without making anything, and refuses junctions: the walk's
    // side of this is covered natively.
    if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no folder links on this platform";
    std::vector<DirEntry> entries;
    ASSERT_TRUE(fs.List(root_ + L"\\", entries));
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [](const DirEntry& e) { return e.Name == L"link"; });
    ASSERT_NE(it, entries.end());
    EXPECT_TRUE(it->IsReparsePoint);
    Run();
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{target + L"\\t.txt"});
}

TEST(PlatformTables, FromTheRussianLocale) {
    const TextTables t = PlatformTextTables();
    EXPECT_EQ(t.Fold(L'ж'), L'Ж');
    EXPECT_EQ(t.Fold(L'z'), L'Z');
    EXPECT_EQ(t.Fold(L'Ж'), L'Ж');
    EXPECT_EQ(t.Ansi[0xE6], u'ж'); // code page 1251
    EXPECT_EQ(t.Ansi[0x41], u'A');
    EXPECT_EQ(t.DecimalSeparator, L",");
}

// Our decoder against the platform's converter, on inputs where Windows and Wine agree.
TEST(PlatformTables, Utf8DecodingAsTheConverterDoes) {
    const std::string inputs[] = {
        "plain ASCII",
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
        "\xEF\xBB\xBF"
        "BOM",
        "\xF0\x9F\x98\x80 pair",
        "\xE2\x82"
        "A cut",
        "\x80\x80"
        "A",
        "\xC0\x80"
        "x",
        "\xF0\x90\x80"
        "A",
        "\xC2\xE2\x82\xAC",
        "\xF8\x88\x80"
        "z",
        "\xED\x9F\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF",
    };
    for (const std::string& in : inputs) {
        wchar_t out[64];
        const int n =
            ::MultiByteToWideChar(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), out, 64);
        std::u16string ours;
        FromUTF8(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), ours);
        EXPECT_EQ(
            std::u16string(reinterpret_cast<const char16_t*>(out), static_cast<std::size_t>(n)),
            ours)
            << ::testing::PrintToString(in);
    }
}

} // namespace
