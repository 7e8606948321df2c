// The modal questions a window asks (message boxes, the folder browser). Windows use this
// interface, so in-process tests can answer the questions themselves.
#pragma once
#include <windows.h>
#undef Yield // an old 16-bit macro that hides EventPump::Yield
#include <string>

namespace qx::win {

class Questions {
public:
    virtual ~Questions() = default;
    // MessageBoxW flags and result.
    virtual int Message(HWND owner, const std::wstring& text, const std::wstring& title,
                        UINT flags) = 0;
    // The shell's folder browser (file-system folders only); "" when cancelled.
    virtual std::wstring PickFolder(HWND owner, const std::wstring& title) = 0;
};

// The real questions: the platform's boxes.
class PlatformQuestions final : public Questions {
public:
    int Message(HWND owner, const std::wstring& text, const std::wstring& title,
                UINT flags) override;
    std::wstring PickFolder(HWND owner, const std::wstring& title) override;
};

} // namespace qx::win
