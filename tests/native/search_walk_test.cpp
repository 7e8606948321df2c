#include "quarrix/search/search.h"
#include "quarrix/search/text_tables.h"
#include "tests/native/fake_fs.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace qx::search;
using qx::search::testing::FakeFileSystem;
using qx::search::testing::FakeUi;

namespace {

const std::wstring kSeedProgress = std::wstring(L"Поиск в ") + kSeedEntry;

class Walk : public ::testing::Test {
  protected:
    Walk() {
        ui.Inputs.RootFolder = L"C:\\A";
        ui.Inputs.MaskText = L"*.*";
    }
    void Run() { StartSearch(ui, fs, state, tables); }
    // The progress lines shown while the walk ran (the final clearing left out).
    std::vector<std::wstring> Progress() const {
        auto p = ui.Progress;
        if (!p.empty() && p.back().empty()) p.pop_back();
        return p;
    }
    std::wstring FinalStatus() const { return ui.Status.empty() ? L"" : ui.Status.back(); }
    FakeFileSystem fs;
    FakeUi ui;
    SearchState state;
    TextTables tables = PlainTextTables();
};

TEST_F(Walk, QueueIsBreadthFirstAfterTheSeed) {
    fs.AddFile(L"C:\\A\\B\\D\\d.txt");
    fs.AddFile(L"C:\\A\\C\\c.txt");
    fs.AddFile(L"C:\\A\\B\\b.txt");
    Run();
    EXPECT_EQ(Progress(), (std::vector<std::wstring>{kSeedProgress, L"Поиск в C:\\A\\B",
                                                     L"Поиск в C:\\A\\C", L"Поиск в C:\\A\\B\\D"}));
    // Hits in walk order; the window sorts them.
    EXPECT_EQ(ui.Results, (std::vector<std::wstring>{L"C:\\A\\B\\b.txt", L"C:\\A\\C\\c.txt",
                                                     L"C:\\A\\B\\D\\d.txt"}));
    EXPECT_EQ(FinalStatus(), L"Найдено 3 файлов\r\nПоиск завершён");
    EXPECT_EQ(ui.Progress.back(), L"");
    EXPECT_TRUE(state.FolderQueue.empty());
    EXPECT_EQ(std::wstring(kSeedEntry).size(), 41u);
    EXPECT_TRUE(std::all_of(kSeedEntry, kSeedEntry + 41, [](wchar_t c) {
        return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
    }));
}

TEST_F(Walk, MaskTextFixUpsAndPasses) {
    fs.AddFile(L"C:\\A\\a.txt");
    fs.AddFile(L"C:\\A\\b.log");
    fs.AddFile(L"C:\\A\\README");
    fs.AddFile(L"C:\\A\\ lead.txt");
    struct Case {
        const wchar_t* text;
        const wchar_t* written; // what goes back into the box, or null
        std::vector<std::wstring> names;
    };
    const Case cases[] = {
        {L"*.txt;*.txt", nullptr, {L"a.txt", L" lead.txt", L"a.txt", L" lead.txt"}},
        {L"*.txt;*.log", nullptr, {L"a.txt", L" lead.txt", L"b.log"}},
        {L"*.TXT;", L"*.TXT", {L"a.txt", L" lead.txt"}},
        {L"", L"*.*", {L"a.txt", L"b.log", L"README", L" lead.txt"}},
        {L";b.log", nullptr, {L"b.log"}},
        {L"b.log;;", L"b.log;", {L"b.log"}},
        {L" *.txt", nullptr, {L" lead.txt"}},
        {L"*.txt ", nullptr, {}},
        {L"*.", nullptr, {L"README"}},
        {L";", L"", {}},
    };
    for (const Case& c : cases) {
        ui = FakeUi();
        ui.Inputs.RootFolder = L"C:\\A";
        ui.Inputs.MaskText = c.text;
        Run();
        std::vector<std::wstring> names;
        for (const auto& r : ui.Results)
            names.push_back(r.substr(5));
        EXPECT_EQ(names, c.names) << c.text;
        EXPECT_EQ(state.FoundCount, c.names.size()) << c.text;
        const bool wrote = std::find(ui.Log.begin(), ui.Log.end(),
                                     std::wstring(L"SetMaskText:") +
                                         (c.written ? c.written : L"")) != ui.Log.end();
        EXPECT_EQ(wrote, c.written != nullptr) << c.text;
    }
}

TEST_F(Walk, JoinsKeepExactlyOneSeparator) {
    fs.AddFile(L"C:\\x.txt");
    fs.AddFile(L"C:\\A\\y.txt");
    fs.AddFile(L"C:\\A\\B\\z.txt");
    struct Case {
        const wchar_t* root;
        std::vector<std::wstring> results;
        std::vector<std::wstring> progress;
    };
    const Case cases[] = {
        {L"C:",
         {L"C:\\x.txt", L"C:\\A\\y.txt", L"C:\\A\\B\\z.txt"},
         {kSeedProgress, L"Поиск в C:\\A", L"Поиск в C:\\A\\B"}},
        {L"C:\\",
         {L"C:\\x.txt", L"C:\\A\\y.txt", L"C:\\A\\B\\z.txt"},
         {kSeedProgress, L"Поиск в C:\\A", L"Поиск в C:\\A\\B"}},
        {L"C:\\A\\", {L"C:\\A\\y.txt", L"C:\\A\\B\\z.txt"}, {kSeedProgress, L"Поиск в C:\\A\\B"}},
        {L"C:\\A", {L"C:\\A\\y.txt", L"C:\\A\\B\\z.txt"}, {kSeedProgress, L"Поиск в C:\\A\\B"}},
    };
    for (const Case& c : cases) {
        ui = FakeUi();
        ui.Inputs.RootFolder = c.root;
        ui.Inputs.MaskText = L"*.txt";
        Run();
        EXPECT_EQ(ui.Results, c.results) << c.root;
        EXPECT_EQ(Progress(), c.progress) << c.root;
    }
}

TEST_F(Walk, MissingStartFolderIsReportedAndTouchesNoHistory) {
    fs.AddFile(L"C:\\A\\x.txt");
    for (const wchar_t* root : {L"C:\\Nope", L"C:\\Nope\\", L"", L"C:\\A\\x.txt\\"}) {
        ui = FakeUi();
        ui.Inputs.RootFolder = root;
        Run();
        EXPECT_EQ(ui.Errors, std::vector<std::wstring>{L"_!  Error  Path not found!"}) << root;
        EXPECT_EQ(FinalStatus(), L"Ничего не найдено\r\nPath not found!") << root;
        EXPECT_EQ(ui.HistoryUpdates, 0) << root;
        EXPECT_TRUE(fs.Listed.empty()) << root;
        EXPECT_FALSE(ui.Searching) << root;
        EXPECT_TRUE(ui.ResultsVisible) << root;
    }
}

TEST_F(Walk, StartFolderThatIsAFileFindsNothing) {
    fs.AddFile(L"C:\\A\\x.txt");
    ui.Inputs.RootFolder = L"C:\\A\\x.txt";
    Run();
    EXPECT_TRUE(ui.Results.empty());
    EXPECT_TRUE(ui.Errors.empty());
    EXPECT_EQ(ui.HistoryUpdates, 1);
    EXPECT_EQ(FinalStatus(), L"Ничего не найдено\r\nПоиск завершён");
}

TEST_F(Walk, WithoutSubfoldersOnlyTheStartFolderAndNoProgress) {
    fs.AddFile(L"C:\\A\\x.txt");
    fs.AddFile(L"C:\\A\\B\\y.txt");
    ui.Inputs.Subfolders = false;
    Run();
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{L"C:\\A\\x.txt"});
    EXPECT_EQ(ui.Progress, std::vector<std::wstring>{L""});
}

