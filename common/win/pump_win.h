// The event pump: lets the window's pending events run from inside a long handler.
#pragma once
#include "common/event_pump.h"
#include <windows.h>
#undef Yield // an old 16-bit macro that hides EventPump::Yield

namespace qx::win {

class MessagePump final : public qx::EventPump {
public:
    // `dialog` gets keyboard navigation (Tab, Enter, Esc) through IsDialogMessage.
    explicit MessagePump(HWND dialog = nullptr) : dialog_(dialog) {}
    void SetDialog(HWND dialog) { dialog_ = dialog; }
    // Pumps every pending message. Called after every file of a walk, so it skips the pump
    // when the last one ran less than a couple of milliseconds ago: the window stays
    // responsive and the walk stays fast.
    void Yield() override;
    void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
    // Runs one message through the same filter as Yield; false on WM_QUIT.
    bool Dispatch(MSG& msg);

private:
    HWND dialog_;
    LONGLONG lastPump_ = 0;
};

} // namespace qx::win
