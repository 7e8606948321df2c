// Quarrix.exe searched from outside: a folder, masks and a text typed into the window, "Найти"
// pressed, and the result list, the error list and the status line read back; the encoding
// question; pause, resume and stop on a tree that takes long to search.
#include "quarrix/window/ids.h"
#include "tests/e2e/driver_win.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

using namespace qx::e2e;
namespace id = qx::quarrix::id;

namespace {


using Paths = std::vector<std::wstring>;

std::string Bytes(std::wstring_view text, UINT codePage) {
    const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

void MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr))
        throw DriverError(L"cannot create the folder " + path);
}

// A file of `megabytes` that takes no disk space: the content scan still reads every byte.
void MakeSparseFile(const std::wstring& path, LONGLONG megabytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw DriverError(L"cannot create " + path);
    LARGE_INTEGER size;
    size.QuadPart = megabytes << 20;
    const bool sized = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (!sized) throw DriverError(L"cannot size " + path);
}

// The tree the scenarios search. Names hold blanks, Cyrillic and Greek letters; the word
// "карась" sits in one file as ANSI (code page 1251), in one as UTF-8 and in one as UTF-16,
// in a different letter case in each of the first two.
struct Tree {
    std::wstring root, ansi, utf8, utf16, lower, empty, deep, other, last;

    static Tree Make() {
        Tree t;
        t.root = MakeTempFolder(L"qx search");
        const std::wstring sub = t.root + L"\\d sub", greek = t.root + L"\\Папка Ωμέγα";
        MakeFolder(sub);
        MakeFolder(greek);
        t.lower = t.root + L"\\a.TXT";
        t.ansi = t.root + L"\\B.txt";
        t.empty = t.root + L"\\c notes.log";
        t.deep = sub + L"\\e deep.txt";
        t.other = sub + L"\\f data.bin";
        t.utf8 = greek + L"\\utf8 карась.txt";
        t.utf16 = greek + L"\\ωmega.log";
        // Walked before the subfolders, listed after them.
        t.last = t.root + L"\\Яблоко.txt";
        WriteBytes(t.lower, "plain words\r\n");
        WriteBytes(t.ansi, Bytes(L"Жирный КАРАСЬ в пруду\r\n", 1251));
        WriteBytes(t.empty, "");
        WriteBytes(t.deep, "nothing to see\r\n");
        WriteBytes(t.last, "apple\r\n");
        WriteBytes(t.other, "карась");
        WriteBytes(t.utf8, Bytes(L"Жирный Карась в пруду\r\n", CP_UTF8));
        const std::wstring wide = L"\xFEFFкарась в пруду";
        WriteBytes(t.utf16, std::string(reinterpret_cast<const char*>(wide.data()),
                                        wide.size() * sizeof(wchar_t)));
        return t;
    }
};

// A tree whose text search takes far longer than any scenario waits: sparse files of 64 MB
// that never hold the text. The scenarios stop it long before its end.
constexpr int kBigFiles = 300;
constexpr LONGLONG kBigFileMB = 64;
constexpr wchar_t kNeverThere[] = L"qzq never there";

struct Named {
    int id;
    const wchar_t* name;
};
// Disabled while a search runs, enabled again afterwards.
const Named kInputs[] = {
    {id::Command2, L"Command2"}, {id::Command6, L"Command6"}, {id::chkASCII, L"chkASCII"},
    {id::chkUTF8, L"chkUTF8"},   {id::Check1, L"Check1"},     {id::Check3, L"Check3"},
    {id::Text3, L"Text3"},
};
// Enabled only while a search runs.
const Named kSteering[] = {{id::Command3, L"Command3"}, {id::Command4, L"Command4"}};

// The closing message has a line break and the running count has none; a marker without one
// put into Label3 before "Найти" shows that the message seen is this search's own, even when
// the search ends between two looks.
constexpr wchar_t kMarker[] = L"(before the search)";