TEST_F(Walk, EncodingCheckChangesNothingElse) {
    for (bool search : {true, false}) {
        ui = FakeUi();
        (search ? ui.Inputs.SearchText : ui.Inputs.ExcludeText) = L"x";
        ui.Inputs.MatchASCII = ui.Inputs.MatchUTF8 = false;
        state.StatusText = L"before";
        Run();
        EXPECT_EQ(ui.Log, (std::vector<std::wstring>{L"ReadInputs", L"NoEncodingMessage"}));
        EXPECT_EQ(state.StatusText, L"before");
    }
    // No text: no encoding needed.
    ui = FakeUi();
    ui.Inputs.RootFolder = L"C:\\A";
    ui.Inputs.MatchASCII = ui.Inputs.MatchUTF8 = false;
    fs.AddFile(L"C:\\A\\x.txt");
    Run();
    EXPECT_EQ(ui.Results.size(), 1u);
}

TEST_F(Walk, LocksResetsAndGivesTheWindowBack) {
    fs.AddFile(L"C:\\A\\a-rather-long-name.txt");
    fs.AddFile(L"C:\\A\\b.txt");
    ui.Checked = true;
    state.StopRequested = state.PauseRequested = true;
    state.FoundCount = 9;
    Run();
    const std::vector<std::wstring> head(ui.Log.begin(), ui.Log.begin() + 8);
    EXPECT_EQ(head, (std::vector<std::wstring>{L"ReadInputs", L"SetSearching:1", L"ToolsFrame:0",
                                               L"Busy:1", L"PauseCaption:Пауза", L"SetStatus:",
                                               L"ClearLists", L"ShowResults:0"}));
    const std::wstring widest = L"C:\\A\\a-rather-long-name.txt";
    const std::vector<std::wstring> tail(ui.Log.end() - 8, ui.Log.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{
                        L"Busy:0", L"ShowResults:1", L"ToolsFrame:1", L"SetProgress:",
                        L"SetStatus:Найдено 2 файлов\r\nПоиск завершён", L"SetSearching:0",
                        L"Extent:" + std::to_wstring(7 * widest.size() + 3), L"FocusFind"}));
    EXPECT_EQ(state.StatusText, L"Поиск завершён");
}

