// A window base: a static noexcept window procedure keeps `this` and forwards to a member,
// and no exception crosses it. Plus the small helpers every window here needs.
#pragma once
#include <windows.h>
#undef Yield // an old 16-bit macro that hides EventPump::Yield
#include <string>

namespace qx::win {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;
    HWND hwnd() const { return hwnd_; }

protected:
    // Registers the class once per process (by name) and creates the window.
    bool CreateTopLevel(const wchar_t* className, const wchar_t* title, DWORD style,
                        DWORD exStyle, int width, int height, HMENU menu, HICON icon);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) {
        return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    HWND hwnd_ = nullptr;
};

// The text of a window or control.
std::wstring GetText(HWND h);
void SetText(HWND h, const std::wstring& text);

// "description" of a platform error number, without the trailing line break.
std::wstring ErrorDescription(DWORD error);

// Screen DPI of a window (system DPI before it exists) and twips to pixels with it.
UINT DpiOf(HWND h);
inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }
inline int PixelsToTwips(int pixels, UINT dpi) { return MulDiv(pixels, 1440, static_cast<int>(dpi)); }

// The system's message font at a DPI; the caller owns it.
HFONT CreateMessageFont(UINT dpi);

} // namespace qx::win
