// The main window in-process: its controls as laid out, the rules between them, the result
// list's check boxes and a whole search on real files, with the questions answered here.
#include "common/win/window_win.h"
#include "quarrix/window/form1_win.h"
#include "quarrix/window/ids.h"
#include "tests/native/fake_registry.h"
#include <gtest/gtest.h>
#include <windowsx.h>
#include <deque>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace qx;
using namespace qx::quarrix;
namespace fs = std::filesystem;

namespace {

struct ScriptedQuestions final : win::Questions {
    std::vector<std::wstring> messages;
    std::deque<std::wstring> folders; // answers of the folder browser, "" = cancel
    int Message(HWND, const std::wstring& text, const std::wstring& title, UINT flags) override {
        messages.push_back(title + L"|" + text + L"|" + std::to_wstring(flags));
        return IDOK;
    }
    std::wstring PickFolder(HWND, const std::wstring&) override {
        if (folders.empty()) return {};
        std::wstring f = folders.front();
        folders.pop_front();
        return f;
    }
};

RECT RectIn(HWND parent, HWND h) {
    RECT r;
    ::GetWindowRect(h, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<std::wstring> Items(HWND list) {
    std::vector<std::wstring> out;
    const int n = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t buf[600] = {};
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        out.emplace_back(buf);
    }
    return out;
}

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(form.Create(L""));
        form.Pump().Yield();
    }
    void TearDown() override {
        if (form.hwnd()) ::DestroyWindow(form.hwnd());
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    int Px(int twips) { return win::TwipsToPixels(twips, win::DpiOf(form.hwnd())); }

    test::FakeRegistry registry;
    ScriptedQuestions questions;
    Form1 form{registry, questions};
};

TEST_F(Form1Test, StartsInTheFirstRunState) {
    EXPECT_EQ(win::GetText(form.hwnd()), L"Trawlbeam");
    EXPECT_EQ(win::GetText(form.Combo1), L"C:\\");
    EXPECT_EQ(win::GetText(form.Combo2), L"*.*");
    EXPECT_EQ(win::GetText(form.Text3), L"100");
    EXPECT_EQ(::SendMessageW(form.chkASCII, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(form.chkUTF8, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(form.Check3, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(::IsWindowEnabled(form.Command3));
    EXPECT_FALSE(::IsWindowEnabled(form.Command4));
    EXPECT_FALSE(::IsWindowEnabled(form.Command7));
    EXPECT_FALSE(::IsWindowEnabled(form.Check2));
    EXPECT_FALSE(::IsWindowVisible(form.Frame2));
    EXPECT_EQ(win::GetText(form.Command4), L"Пауза");
    // The left column at its design place, in twips converted at the screen's DPI.
    const RECT text1 = RectIn(form.hwnd(), form.Text1);
    EXPECT_EQ(text1.left, Px(120));
    EXPECT_EQ(text1.top, Px(1920));
    EXPECT_EQ(text1.right - text1.left, Px(4335));
}

TEST_F(Form1Test, ResizeMovesTheRightSideAndTheErrorList) {
    // The progress line's width is taken with the left it has at that moment, and its left
    // moves under the result list only afterwards: one more layout reaches the steady state.
    form.Form_Resize();
    const RECT list0 = RectIn(form.hwnd(), form.List2), label0 = RectIn(form.hwnd(), form.Label4),
               err0 = RectIn(form.hwnd(), form.LstError), text0 = RectIn(form.hwnd(), form.Text1);
    RECT w;
    ::GetWindowRect(form.hwnd(), &w);
    ::SetWindowPos(form.hwnd(), nullptr, 0, 0, w.right - w.left + Px(1500),
                   w.bottom - w.top + Px(600), SWP_NOMOVE | SWP_NOZORDER);
    const RECT list1 = RectIn(form.hwnd(), form.List2), label1 = RectIn(form.hwnd(), form.Label4),
               err1 = RectIn(form.hwnd(), form.LstError), text1 = RectIn(form.hwnd(), form.Text1);
    // One pixel of rounding between twips and pixels is allowed.
    EXPECT_NEAR((list1.right - list1.left) - (list0.right - list0.left), Px(1500), 1);
    EXPECT_NEAR((list1.bottom - list1.top) - (list0.bottom - list0.top), Px(600), 1);
    EXPECT_NEAR((label1.right - label1.left) - (label0.right - label0.left), Px(1500), 1);
    EXPECT_NEAR(label1.top - label0.top, Px(600), 1);
    EXPECT_NEAR((err1.right - err1.left) - (err0.right - err0.left), Px(1500), 1);
    EXPECT_NEAR(err1.top - err0.top, Px(600), 1);
    EXPECT_EQ(label1.left, list1.left);
    EXPECT_EQ(text1.left, text0.left);
    EXPECT_EQ(text1.top, text0.top);

    // Minimised and restored: the same layout again.
    ::ShowWindow(form.hwnd(), SW_MINIMIZE);
    ::ShowWindow(form.hwnd(), SW_RESTORE);
    const RECT list2 = RectIn(form.hwnd(), form.List2);
    EXPECT_EQ(list2.right - list2.left, list1.right - list1.left);
    EXPECT_EQ(list2.bottom - list2.top, list1.bottom - list1.top);
}

TEST_F(Form1Test, SizeFrameFollowsTheTextsAndCaseBoxFollowsCheck1) {
    win::SetText(form.Text2, L"x"); // EN_CHANGE runs the handler
    EXPECT_TRUE(::IsWindowVisible(form.Frame2));
    EXPECT_TRUE(::IsWindowVisible(form.Text3));
    win::SetText(form.Text2, L"");
    EXPECT_FALSE(::IsWindowVisible(form.Frame2));

    ::SendMessageW(form.Check1, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(form.Check2, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(form.Check1, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(form.Check2, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // The size box keeps itself within 1 to 2047.
    const struct {
        const wchar_t* typed;
        const wchar_t* shown;
    } sizes[] = {{L"5000", L"2047"}, {L"0", L"1"}, {L"abc", L"2047"}, {L"", L"2047"}, {L"12", L"12"}};
    for (const auto& s : sizes) {
        win::SetText(form.Text3, s.typed);
        EXPECT_EQ(win::GetText(form.Text3), s.shown) << s.typed;
    }
}

TEST_F(Form1Test, FolderPickerFillsTheFolderBoxUnlessCancelled) {
    win::SetText(form.Combo1, L"D:\\keep");
    questions.folders = {L"", L"C:\\"};
    form.Command6_Click();
    EXPECT_EQ(win::GetText(form.Combo1), L"D:\\keep");
    form.Command6_Click();
    EXPECT_EQ(win::GetText(form.Combo1), L"C:\\");
}

TEST_F(Form1Test, CheckBoxClickTogglesTextClickOnlyMakesCurrent) {
    form.AddResult(L"C:\\b.txt");
    form.AddResult(L"C:\\A.txt");
    ASSERT_EQ(Items(form.List2), (std::vector<std::wstring>{L"C:\\A.txt", L"C:\\b.txt"}));
    RECT item;
    ::SendMessageW(form.List2, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const int y = (item.top + item.bottom) / 2;
    ::SendMessageW(form.List2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 150, y));
    EXPECT_EQ(::SendMessageW(form.List2, LB_GETSEL, 1, 0), 0) << "a click on the text toggled";
    EXPECT_EQ(::SendMessageW(form.List2, LB_GETCARETINDEX, 0, 0), 1);
    ::SendMessageW(form.List2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 4, y));
    ::SendMessageW(form.List2, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 4, y));
    EXPECT_EQ(::SendMessageW(form.List2, LB_GETSEL, 1, 0), 1);
    EXPECT_EQ(::SendMessageW(form.List2, LB_GETSELCOUNT, 0, 0), 1);
    // Releasing the button over the list with a checked entry enables the tools frame.
    EXPECT_TRUE(::IsWindowEnabled(form.Command7));
    EXPECT_TRUE(::IsWindowEnabled(form.Frame1));
    ::SendMessageW(form.List2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 4, y));
    ::SendMessageW(form.List2, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 4, y));
    EXPECT_EQ(::SendMessageW(form.List2, LB_GETSELCOUNT, 0, 0), 0);
    EXPECT_FALSE(::IsWindowEnabled(form.Command7));

    form.AddResult(L"  C:\\padded.txt  ");
    const int padded = static_cast<int>(::SendMessageW(form.List2, LB_FINDSTRINGEXACT, -1,
                                                      reinterpret_cast<LPARAM>(L"  C:\\padded.txt  ")));
    EXPECT_EQ(form.EntryText(form.List2, padded), L"C:\\padded.txt");
}

TEST_F(Form1Test, NoEncodingChosenOnlyAsks) {
    form.AddError(L"old line");
    win::SetText(form.Text1, L"word");
    ::SendMessageW(form.chkASCII, BM_SETCHECK, BST_UNCHECKED, 0);
    form.Command2_Click();
    ASSERT_EQ(questions.messages.size(), 1u);
    EXPECT_EQ(questions.messages[0], L"Trawlbeam|Не выбрана кодировка!|0");
    EXPECT_EQ(Items(form.LstError), std::vector<std::wstring>{L"old line"});
    EXPECT_TRUE(::IsWindowEnabled(form.Command2));
}

class Form1SearchTest : public Form1Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        root = fs::path(tmp) / L"qx_form1_search";
        fs::remove_all(root);
        fs::create_directories(root / L"sub");
        std::ofstream(root / L"a.txt") << "some words here";
        std::ofstream(root / L"sub" / L"B.txt") << "no match";
        std::ofstream(root / L"sub" / L"c.log") << "words";
        Form1Test::SetUp();
    }
    void TearDown() override {
        Form1Test::TearDown();
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

TEST_F(Form1SearchTest, FindsListsSortedAndGivesTheWindowBack) {
    const std::wstring folder = root.wstring();
    win::SetText(form.Combo1, folder);
    win::SetText(form.Combo2, L"*.txt;");
    form.Command2_Click();
    EXPECT_EQ(Items(form.List2), (std::vector<std::wstring>{folder + L"\\a.txt", folder + L"\\sub\\B.txt"}));
    EXPECT_EQ(win::GetText(form.Label3), L"Найдено 2 файлов\r\nПоиск завершён");
    EXPECT_EQ(win::GetText(form.Label4), L"");
    EXPECT_EQ(win::GetText(form.Combo2), L"*.txt"); // the one trailing ";" went
    EXPECT_TRUE(::IsWindowVisible(form.List2));
    EXPECT_TRUE(::IsWindowEnabled(form.Command2));
    EXPECT_FALSE(::IsWindowEnabled(form.Command3));
    EXPECT_EQ(::GetFocus(), form.Command2);
    // The folder and the masks went to the top of their histories.
    EXPECT_EQ(::SendMessageW(form.Combo1, CB_GETCOUNT, 0, 0), 2);
    wchar_t first[MAX_PATH] = {};
    ::SendMessageW(form.Combo1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::wstring(first), folder);

    // With a text: only files that hold it, in every folder.
    win::SetText(form.Combo2, L"*.*");
    win::SetText(form.Text1, L"WORDS");
    form.Command2_Click();
    EXPECT_EQ(Items(form.List2), (std::vector<std::wstring>{folder + L"\\a.txt", folder + L"\\sub\\c.log"}));

    // A missing folder: the error line and the closing message say so.
    win::SetText(form.Combo1, folder + L"\\missing");
    form.Command2_Click();
    EXPECT_EQ(Items(form.LstError), std::vector<std::wstring>{L"_!  Error  Path not found!"});
    EXPECT_EQ(win::GetText(form.Label3), L"Ничего не найдено\r\nPath not found!");
}

TEST_F(Form1SearchTest, ClosingSavesTheSettings) {
    win::SetText(form.Combo1, root.wstring());
    win::SetText(form.Combo2, L"*.txt");
    form.Command2_Click();
    ::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.hwnd());
    EXPECT_EQ(registry.RegGetSZ(kCurrentUser, L"Software\\VELDO\\Trawlbeam", L"Exp0"), L"*.txt");
    EXPECT_EQ(registry.RegGetBINARY(kCurrentUser, L"Software\\VELDO\\Trawlbeam", L"chkASCII"), 1);
    EXPECT_EQ(registry.RegGetBINARY(kCurrentUser, L"Software\\VELDO\\Trawlbeam", L"UserMaxFileSize"), 100);
}

} // namespace
