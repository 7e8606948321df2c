// RAII owners for the Win32 handles the programs hold: each closes on every path.
#pragma once
#include <windows.h>
#undef Yield // an old 16-bit macro that hides EventPump::Yield
#include <utility>

namespace qx::win {

template <class T, class Traits> class Scoped {
public:
    Scoped() = default;
    explicit Scoped(T h) : h_(h) {}
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
    Scoped& operator=(Scoped&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::invalid()));
        return *this;
    }
    ~Scoped() { reset(); }
    void reset(T h = Traits::invalid()) {
        if (valid()) Traits::close(h_);
        h_ = h;
    }
    T release() { return std::exchange(h_, Traits::invalid()); }
    T get() const { return h_; }
    bool valid() const { return h_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }

private:
    T h_ = Traits::invalid();
};

struct HandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct NullHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::FindClose(h); }
};
struct KeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { ::RegCloseKey(h); }
};
template <class G> struct GdiTraits {
    static G invalid() { return nullptr; }
    static void close(G h) { ::DeleteObject(h); }
};
struct MenuTraits {
    static HMENU invalid() { return nullptr; }
    static void close(HMENU h) { ::DestroyMenu(h); }
};
struct IconTraits {
    static HICON invalid() { return nullptr; }
    static void close(HICON h) { ::DestroyIcon(h); }
};

using UniqueFile = Scoped<HANDLE, HandleTraits>;      // CreateFile: INVALID_HANDLE_VALUE
using UniqueHandle = Scoped<HANDLE, NullHandleTraits>; // processes, threads, events
using UniqueFind = Scoped<HANDLE, FindTraits>;
using UniqueKey = Scoped<HKEY, KeyTraits>;
using UniqueFont = Scoped<HFONT, GdiTraits<HFONT>>;
using UniqueMenu = Scoped<HMENU, MenuTraits>;
using UniqueIcon = Scoped<HICON, IconTraits>;

// A COM interface pointer that releases what it holds.
template <class I> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    I** put() {
        reset();
        return &p_;
    }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    I* p_ = nullptr;
};

} // namespace qx::win
