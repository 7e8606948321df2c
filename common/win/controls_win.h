// Controls created from a declarative table that keeps their design positions in twips.
#pragma once
#include <windows.h>
#undef Yield // an old 16-bit macro that hides EventPump::Yield
#include <span>

namespace qx::win {

// Class name of the container used for frames: a group box whose controls are its children,
// so that hiding or disabling the frame takes its controls along.
inline constexpr wchar_t kFrameClass[] = L"QxFrame";

struct ControlSpec {
    int id;
    int parent; // id of the containing frame, 0 for the window itself
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int left, top, width, height; // twips, relative to the parent's client area
};

// Creates every control of the table in order (the order is the keyboard order), gives each
// the font, and returns false if one could not be created.
bool CreateControls(HWND window, std::span<const ControlSpec> specs, UINT dpi, HFONT font);

// Puts every control of the table back at its design position for a DPI.
void PlaceControls(HWND window, std::span<const ControlSpec> specs, UINT dpi);

// The control with an id anywhere below the window (frames included).
HWND FindControl(HWND window, int id);

} // namespace qx::win
