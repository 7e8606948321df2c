// Letting the window's pending events run from inside a long handler. The Win32
// implementation pumps the thread's messages; tests count or script the calls.
#pragma once

#ifdef Yield
#undef Yield // the platform headers define it as a macro
#endif

namespace qx {

class EventPump {
public:
    virtual ~EventPump() = default;
    // Process every pending event (clicks, keys, repaints), then return.
    virtual void Yield() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
};

} // namespace qx