class QuarrixSearch : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        auto run = Process::Start(L"regsvr32 /s " + Quote(BinPath(L"Wexcal31.dll")));
        ASSERT_EQ(run.WaitForExit(), 0u) << "Wexcal31.dll did not register";
        tree = new Tree(Tree::Make());
    }
    static void TearDownTestSuite() {
        delete tree;
        tree = nullptr;
    }

    void SetUp() override {
        app = Process::Start(Quote(BinPath(L"Quarrix.exe")));
        form = app.Window(L"Trawlbeam");
    }
    void TearDown() override {
        if (!app.Running()) return;
        form.Close();
        app.WaitForExit();
    }

    Window Ctl(int id) const { return form.Control(id); }

    void SetChecked(int id, bool checked) const {
        const Window box = Ctl(id);
        if (box.Checked() == checked) return;
        box.Click();
        WaitUntil([&] { return box.Checked() == checked; },
                  L"the check box " + box.Describe() +
                      (checked ? L" to be checked" : L" to be unchecked"));
    }

    // Fills in the request; the encoding and case boxes as given, subfolders searched.
    void Request(const std::wstring& folder, const std::wstring& masks, const std::wstring& text,
                 bool ascii = true, bool utf8 = false, bool caseSensitive = false) const {
        Ctl(id::Combo1).Retype(folder);
        Ctl(id::Combo2).Retype(masks);
        Ctl(id::Text1).Retype(text);
        SetChecked(id::chkASCII, ascii);
        SetChecked(id::chkUTF8, utf8);
        SetChecked(id::Check1, caseSensitive);
        SetChecked(id::Check3, true);
    }

    std::wstring Status() const { return Ctl(id::Label3).Text(); }

    std::wstring Seen() const {
        return L"Label3 \"" + Visible(Status()) + L"\"; " + form.DescribeControls();
    }

    // Presses "Найти" and waits for the closing message; gives Label3's text.
    std::wstring Search() const {
        Ctl(id::Label3).SetText(kMarker);
        Ctl(id::Command2).Click();
        return WaitForEnd();
    }

    std::wstring WaitForEnd(Ms limit = kWait) const {
        WaitUntil(
            [&] {
                return Status().find(L"\r\n") != std::wstring::npos && Ctl(id::Command2).Enabled();
            },
            L"the search to end: a closing message in Label3 and Command2 enabled", limit,
            [&] { return Seen(); });
        return Status();
    }

    // Presses "Найти" on the big tree and waits until the walk runs.
    void StartLongSearch() const {
        Request(bigRoot(), L"*.dat", kNeverThere, true, true);
        Ctl(id::Label3).SetText(kMarker);
        Ctl(id::Command2).Click();
        WaitUntil([&] { return Ctl(id::Command3).Enabled(); },
                  L"the search to start (Command3 enabled)", kWait, [&] { return Seen(); });
    }

    void ExpectEnabled(std::span<const Named> controls, bool enabled, const char* when) const {
        for (const Named& c : controls)
            EXPECT_EQ(Ctl(c.id).Enabled(), enabled) << Utf8(c.name) << " " << when;
    }

    // The edit parts of the combo boxes and the two text boxes: read-only while searching.
    void ExpectReadOnly(bool readOnly, const char* when) const {
        const Named edits[] = {{id::Combo1, L"Combo1"},
                               {id::Combo2, L"Combo2"},
                               {id::Text1, L"Text1"},
                               {id::Text2, L"Text2"}};
        for (const Named& e : edits) {
            Window edit = Ctl(e.id);
            if (edit.ClassName() != L"Edit")
                for (const Window& child : edit.Controls())
                    if (child.ClassName() == L"Edit") edit = child;
            EXPECT_EQ((edit.Style() & ES_READONLY) != 0, readOnly) << Utf8(e.name) << " " << when;
        }
    }

    static std::wstring bigRoot() {
        static const std::wstring root = [] {
            const std::wstring folder = MakeTempFolder(L"qx big tree");
            for (int i = 0; i < kBigFiles; ++i)
                MakeSparseFile(folder + L"\\big " + std::to_wstring(1000 + i) + L".dat",
                               kBigFileMB);
            return folder;
        }();
        return root;
    }

    static Tree* tree;
    Process app;
    Window form;
};

Tree* QuarrixSearch::tree = nullptr;

