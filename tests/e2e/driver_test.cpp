// The driver worked against its own fixture program: every kind of step the scenarios use, on
// a real window in another process.
#include "tests/e2e/driver_win.h"
#include "tests/e2e/fixture_ids.h"

#include <gtest/gtest.h>

using namespace qx::e2e;
namespace fx = qx::e2e::fixture;

namespace {

class Driver : public ::testing::Test {
  protected:
    void SetUp() override {
        app = Process::Start(Quote(BinPath(L"e2e_fixture.exe")));
        form = app.Window(fx::kTitle);
    }

    Process app;
    Window form;
};

TEST_F(Driver, TypingFiresChangeHandlersAndSetTextSetsAtOnce) {
    const auto edit = form.Control(fx::kEdit);
    const auto echo = form.Control(fx::kEditEcho);
    edit.Type(L"abc");
    echo.WaitUntilText(L"3 abc");
    edit.SetText(L"Привет");
    echo.WaitUntilText(L"4 Привет");
    EXPECT_EQ(edit.Text(), L"Привет");
    edit.Retype(L"x");
    EXPECT_EQ(edit.Text(), L"x");
    edit.Retype(L"");
    EXPECT_EQ(edit.Text(), L"");
}

TEST_F(Driver, ComboBoxTypingGoesToItsEditPart) {
    const auto combo = form.Control(fx::kCombo);
    EXPECT_EQ(combo.ComboItems(), (std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}));
    EXPECT_EQ(combo.ComboSelection(), CB_ERR);
    combo.Type(L"C:\\");
    form.Control(fx::kComboEcho).WaitUntilText(L"3 C:\\");
    combo.SetText(L"D:\\data");
    EXPECT_EQ(combo.Text(), L"D:\\data");
    // WM_SETTEXT changes a combo box without CBN_EDITCHANGE: only typing reaches the handler.
    EXPECT_EQ(form.Control(fx::kComboEcho).Text(), L"3 C:\\");
}

TEST_F(Driver, FindsNestedControlsAndReadsTheirState) {
    const auto check = form.Control(fx::kCheck);
    EXPECT_EQ(GetParent(check.Handle()), form.Control(fx::kGroup).Handle());
    EXPECT_EQ(form.Control(L"Button", L"Deep"), check);
    EXPECT_FALSE(check.Checked());
    check.Click();
    WaitUntil([&] { return check.Checked(); }, L"the check box to be checked");

    EXPECT_TRUE(form.Control(fx::kGo).Enabled());
    EXPECT_FALSE(form.Control(fx::kDisabled).Enabled());
    EXPECT_TRUE(form.Control(fx::kGo).Visible());
    EXPECT_FALSE(form.Control(fx::kHidden).Visible());
    EXPECT_THROW(form.Control(fx::kDisabled).Click(), DriverError);
    EXPECT_THROW(form.Control(fx::kHidden).Click(), DriverError);
}

TEST_F(Driver, ReadsListBoxes) {
    const auto list = form.Control(fx::kList);
    EXPECT_EQ(list.ListItems(), (std::vector<std::wstring>{L"one", L"two", L"three"}));
    EXPECT_EQ(list.ListSelection(), (std::vector<int>{0, 2}));
    EXPECT_EQ(list.ListData(1), 20);
    EXPECT_THROW(list.ListText(3), DriverError);
}

TEST_F(Driver, ClicksButtonsPointsOfOwnerDrawnOnesAndMenuItems) {
    const auto log = form.Control(fx::kLog);
    form.Control(fx::kGo).Click();
    log.WaitUntilText(L"go");
    form.Control(fx::kOwner).ClickAt(5, 5);
    log.WaitUntilText(L"go owner");
    form.ChooseMenu(fx::kMenuSay);
    log.WaitUntilText(L"go owner menu");
}

TEST_F(Driver, PostedKeysReachTheDialogManager) {
    const auto log = form.Control(fx::kLog);
    const auto edit = form.Control(fx::kEdit);
    edit.Focus();
    edit.Press(Key::Enter);
    log.WaitUntilText(L"go");
    edit.Press(Key::Escape);
    log.WaitUntilText(L"go cancel");

    const auto combo = form.Control(fx::kCombo);
    // The combo box passes the focus to its edit part.
    combo.Focus();
    EXPECT_EQ(GetParent(form.FocusedControl().Handle()), combo.Handle());
    edit.Focus();
    edit.Press(Key::Tab);
    WaitUntil([&] { return GetParent(form.FocusedControl().Handle()) == combo.Handle(); },
              L"the focus in the combo box", kWait,
              [&] { return form.FocusedControl().Describe(); });

    const auto check = form.Control(fx::kCheck);
    check.Press(Key::Space);
    WaitUntil([&] { return check.Checked(); }, L"Space to check the check box");
}

