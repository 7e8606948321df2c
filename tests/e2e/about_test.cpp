// FormAboutShow called the way a script calls it: wscript creates ZIZEZODE by its programmatic
// name and passes variables by reference; the box is read and answered from outside.
#include "tests/e2e/driver_win.h"

#include <gtest/gtest.h>

using namespace qx::e2e;

namespace {

class FormAboutShow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        auto run = Process::Start(L"regsvr32 /s " + Quote(BinPath(L"Wexcal31.dll")));
        ASSERT_EQ(run.WaitForExit(), 0u) << "Wexcal31.dll did not register";
    }
};

std::wstring VbsString(std::wstring_view text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text)
        quoted += c == L'"' ? std::wstring(L"\"\"") : std::wstring(1, c);
    return quoted + L"\"";
}

// wscript reads a script in the ANSI code page.
std::string Ansi(std::wstring_view text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

struct Call {
    const wchar_t* shot;
    std::wstring title, version, years, topic;
};

// The script ends with 0 when the call left every variable as it was, with 5 otherwise.
std::wstring WriteScript(const Call& c) {
    const std::wstring title = VbsString(c.title), version = VbsString(c.version),
                       years = VbsString(c.years), topic = VbsString(c.topic);
    const std::wstring lines[] = {
        L"Dim o, icon, title, ver, years, topic",
        L"Set o = CreateObject(\"ZIZEZODEISTRY.ZIZEZODE\")",
        L"icon = 0 : title = " + title + L" : ver = " + version + L" : years = " + years +
            L" : topic = " + topic,
        L"o.FormAboutShow icon, title, ver, years, topic",
        L"If icon <> 0 Or title <> " + title + L" Or ver <> " + version + L" Or years <> " + years +
            L" Or topic <> " + topic + L" Then WScript.Quit 5",
        L"WScript.Quit 0",
    };
    std::wstring script;
    for (const auto& line : lines)
        script += line + L"\r\n";
    const std::wstring path = MakeTempFolder(L"about") + L"\\about.vbs";
    WriteBytes(path, Ansi(script));
    return path;
}

TEST_F(FormAboutShow, ShowsTitleAndTestLineWithOnlyOkAndNoIcon) {
    const Call calls[] = {
        {L"about-plain", L"Wexcal31", L"", L"", L""},
        {L"about-cyrillic", L"Поиск файлов", L"1.10.0006", L"2004-2006", L"Вопрос"},
        {L"about-quotes", L"A \"quoted\" & spaced title", L"x", L"y", L"z"},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(Utf8(c.title));
        auto script = Process::Start(L"wscript //nologo " + Quote(WriteScript(c)));
        const auto box = script.MsgBox(c.title);
        EXPECT_EQ(Visible(box.Message()), Visible(c.title + L"\r\nTest software!"));
        EXPECT_EQ(box.Buttons(), SystemButtons(MB_OK));
        EXPECT_FALSE(box.HasIcon()) << Utf8(box.DescribeControls());
        box.Screenshot(ShotPath(c.shot));
        box.Answer(IDOK);
        EXPECT_EQ(script.WaitForExit(), 0u) << "the call changed a variable passed to it";
    }
}

} // namespace