// Names only: every file of the tree that a mask matches, as a full path, sorted without
// regard to letter case (a.TXT before B.txt), the empty file and the ones in the Cyrillic and
// Greek folder included.
TEST_F(QuarrixSearch, NameSearchListsFullPathsSortedAndGivesTheWindowBack) {
    const Tree& t = *tree;
    Request(t.root, L"*.txt;*.log", L"");
    EXPECT_EQ(Show(Search()), Show(L"Найдено 7 файлов\r\nПоиск завершён"));
    EXPECT_EQ(Show(Ctl(id::List2).ListItems()),
              Show(Paths{t.lower, t.ansi, t.empty, t.deep, t.utf8, t.utf16, t.last}));
    EXPECT_TRUE(Ctl(id::List2).ListSelection().empty()) << "entries come unchecked";
    EXPECT_TRUE(Ctl(id::LstError).ListItems().empty());
    EXPECT_EQ(Show(Ctl(id::Label4).Text()), Show(L"")) << "the progress line is cleared at the end";
    EXPECT_TRUE(Ctl(id::List2).Visible());
    ExpectEnabled(kInputs, true, "after the search");
    ExpectEnabled(kSteering, false, "after the search");
    ExpectReadOnly(false, "after the search");
    EXPECT_FALSE(Ctl(id::Frame1).Enabled()) << "no entry is checked";
    EXPECT_EQ(Show(Ctl(id::Combo1).ComboText(0)), Show(t.root)) << "the folder heads its history";

    const std::wstring shot = ShotPath(L"quarrix_search_results");
    form.Screenshot(shot);
    EXPECT_NE(GetFileAttributesW(shot.c_str()), INVALID_FILE_ATTRIBUTES) << Utf8(shot);
}

// The word in lower case, looked for without regard to case: each encoding box finds the
// file written in that encoding only; the UTF-16 file is found by neither; with case
// regarded, neither spelling in capitals matches.
TEST_F(QuarrixSearch, TextSearchFindsTheWordInTheCheckedEncodings) {
    const Tree& t = *tree;
    const struct {
        bool ascii, utf8, caseSensitive;
        Paths found;
        const wchar_t* status;
    } cases[] = {
        {true, false, false, {t.ansi}, L"Найдено 1 файлов\r\nПоиск завершён"},
        {false, true, false, {t.utf8}, L"Найдено 1 файлов\r\nПоиск завершён"},
        {true, true, false, {t.ansi, t.utf8}, L"Найдено 2 файлов\r\nПоиск завершён"},
        {true, true, true, {}, L"Ничего не найдено\r\nПоиск завершён"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "ASCII " << c.ascii << ", UTF-8 " << c.utf8
                                        << ", case sensitive " << c.caseSensitive);
        Request(t.root, L"*.txt;*.log", L"карась", c.ascii, c.utf8, c.caseSensitive);
        EXPECT_EQ(Show(Search()), Show(c.status));
        EXPECT_EQ(Show(Ctl(id::List2).ListItems()), Show(c.found));
        EXPECT_TRUE(Ctl(id::LstError).ListItems().empty());
    }
}

// A missing start folder after a search with results: the lists are emptied, the error list
// names it, and the histories stay as they were.
TEST_F(QuarrixSearch, MissingFolderIsReportedAndTouchesNoHistory) {
    Request(tree->root, L"*.log", L"");
    ASSERT_EQ(Show(Search()), Show(L"Найдено 2 файлов\r\nПоиск завершён"));
    const auto folders = Ctl(id::Combo1).ComboItems(), masks = Ctl(id::Combo2).ComboItems();

    Request(tree->root + L"\\нет такой папки", L"*.txt", L"");
    EXPECT_EQ(Show(Search()), Show(L"Ничего не найдено\r\nPath not found!"));
    EXPECT_TRUE(Ctl(id::List2).ListItems().empty());
    EXPECT_EQ(Show(Ctl(id::LstError).ListItems()), Show(Paths{L"_!  Error  Path not found!"}));
    EXPECT_EQ(Show(Ctl(id::Combo1).ComboItems()), Show(folders));
    EXPECT_EQ(Show(Ctl(id::Combo2).ComboItems()), Show(masks));
    ExpectEnabled(kInputs, true, "after the search");
    ExpectEnabled(kSteering, false, "after the search");
}