TEST_F(Walk, BothTextsEmptyListsEveryMatchWithoutOpening) {
    fs.AddFile(L"C:\\A\\empty.txt");
    fs.AddFile(L"C:\\A\\big.txt", std::string(3 << 20, 'x'));
    ui.Size = L"1";
    Run();
    EXPECT_EQ(ui.Results.size(), 2u);
    EXPECT_EQ(fs.Opens, 0);
}

TEST_F(Walk, HitsAreCountedAsTheyComeWithTheContentCheck) {
    fs.AddFile(L"C:\\A\\1.txt", "needle");
    fs.AddFile(L"C:\\A\\2.txt", "hay");
    fs.AddFile(L"C:\\A\\B\\3.txt", "a needle");
    ui.Inputs.SearchText = L"needle";
    Run();
    EXPECT_EQ(ui.Results, (std::vector<std::wstring>{L"C:\\A\\1.txt", L"C:\\A\\B\\3.txt"}));
    EXPECT_EQ(ui.Status, (std::vector<std::wstring>{L"", L"Найдено 1 файлов", L"Найдено 2 файлов",
                                                    L"Найдено 2 файлов\r\nПоиск завершён"}));
    EXPECT_EQ(fs.OpenNow, 0);
}

TEST_F(Walk, FolderLinksAreNotDescended) {
    fs.AddFile(L"C:\\A\\x.txt");
    // A junction to another tree: followed, its file would be found through it (and a
    // junction to a folder above would never end the walk).
    fs.AddFile(L"C:\\Other\\z.txt");
    fs.AddFolderLink(L"C:\\A\\link", L"C:\\Other\\");
    fs.AddFile(L"C:\\A\\B\\y.txt");
    Run();
    EXPECT_EQ(ui.Results, (std::vector<std::wstring>{L"C:\\A\\x.txt", L"C:\\A\\B\\y.txt"}));
    EXPECT_EQ(Progress(), (std::vector<std::wstring>{kSeedProgress, L"Поиск в C:\\A\\B"}));
}

TEST_F(Walk, YieldsAfterEveryEntryFileAndFolder) {
    fs.AddFile(L"C:\\A\\x.txt");
    fs.AddFile(L"C:\\A\\y.log");
    fs.AddFolder(L"C:\\A\\B");
    ui.Inputs.MaskText = L"*.txt";
    Run();
    // A: ".", "..", x.txt, y.log, B listed (5) + x.txt examined (1); the seed popped (1);
    // B: ".", ".." listed (2) + popped (1).
    EXPECT_EQ(ui.Yields, 10);
}

TEST_F(Walk, StopDuringTheStartFolderEndsBeforeTheNextMask) {
    fs.AddFile(L"C:\\A\\1.txt");
    fs.AddFile(L"C:\\A\\2.txt");
    fs.AddFile(L"C:\\A\\3.log");
    fs.AddFile(L"C:\\A\\B\\4.txt");
    ui.Inputs.MaskText = L"*.txt;*.log";
    ui.OnYield = [&] {
        if (ui.Results.size() == 1 && !state.StopRequested) RequestStop(state, ui);
    };
    Run();
    // Pressed during the yield after the first file: the stop check comes after the next
    // file, and no further mask is tried.
    EXPECT_EQ(ui.Results, (std::vector<std::wstring>{L"C:\\A\\1.txt", L"C:\\A\\2.txt"}));
    EXPECT_EQ(FinalStatus(), L"Найдено 2 файлов\r\nПоиск был прерван");
    EXPECT_EQ(ui.Progress, std::vector<std::wstring>{L""});
    EXPECT_TRUE(state.FolderQueue.empty());
    EXPECT_FALSE(ui.Searching);
}

TEST_F(Walk, StopInASubfolderLeavesTheRestOfTheQueue) {
    fs.AddFile(L"C:\\A\\B\\1.txt");
    fs.AddFile(L"C:\\A\\C\\2.txt");
    ui.OnYield = [&] {
        if (ui.Results.size() == 1 && !state.StopRequested) RequestStop(state, ui);
    };
    Run();
    EXPECT_EQ(ui.Results, std::vector<std::wstring>{L"C:\\A\\B\\1.txt"});
    EXPECT_EQ(Progress(), (std::vector<std::wstring>{kSeedProgress, L"Поиск в C:\\A\\B"}));
    EXPECT_TRUE(state.FolderQueue.empty());
}