TEST_F(Driver, KeysThroughTheInputQueueWhenForeground) {
    form.Control(fx::kEdit).Focus();
    form.PressForeground(Key::Enter);
    form.Control(fx::kLog).WaitUntilText(L"go");
}

TEST_F(Driver, ReadsAndAnswersAMessageBoxWithAnIcon) {
    form.Control(fx::kAsk).Click();
    const auto box = app.MsgBox(fx::kQuestionTitle);
    EXPECT_EQ(box.Title(), fx::kQuestionTitle);
    EXPECT_EQ(box.Message(), fx::kQuestion);
    EXPECT_TRUE(box.HasIcon());
    const auto buttons = box.Buttons();
    ASSERT_EQ(buttons.size(), 2u) << box.DescribeControls();
    EXPECT_EQ(buttons, SystemButtons(MB_YESNO));
    EXPECT_EQ(buttons[0].id, IDYES);
    EXPECT_EQ(buttons[1].id, IDNO);
    box.Answer(IDNO);
    form.Control(fx::kLog).WaitUntilText(L"no");
}

TEST_F(Driver, WaitsForTheEndAndTellsWhatItSaw) {
    try {
        app.Window(L"No such title", Ms(200));
        FAIL() << "found a window that does not exist";
    } catch (const DriverError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("No such title"), std::string::npos) << what;
        EXPECT_NE(what.find("Driver fixture"), std::string::npos) << what;
    }
    EXPECT_THROW(app.WaitForExit(Ms(100)), DriverError);
    form.Close();
    EXPECT_EQ(app.WaitForExit(), static_cast<DWORD>(fx::kExitCode));
    EXPECT_THROW(app.Window(fx::kTitle, Ms(200)), DriverError);
}

TEST_F(Driver, ScreenshotHoldsTheWindow) {
    const std::wstring path = ShotPath(L"driver-fixture");
    form.Screenshot(path);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    ASSERT_GE(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER info;
    memcpy(&info, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof info);
    const RECT r = form.ScreenRect();
    EXPECT_EQ(info.biWidth, r.right - r.left);
    EXPECT_EQ(info.biHeight, r.bottom - r.top);
    EXPECT_EQ(info.biBitCount, 24);
    // The owner-drawn button is painted in a colour that no blank or black capture holds.
    const size_t stride = (static_cast<size_t>(info.biWidth) * 3 + 3) / 4 * 4;
    const size_t start = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    ASSERT_EQ(bytes.size(), start + stride * static_cast<size_t>(info.biHeight));
    int ownerPixels = 0;
    for (LONG y = 0; y < info.biHeight; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(bytes.data() + start + y * stride);
        for (LONG x = 0; x < info.biWidth; ++x)
            if (row[3 * x] == 30 && row[3 * x + 1] == 180 && row[3 * x + 2] == 230) ++ownerPixels;
    }
    EXPECT_GT(ownerPixels, 100);
}

// A box of a program that is not ours: notepad asks whether to create a file it cannot find.
// Its texts are the platform's own (Russian here), so only their parts that carry meaning are
// checked.
TEST(OtherPrograms, ReadsAndAnswersNotepadsQuestionBox) {
    const std::wstring file = MakeTempFolder(L"notepad") + L"\\missing.txt";
    auto notepad = Process::Start(L"notepad " + Quote(file));
    const auto box = notepad.AnyMsgBox();
    EXPECT_FALSE(box.Title().empty());
    EXPECT_NE(box.Message().find(file), std::wstring::npos) << Utf8(Visible(box.Message()));
    EXPECT_TRUE(box.HasIcon());
    const auto buttons = box.Buttons();
    ASSERT_EQ(buttons.size(), 3u) << Utf8(box.DescribeControls());
    EXPECT_EQ(buttons, SystemButtons(MB_YESNOCANCEL));
    box.Screenshot(ShotPath(L"notepad-question"));
    box.Answer(buttons[2].caption);
    EXPECT_EQ(notepad.WaitForExit(), 0u);
}

} // namespace
