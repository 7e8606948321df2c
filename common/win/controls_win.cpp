#include "common/win/controls_win.h"
#include "common/win/window_win.h"
#include <commctrl.h>
#include <string_view>

namespace qx::win {

namespace {

constexpr int kFrameBoxId = 0xFFFF;

// Frames pass their controls' notifications on to the window that owns the handlers.
LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return ::SendMessageW(::GetParent(h), msg, wp, lp);
    case WM_SIZE:
        // The group box drawing fills the frame.
        if (HWND box = ::GetDlgItem(h, kFrameBoxId))
            ::MoveWindow(box, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_ENABLE:
        ::InvalidateRect(h, nullptr, TRUE);
        break;
    }
    return ::DefWindowProcW(h, msg, wp, lp);
}

void RegisterFrameClass() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    done = ::RegisterClassExW(&wc) != 0;
}

HWND ParentOf(HWND window, const ControlSpec& s) {
    return s.parent ? FindControl(window, s.parent) : window;
}

} // namespace

namespace {
struct ControlSearch {
    int id;
    HWND found;
};
// A lambda does not convert to a stdcall callback on 32-bit Windows.
BOOL CALLBACK MatchControlId(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<ControlSearch*>(p);
    if (::GetDlgCtrlID(h) != s->id) return TRUE;
    s->found = h;
    return FALSE;
}
} // namespace

HWND FindControl(HWND window, int id) {
    if (HWND direct = ::GetDlgItem(window, id)) return direct;
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(window, &MatchControlId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool CreateControls(HWND window, std::span<const ControlSpec> specs, UINT dpi, HFONT font) {
    RegisterFrameClass();
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    bool ok = true;
    for (const ControlSpec& s : specs) {
        HWND parent = ParentOf(window, s);
        const bool frame = s.className == kFrameClass;
        // Siblings never paint over each other; the tables put labels last, below the controls
        // they touch.
        DWORD style = s.style | WS_CHILD | WS_CLIPSIBLINGS;
        HWND h = ::CreateWindowExW(frame ? WS_EX_CONTROLPARENT : 0, s.className, frame ? L"" : s.text,
                                   style, TwipsToPixels(s.left, dpi), TwipsToPixels(s.top, dpi),
                                   TwipsToPixels(s.width, dpi), TwipsToPixels(s.height, dpi),
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(s.id)),
                                   inst, nullptr);
        if (!h) {
            ok = false;
            continue;
        }
        if (frame) {
            // The visible border and caption of the frame.
            HWND box = ::CreateWindowExW(0, L"BUTTON", s.text, WS_CHILD | WS_VISIBLE | BS_GROUPBOX,
                                         0, 0, TwipsToPixels(s.width, dpi),
                                         TwipsToPixels(s.height, dpi), h,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFrameBoxId)),
                                         inst, nullptr);
            ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        // A combo box does not take its text from the window name.
        if (s.text && *s.text && std::wstring_view(s.className) == WC_COMBOBOXW)
            ::SetWindowTextW(h, s.text);
    }
    // A frame's border lies under the controls it holds (a new child goes below its siblings).
    for (const ControlSpec& s : specs)
        if (s.className == kFrameClass)
            if (HWND box = ::GetDlgItem(FindControl(window, s.id), kFrameBoxId))
                ::SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return ok;
}

void PlaceControls(HWND window, std::span<const ControlSpec> specs, UINT dpi) {
    for (const ControlSpec& s : specs)
        if (HWND h = FindControl(window, s.id))
            ::SetWindowPos(h, nullptr, TwipsToPixels(s.left, dpi), TwipsToPixels(s.top, dpi),
                           TwipsToPixels(s.width, dpi), TwipsToPixels(s.height, dpi),
                           SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace qx::win
