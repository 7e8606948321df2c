#include "common/win/pump_win.h"

namespace qx::win {

namespace {
LONGLONG Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}
LONGLONG TicksPerSecond() {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart;
}
} // namespace

bool MessagePump::Dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    if (dialog_ && ::IsWindow(dialog_) && ::IsDialogMessageW(dialog_, &msg)) return true;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

void MessagePump::Yield() {
    static const LONGLONG minGap = TicksPerSecond() / 500; // 2 ms
    const LONGLONG now = Now();
    if (lastPump_ && now - lastPump_ < minGap) return;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!Dispatch(msg)) {
            // Leave the quit for the main loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
    lastPump_ = Now();
}

} // namespace qx::win
