// FormAboutShow called the way a script calls it: wscript creates ZIZEZODE by its programmatic
// name and calls it; the box is read and answered from outside.
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

// How the script hands over its arguments. The parameters are typed references (long*, BSTR*);
// a script variable passed bare goes as a reference to a variant, which such parameters
// refuse with a type mismatch, on Windows as by design as under Wine. In parentheses, or as
// literals, the script passes values, which the call takes by reference to temporaries.
enum class Passing { Literals, VariablesInParentheses, BareVariables };

struct Call {
    const wchar_t* shot;
    Passing passing;
    std::wstring title, version, years, topic;
};

constexpr DWORD kTypeMismatch = 13;

// The script ends with 0 when the call went through, else with the script error's number.
std::wstring WriteScript(const Call& c) {
    const std::wstring title = VbsString(c.title), version = VbsString(c.version),
                       years = VbsString(c.years), topic = VbsString(c.topic);
    std::wstring call;
    switch (c.passing) {
    case Passing::Literals:
        call = L"o.FormAboutShow 0, " + title + L", " + version + L", " + years + L", " + topic;
        break;
    case Passing::VariablesInParentheses:
        call = L"o.FormAboutShow (icon), (title), (ver), (years), (topic)";
        break;
    case Passing::BareVariables:
        call = L"o.FormAboutShow icon, title, ver, years, topic";
        break;
    }
    const std::wstring lines[] = {
        L"Dim o, icon, title, ver, years, topic",
        L"Set o = CreateObject(\"ZIZEZODEISTRY.ZIZEZODE\")",
        L"icon = 0 : title = " + title + L" : ver = " + version + L" : years = " + years +
            L" : topic = " + topic,
        L"On Error Resume Next",
        call,
        L"WScript.Quit Err.Number",
    };
    std::wstring script;
    for (const auto& line : lines)
        script += line + L"\r\n";
    const std::wstring path = MakeTempFolder(L"about") + L"\\about.vbs";
    WriteBytes(path, Ansi(script));
    return path;
}

Process StartScript(const Call& c) {
    return Process::Start(L"wscript //nologo " + Quote(WriteScript(c)));
}

TEST_F(FormAboutShow, ShowsTitleAndTestLineWithOnlyOkAndNoIcon) {
    const Call calls[] = {
        {L"about-plain", Passing::Literals, L"Wexcal31", L"", L"", L""},
        {L"about-variables", Passing::VariablesInParentheses, L"Wexcal31", L"1.10.0006", L"", L""},
        {L"about-cyrillic", Passing::VariablesInParentheses, L"Поиск файлов", L"1.10.0006",
         L"2004-2006", L"Вопрос"},
        {L"about-quotes", Passing::Literals, L"A \"quoted\" & spaced title", L"x", L"y", L"z"},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(Utf8(c.title));
        auto script = StartScript(c);
        const auto box = script.MsgBox(c.title);
        EXPECT_EQ(Visible(box.Message()), Visible(c.title + L"\r\nTest software!"));
        EXPECT_EQ(box.Buttons(), SystemButtons(MB_OK));
        EXPECT_FALSE(box.HasIcon()) << Utf8(box.DescribeControls());
        box.Screenshot(ShotPath(c.shot));
        box.Answer(IDOK);
        EXPECT_EQ(script.WaitForExit(), 0u);
    }
}

// No box: were there one, the script would wait for its answer and WaitForExit would time out
// and name it.
TEST_F(FormAboutShow, BareScriptVariablesAreATypeMismatch) {
    auto script = StartScript({L"", Passing::BareVariables, L"Wexcal31", L"", L"", L""});
    EXPECT_EQ(script.WaitForExit(), kTypeMismatch);
}

} // namespace