// A text in either box with both encodings unchecked: the question box, and nothing else
// changes: the last search's results stay, no control is locked.
TEST_F(QuarrixSearch, TextWithoutAnEncodingIsRefusedWithAMessage) {
    Request(tree->root, L"*.txt", L"");
    ASSERT_EQ(Show(Search()), Show(L"Найдено 5 файлов\r\nПоиск завершён"));
    const auto results = Ctl(id::List2).ListItems();
    SetChecked(id::chkASCII, false);
    SetChecked(id::chkUTF8, false);

    for (const int box : {id::Text1, id::Text2}) {
        SCOPED_TRACE(box == id::Text1 ? "text in Text1" : "text in Text2");
        Ctl(id::Text1).Retype(box == id::Text1 ? L"карась" : L"");
        Ctl(id::Text2).Retype(box == id::Text2 ? L"карась" : L"");
        Ctl(id::Command2).Click();
        const auto msg = app.MsgBox(L"Trawlbeam");
        EXPECT_EQ(Show(msg.Message()), Show(L"Не выбрана кодировка!"));
        EXPECT_EQ(msg.Buttons(), SystemButtons(MB_OK));
        EXPECT_FALSE(msg.HasIcon());
        msg.Answer(IDOK);
        EXPECT_EQ(Show(Status()), Show(L"Найдено 5 файлов\r\nПоиск завершён"));
        EXPECT_EQ(Show(Ctl(id::List2).ListItems()), Show(results));
        ExpectEnabled(kInputs, true, "after the refusal");
        ExpectEnabled(kSteering, false, "after the refusal");
        ExpectReadOnly(false, "after the refusal");
    }
}

// The window while the walk runs, a pause (the results show), a resume (they hide again), and
// Esc, which stops the walk after the file being scanned.
TEST_F(QuarrixSearch, PauseShowsTheResultsAndEscStops) {
    StartLongSearch();
    const Window pause = Ctl(id::Command4), results = Ctl(id::List2);
    ExpectEnabled(kInputs, false, "while searching");
    ExpectEnabled(kSteering, true, "while searching");
    ExpectReadOnly(true, "while searching");
    EXPECT_FALSE(Ctl(id::Frame1).Enabled()) << "while searching";
    EXPECT_FALSE(results.Visible()) << "while searching";
    EXPECT_EQ(Show(pause.Text()), Show(L"Пауза"));

    pause.Click();
    pause.WaitUntilText(L"Подолжить");
    WaitUntil([&] { return results.Visible(); }, L"the paused walk to show List2", kWait,
              [&] { return Seen(); });
    EXPECT_TRUE(pause.Enabled()) << "it resumes";
    EXPECT_TRUE(Ctl(id::Command3).Enabled());
    EXPECT_FALSE(Ctl(id::Command2).Enabled());

    pause.Click();
    pause.WaitUntilText(L"Пауза");
    WaitUntil([&] { return !results.Visible(); }, L"the resumed walk to hide List2", kWait,
              [&] { return Seen(); });
    EXPECT_TRUE(Ctl(id::Command3).Enabled()) << "the walk goes on";

    form.Press(Key::Escape);
    EXPECT_EQ(Show(WaitForEnd()), Show(L"Ничего не найдено\r\nПоиск был прерван"));
    EXPECT_EQ(Show(pause.Text()), Show(L"Пауза"));
    EXPECT_TRUE(results.Visible());
    ExpectEnabled(kInputs, true, "after the stop");
    ExpectEnabled(kSteering, false, "after the stop");
    ExpectReadOnly(false, "after the stop");
}

// Esc while paused ends the wait and the walk; the pause button reads "Пауза" again.
TEST_F(QuarrixSearch, EscDuringAPauseStops) {
    StartLongSearch();
    const Window pause = Ctl(id::Command4);
    pause.Click();
    WaitUntil([&] { return Ctl(id::List2).Visible(); }, L"the paused walk to show List2", kWait,
              [&] { return Seen(); });
    form.Press(Key::Escape);
    EXPECT_EQ(Show(WaitForEnd()), Show(L"Ничего не найдено\r\nПоиск был прерван"));
    EXPECT_EQ(Show(pause.Text()), Show(L"Пауза"));
    EXPECT_FALSE(pause.Enabled());
}

} // namespace
