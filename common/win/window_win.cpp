#include "common/win/window_win.h"
#include <vector>

namespace qx::win {

bool Window::CreateTopLevel(const wchar_t* className, const wchar_t* title, DWORD style,
                            DWORD exStyle, int width, int height, HMENU menu, HICON icon) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(inst, className, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Window::Proc;
        wc.hInstance = inst;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        wc.hIconSm = icon;
        if (!::RegisterClassExW(&wc)) return false;
    }
    return ::CreateWindowExW(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                             width, height, nullptr, menu, inst, this) != nullptr;
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    try {
        LRESULT r = self->HandleMessage(msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return r;
    } catch (...) {
        // A failure inside a handler must not unwind through the system's code.
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

std::wstring GetText(HWND h) {
    const int n = ::GetWindowTextLengthW(h);
    if (n <= 0) return {};
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
    const int got = ::GetWindowTextW(h, buf.data(), n + 1);
    return std::wstring(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void SetText(HWND h, const std::wstring& text) { ::SetWindowTextW(h, text.c_str()); }

std::wstring ErrorDescription(DWORD error) {
    wchar_t* buf = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&buf), 0,
                                     nullptr);
    std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
    if (buf) ::LocalFree(buf);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

UINT DpiOf(HWND h) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (h && getDpiForWindow) {
        if (UINT dpi = getDpiForWindow(h)) return dpi;
    }
    HDC dc = ::GetDC(nullptr);
    const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ::ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

HFONT CreateMessageFont(UINT dpi) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    // The metrics come at the system DPI; scale them to the window's.
    const UINT systemDpi = DpiOf(nullptr);
    if (systemDpi != dpi)
        ncm.lfMessageFont.lfHeight =
            MulDiv(ncm.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
    return ::CreateFontIndirectW(&ncm.lfMessageFont);
}

} // namespace qx::win