TEST_F(Walk, PauseThenResume) {
    fs.AddFile(L"C:\\A\\1.txt");
    fs.AddFile(L"C:\\A\\2.txt");
    ui.OnYield = [&] {
        if (ui.Results.size() == 1 && ui.Sleeps == 0 && !state.PauseRequested) {
            TogglePause(state, ui);
            EXPECT_EQ(ui.PauseCaption, L"Подолжить");
            EXPECT_FALSE(ui.ResultsVisible); // not yet at a check point
        }
    };
    ui.OnSleep = [&] {
        EXPECT_TRUE(ui.ResultsVisible);
        EXPECT_FALSE(ui.Busy);
        if (ui.Sleeps == 2) TogglePause(state, ui);
    };
    Run();
    EXPECT_EQ(ui.Sleeps, 2);
    EXPECT_EQ(ui.PauseCaption, L"Пауза");
    EXPECT_EQ(ui.Results.size(), 2u);
    EXPECT_EQ(FinalStatus(), L"Найдено 2 файлов\r\nПоиск завершён");
    // Shown while paused and at the end only; busy again once resumed.
    std::vector<std::wstring> shown;
    for (const auto& l : ui.Log)
        if (l.rfind(L"ShowResults", 0) == 0 || l.rfind(L"Busy", 0) == 0 ||
            l.rfind(L"Sleep", 0) == 0)
            shown.push_back(l);
    EXPECT_EQ(shown,
              (std::vector<std::wstring>{L"Busy:1", L"ShowResults:0", L"Busy:0", L"ShowResults:1",
                                         L"Sleep:100", L"Sleep:100", L"Busy:1", L"Busy:1",
                                         L"ShowResults:0", L"Busy:0", L"ShowResults:1"}));
}

TEST_F(Walk, PauseThenStop) {
    for (int file = 1; file <= 5; ++file)
        fs.AddFile(L"C:\\A\\" + std::to_wstring(file) + L".txt");
    ui.OnYield = [&] {
        if (ui.Results.size() == 2 && ui.Sleeps == 0 && !state.PauseRequested)
            TogglePause(state, ui);
    };
    ui.OnSleep = [&] { RequestStop(state, ui); };
    Run();
    EXPECT_EQ(ui.Sleeps, 1);
    EXPECT_EQ(ui.PauseCaption, L"Пауза");
    EXPECT_FALSE(state.PauseRequested);
    // Pressed during the yield after the second file, the pause is taken after the third;
    // the stop pressed meanwhile is seen at the stop check after the fourth.
    EXPECT_EQ(ui.Results.size(), 4u);
    EXPECT_EQ(FinalStatus(), L"Найдено 4 файлов\r\nПоиск был прерван");
}

TEST_F(Walk, PauseButtonTwiceBeforeACheckPointNeverPauses) {
    fs.AddFile(L"C:\\A\\1.txt");
    ui.OnYield = [&] {
        if (ui.Yields == 1) {
            TogglePause(state, ui);
            TogglePause(state, ui);
        }
    };
    Run();
    EXPECT_EQ(ui.Sleeps, 0);
    EXPECT_EQ(ui.PauseCaption, L"Пауза");
    EXPECT_EQ(ui.Extent, 7 * 10 + 3);
}

TEST_F(Walk, APauseLeftOverFromTheLastSearchDoesNotShowOnTheNext) {
    fs.AddFile(L"C:\\A\\1.txt");
    // Pressed during the very last yield (the seed taken from the queue): the walk sees no
    // further check point.
    bool pressed = false;
    ui.OnYield = [&] {
        if (state.FolderQueue.empty() && !pressed) {
            pressed = true;
            TogglePause(state, ui);
        }
    };
    ui.OnSleep = [&] {
        ADD_FAILURE() << "paused";
        TogglePause(state, ui);
    };
    Run();
    ASSERT_TRUE(state.PauseRequested);
    ASSERT_EQ(ui.PauseCaption, L"Подолжить");
    ui.OnYield = nullptr;
    ui.Log.clear();
    Run();
    EXPECT_EQ(ui.PauseCaption, L"Пауза");
    EXPECT_EQ(ui.Sleeps, 0);
}

TEST_F(Walk, NeverThrowsIntoTheWindow) {
    fs.AddFile(L"C:\\A\\1.txt");
    fs.AddFile(L"C:\\A\\B\\2.txt");
    fs.ThrowOnList(L"C:\\A\\B\\");
    Run();
    EXPECT_FALSE(ui.Searching);
    EXPECT_EQ(FinalStatus(), L"Найдено 1 файлов\r\nПоиск завершён");
}

} // namespace
