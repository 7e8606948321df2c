// A small window program with one control of each kind the product uses, so the driver's tests
// can work every call against a real program in another process. It writes what happens into
// its own labels, where the driver reads it.
#include "tests/e2e/fixture_ids.h"

#include <windows.h>

#include <string>

using namespace qx::e2e::fixture;

namespace {

HWND g_main = nullptr;
int g_editChanges = 0;
int g_comboChanges = 0;
std::wstring g_log;

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Log(const wchar_t* event) {
    if (!g_log.empty()) g_log += L' ';
    g_log += event;
    SetDlgItemTextW(g_main, kLog, g_log.c_str());
}

void Echo(int into, int changes, int from) {
    const std::wstring text = std::to_wstring(changes) + L" " + TextOf(GetDlgItem(g_main, from));
    SetDlgItemTextW(g_main, into, text.c_str());
}

HWND Make(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y,
          int w, int h, DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void CreateControls(HWND hwnd) {
    Make(hwnd, L"Edit", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kEdit, 10, 10, 200, 24);
    Make(hwnd, L"Static", L"0 ", 0, kEditEcho, 220, 10, 200, 24);
    const HWND combo = Make(hwnd, L"ComboBox", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, kCombo,
                            10, 40, 200, 120);
    for (const wchar_t* item : {L"alpha", L"beta", L"gamma"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    Make(hwnd, L"Static", L"0 ", 0, kComboEcho, 220, 40, 200, 24);
    const HWND group = Make(hwnd, L"Button", L"Options", BS_GROUPBOX, kGroup, 10, 70, 200, 50,
                            WS_EX_CONTROLPARENT);
    Make(group, L"Button", L"Deep", WS_TABSTOP | BS_AUTOCHECKBOX, kCheck, 10, 20, 150, 20);
    Make(hwnd, L"Button", L"Go", WS_TABSTOP | BS_DEFPUSHBUTTON, kGo, 10, 130, 90, 26);
    Make(hwnd, L"Button", L"Off", WS_TABSTOP | WS_DISABLED, kDisabled, 110, 130, 90, 26);
    Make(hwnd, L"Button", L"Ask", WS_TABSTOP, kAsk, 210, 130, 90, 26);
    Make(hwnd, L"Button", L"", WS_TABSTOP | BS_OWNERDRAW, kOwner, 310, 130, 40, 26);
    Make(hwnd, L"Static", L"", 0, kLog, 10, 165, 400, 24);
    const HWND hidden = Make(hwnd, L"Static", L"secret", 0, kHidden, 10, 195, 100, 24);
    ShowWindow(hidden, SW_HIDE);
    const HWND list =
        Make(hwnd, L"ListBox", L"",
             WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_HASSTRINGS | LBS_MULTIPLESEL | LBS_NOTIFY,
             kList, 220, 70, 200, 80);
    int data = 10;
    for (const wchar_t* item : {L"one", L"two", L"three"}) {
        const auto i = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageW(list, LB_SETITEMDATA, i, data);
        data += 10;
    }
    SendMessageW(list, LB_SETSEL, TRUE, 0);
    SendMessageW(list, LB_SETSEL, TRUE, 2);
}

void OnCommand(int id, int code) {
    switch (id) {
    case kEdit:
        if (code == EN_CHANGE) Echo(kEditEcho, ++g_editChanges, kEdit);
        break;
    case kCombo:
        if (code == CBN_EDITCHANGE) Echo(kComboEcho, ++g_comboChanges, kCombo);
        break;
    case kGo:
        Log(L"go");
        break;
    case IDCANCEL:
        Log(L"cancel");
        break;
    case kOwner:
        Log(L"owner");
        break;
    case kMenuSay:
        Log(L"menu");
        break;
    case kAsk: {
        const int answer =
            MessageBoxW(g_main, kQuestion, kQuestionTitle, MB_YESNO | MB_ICONQUESTION);
        Log(answer == IDYES ? L"yes" : answer == IDNO ? L"no" : L"other");
        break;
    }
    }
}

void DrawOwner(const DRAWITEMSTRUCT& item) {
    const HBRUSH brush = CreateSolidBrush(RGB(230, 180, 30));
    FillRect(item.hDC, &item.rcItem, brush);
    DeleteObject(brush);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        g_main = hwnd;
        CreateControls(hwnd);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_DRAWITEM:
        DrawOwner(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case DM_GETDEFID:
        return MAKELRESULT(kGo, DC_HASDEFID);
    case WM_DESTROY:
        PostQuitMessage(kExitCode);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QxE2eFixture";
    RegisterClassW(&wc);
    const HMENU bar = CreateMenu();
    const HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, kMenuSay, L"Сказать");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"Меню");
    const HWND hwnd =
        CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, 40, 40,
                        460, 290, nullptr, bar, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
