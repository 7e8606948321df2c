#include "tests/e2e/driver_win.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <thread>
#include <utility>

namespace qx::e2e {

namespace {

using Clock = std::chrono::steady_clock;
constexpr Ms kPoll{25};

struct HandleCloser {
    void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct KeyCloser {
    void operator()(HKEY k) const noexcept { RegCloseKey(k); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct DcReleaser {
    HWND hwnd;
    void operator()(HDC dc) const noexcept { ReleaseDC(hwnd, dc); }
};
struct DcDeleter {
    void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};
struct GdiDeleter {
    void operator()(HGDIOBJ obj) const noexcept { DeleteObject(obj); }
};

std::wstring Number(long long n) {
    return std::to_wstring(n);
}

std::wstring Hex(unsigned long long n) {
    wchar_t buf[32];
    swprintf(buf, 32, L"0x%llX", n);
    return buf;
}

std::wstring SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = L"error " + Number(code);
    if (text) {
        std::wstring description = text;
        LocalFree(text);
        while (!description.empty() && iswspace(description.back()))
            description.pop_back();
        result += L" (" + description + L")";
    }
    return result;
}

std::wstring Shorten(std::wstring_view text, size_t most = 80) {
    std::wstring shown = Visible(text.substr(0, most));
    if (text.size() > most) shown += L"...";
    return shown;
}

std::wstring Quoted(std::wstring_view text) {
    return L"\"" + Visible(text) + L"\"";
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring WithoutMnemonic(std::wstring_view caption) {
    std::wstring plain;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

struct KeyInfo {
    WORD vk;
    const wchar_t* name;
};

KeyInfo Info(Key key) {
    switch (key) {
    case Key::Enter:
        return {VK_RETURN, L"Enter"};
    case Key::Escape:
        return {VK_ESCAPE, L"Esc"};
    case Key::Space:
        return {VK_SPACE, L"Space"};
    case Key::Tab:
        return {VK_TAB, L"Tab"};
    case Key::Down:
        return {VK_DOWN, L"Down"};
    case Key::Up:
        return {VK_UP, L"Up"};
    }
    return {0, L"?"};
}

LPARAM KeyLparam(WORD vk, bool up) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM lp = 1 | (static_cast<LPARAM>(scan) << 16);
    if (up) lp |= (1LL << 30) | (1LL << 31);
    return lp;
}

} // namespace

DriverError::DriverError(std::wstring_view what) : std::runtime_error(Utf8(what)) {}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring Visible(std::wstring_view text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\r':
            out += L"\\r";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\t':
            out += L"\\t";
            break;
        default:
            if (c < 0x20) {
                wchar_t buf[8];
                swprintf(buf, 8, L"\\x%02X", static_cast<unsigned>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out;
}

void WaitUntil(const std::function<bool()>& probe, std::wstring_view what, Ms limit,
               const std::function<std::wstring()>& seen) {
    const auto start = Clock::now();
    for (;;) {
        if (probe()) return;
        if (Clock::now() - start >= limit) break;
        Sleep(static_cast<DWORD>(kPoll.count()));
    }
    std::wstring message = L"timed out after " + Number(limit.count()) + L" ms waiting for ";
    message += what;
    if (seen) message += L"; seen: " + seen();
    throw DriverError(message);
}

// ---- Window ------------------------------------------------------------------------------

bool Window::Exists() const {
    return hwnd_ && IsWindow(hwnd_);
}

void Window::MustExist() const {
    if (!Exists())
        throw DriverError(L"window " + Hex(reinterpret_cast<UINT_PTR>(hwnd_)) +
                          L" does not exist (any more)");
}

DWORD Window::ProcessId() const {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd_, &pid);
    return pid;
}

DWORD Window::ThreadId() const {
    return GetWindowThreadProcessId(hwnd_, nullptr);
}

LRESULT Window::Send(UINT msg, WPARAM wp, LPARAM lp, Ms limit) const {
    MustExist();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd_, msg, wp, lp, SMTO_ABORTIFHUNG, static_cast<UINT>(limit.count()),
                             &result)) {
        MustExist();
        throw DriverError(Describe() + L" did not answer message " + Hex(msg) + L" within " +
                          Number(limit.count()) + L" ms");
    }
    return static_cast<LRESULT>(result);
}

void Window::Post(UINT msg, WPARAM wp, LPARAM lp) const {
    MustExist();
    if (!PostMessageW(hwnd_, msg, wp, lp))
        throw DriverError(L"cannot post message " + Hex(msg) + L" to " + Describe() + L": " +
                          SystemMessage(GetLastError()));
}

std::wstring Window::ClassName() const {
    wchar_t buf[256] = {};
    GetClassNameW(hwnd_, buf, 256);
    return buf;
}

int Window::Id() const {
    return GetDlgCtrlID(hwnd_);
}
LONG Window::Style() const {
    return GetWindowLongW(hwnd_, GWL_STYLE);
}
bool Window::Visible() const {
    return IsWindowVisible(hwnd_) != FALSE;
}
bool Window::Enabled() const {
    return IsWindowEnabled(hwnd_) != FALSE;
}

RECT Window::ScreenRect() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
}

std::wstring Window::Text() const {
    const auto length = Send(WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto got = Send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return text;
}

void Window::SetText(std::wstring_view text) const {
    const std::wstring copy(text);
    if (!Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())))
        throw DriverError(Describe() + L" refused the text " + Quoted(text));
}

namespace {
// Typing into a combo box goes to its edit part, as the keyboard focus would.
HWND TypingTarget(const Window& w) {
    if (SameText(w.ClassName(), L"ComboBox")) {
        if (HWND edit = FindWindowExW(w.Handle(), nullptr, L"Edit", nullptr)) return edit;
    }
    return w.Handle();
}
} // namespace

void Window::Type(std::wstring_view text) const {
    MustExist();
    const Window target(TypingTarget(*this));
    for (wchar_t c : text)
        target.Send(WM_CHAR, c, 1);
}

void Window::Retype(std::wstring_view text) const {
    MustExist();
    const Window target(TypingTarget(*this));
    target.Send(EM_SETSEL, 0, -1);
    if (text.empty())
        target.Send(WM_CHAR, VK_BACK, 1);
    else
        target.Type(text);
}

namespace {
// A user can only click what shows and what is enabled, up to the top-level window.
void MustBeClickable(const Window& w) {
    if (!w.Visible()) throw DriverError(L"cannot click hidden " + w.Describe());
    for (HWND h = w.Handle(); h; h = GetAncestor(h, GA_PARENT)) {
        if (h == GetDesktopWindow()) break;
        if (!IsWindowEnabled(h)) {
            const Window blocker(h);
            throw DriverError(L"cannot click " + w.Describe() +
                              (h == w.Handle()
                                   ? std::wstring(L": it is disabled")
                                   : L": its parent is disabled: " + blocker.Describe()));
        }
    }
}
} // namespace

void Window::Click() const {
    MustExist();
    MustBeClickable(*this);
    Post(BM_CLICK, 0, 0);
}

void Window::ClickAt(int x, int y) const {
    MustExist();
    MustBeClickable(*this);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Window::Press(Key key) const {
    const auto info = Info(key);
    Post(WM_KEYDOWN, info.vk, KeyLparam(info.vk, false));
    Post(WM_KEYUP, info.vk, KeyLparam(info.vk, true));
}

void Window::PressForeground(Key key) const {
    MustExist();
    const HWND top = GetAncestor(hwnd_, GA_ROOT);
    SetForegroundWindow(top);
    WaitUntil([&] { return GetForegroundWindow() == top; },
              L"the foreground to go to " + Window(top).Describe(), Ms(2000),
              [] {
                  const HWND fg = GetForegroundWindow();
                  return fg ? Window(fg).Describe() : std::wstring(L"no foreground window");
              });
    const auto info = Info(key);
    INPUT inputs[2] = {};
    for (auto& in : inputs) {
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = info.vk;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(info.vk, MAPVK_VK_TO_VSC));
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    if (SendInput(2, inputs, sizeof(INPUT)) != 2)
        throw DriverError(L"SendInput of " + std::wstring(info.name) + L" failed: " +
                          SystemMessage(GetLastError()));
}

void Window::Focus() const {
    MustExist();
    const DWORD self = GetCurrentThreadId();
    const DWORD target = ThreadId();
    AttachThreadInput(self, target, TRUE);
    SetFocus(hwnd_);
    AttachThreadInput(self, target, FALSE);
    // A combo box hands the focus on to its edit part.
    WaitUntil(
        [&] {
            const HWND focused = FocusedControl().Handle();
            return focused == hwnd_ || (focused && IsChild(hwnd_, focused));
        },
        L"the focus on " + Describe(), kAnswer, [&] { return FocusedControl().Describe(); });
}

Window Window::FocusedControl() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(ThreadId(), &info)) return Window();
    return Window(info.hwndFocus);
}

void Window::ChooseMenu(int id) const {
    Post(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Window::Close() const {
    Post(WM_CLOSE, 0, 0);
}

void Window::WaitUntilGone(Ms limit) const {
    WaitUntil([&] { return !Exists() || !Visible(); }, L"to close: " + Describe(), limit);
}

void Window::WaitUntilText(std::wstring_view text, Ms limit) const {
    WaitUntil([&] { return Text() == text; }, L"the text " + Quoted(text) + L" in " + Describe(),
              limit, [&] { return Quoted(Text()); });
}

void Window::WaitUntilEnabled(bool enabled, Ms limit) const {
    WaitUntil([&] { return Enabled() == enabled; },
              Describe() + (enabled ? L" to be enabled" : L" to be disabled"), limit);
}

int Window::CheckState() const {
    return static_cast<int>(Send(BM_GETCHECK, 0, 0));
}

int Window::ListCount() const {
    const auto n = Send(LB_GETCOUNT, 0, 0);
    if (n == LB_ERR) throw DriverError(Describe() + L" is no list box");
    return static_cast<int>(n);
}

std::wstring Window::ListText(int index) const {
    const auto length = Send(LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        throw DriverError(Describe() + L" has no entry " + Number(index) + L" (" +
                          Number(ListCount()) + L" entries)");
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto got = Send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return text;
}

std::vector<std::wstring> Window::ListItems() const {
    std::vector<std::wstring> items;
    const int n = ListCount();
    for (int i = 0; i < n; ++i)
        items.push_back(ListText(i));
    return items;
}

bool Window::ListSelected(int index) const {
    return Send(LB_GETSEL, index, 0) > 0;
}

std::vector<int> Window::ListSelection() const {
    std::vector<int> selected;
    const int n = ListCount();
    for (int i = 0; i < n; ++i)
        if (ListSelected(i)) selected.push_back(i);
    return selected;
}

LRESULT Window::ListData(int index) const {
    return Send(LB_GETITEMDATA, index, 0);
}

int Window::ComboCount() const {
    const auto n = Send(CB_GETCOUNT, 0, 0);
    if (n == CB_ERR) throw DriverError(Describe() + L" is no combo box");
    return static_cast<int>(n);
}

std::wstring Window::ComboText(int index) const {
    const auto length = Send(CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        throw DriverError(Describe() + L" has no item " + Number(index) + L" (" +
                          Number(ComboCount()) + L" items)");
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto got = Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return text;
}

std::vector<std::wstring> Window::ComboItems() const {
    std::vector<std::wstring> items;
    const int n = ComboCount();
    for (int i = 0; i < n; ++i)
        items.push_back(ComboText(i));
    return items;
}

int Window::ComboSelection() const {
    return static_cast<int>(Send(CB_GETCURSEL, 0, 0));
}

std::vector<Window> Window::Controls() const {
    std::vector<Window> found;
    std::deque<HWND> parents{hwnd_};
    while (!parents.empty()) {
        const HWND parent = parents.front();
        parents.pop_front();
        for (HWND child = GetWindow(parent, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            const Window w(child);
            found.push_back(w);
            // A combo box's edit and list are its own parts, not controls of the window.
            if (!SameText(w.ClassName(), L"ComboBox")) parents.push_back(child);
        }
    }
    return found;
}

std::optional<Window> Window::FindControl(int id) const {
    for (const auto& w : Controls())
        if (w.Id() == id) return w;
    return std::nullopt;
}

Window Window::Control(int id, Ms limit) const {
    MustExist();
    return WaitFor<Window>([&] { return FindControl(id); },
                           L"control #" + Number(id) + L" in " + Describe(), limit,
                           [&] { return DescribeControls(); });
}

Window Window::Control(std::wstring_view cls, std::wstring_view caption, Ms limit) const {
    MustExist();
    return WaitFor<Window>(
        [&]() -> std::optional<Window> {
            for (const auto& w : Controls())
                if (SameText(w.ClassName(), cls) && w.Text() == caption) return w;
            return std::nullopt;
        },
        std::wstring(cls) + L" " + Quoted(caption) + L" in " + Describe(), limit,
        [&] { return DescribeControls(); });
}

std::wstring Window::Describe() const {
    if (!Exists()) return L"(gone window " + Hex(reinterpret_cast<UINT_PTR>(hwnd_)) + L")";
    std::wstring d = ClassName();
    if (GetAncestor(hwnd_, GA_PARENT) != GetDesktopWindow()) d += L" #" + Number(Id());
    wchar_t title[512] = {};
    // The window's own text (no message): safe on a hung window, and an edit's contents
    // would be noise here anyway.
    GetWindowTextW(hwnd_, title, 512);
    d += L" " + Quoted(Shorten(title));
    d += Visible() ? L" visible" : L" hidden";
    d += Enabled() ? L" enabled" : L" disabled";
    return d;
}

std::wstring Window::DescribeControls() const {
    if (!Exists()) return Describe();
    std::wstring d;
    for (const auto& w : Controls())
        d += (d.empty() ? L"[" : L", ") + w.Describe();
    return d.empty() ? L"no controls" : d + L"]";
}

void Window::Screenshot(const std::wstring& path) const {
    MustExist();
    // Paint what is pending first, so the shot shows the state the last step left.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const RECT r = ScreenRect();
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) throw DriverError(L"cannot shoot empty " + Describe());

    std::unique_ptr<HDC__, DcReleaser> screen(GetDC(nullptr), DcReleaser{nullptr});
    std::unique_ptr<HDC__, DcDeleter> memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    std::unique_ptr<void, GdiDeleter> bitmap(
        CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) throw DriverError(L"cannot make a bitmap for " + Describe());
    // PrintWindow gives black here under Wine: its WM_PRINT cannot carry our device context
    // into another process. The screen holds what the user sees, so copy from there.
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    const BOOL copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top,
                               SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory.get(), old);
    if (!copied)
        throw DriverError(L"cannot copy " + Describe() + L" from the screen: " +
                          SystemMessage(GetLastError()));

    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof bi.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    bi.bmiHeader.biSizeImage = imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    bytes.append(static_cast<const char*>(bits), imageSize);
    WriteBytes(path, bytes);
}

// ---- MsgBox ------------------------------------------------------------------------------

std::wstring MsgBox::Message() const {
    for (const auto& w : Controls()) {
        const int id = w.Id();
        if ((id == 0xFFFF || id == -1) && SameText(w.ClassName(), L"Static")) return w.Text();
    }
    throw DriverError(L"no message text (Static #65535) in " + Describe() + L": " +
                      DescribeControls());
}

std::vector<Button> MsgBox::Buttons() const {
    std::vector<Window> shown;
    for (const auto& w : Controls())
        if (SameText(w.ClassName(), L"Button") && w.Visible()) shown.push_back(w);
    std::sort(shown.begin(), shown.end(), [](const Window& a, const Window& b) {
        return a.ScreenRect().left < b.ScreenRect().left;
    });
    std::vector<Button> buttons;
    for (const auto& w : shown)
        buttons.push_back({w.Id(), w.Text()});
    return buttons;
}

bool MsgBox::HasIcon() const {
    for (const auto& w : Controls()) {
        if (!SameText(w.ClassName(), L"Static") || (w.Style() & SS_TYPEMASK) != SS_ICON) continue;
        const RECT r = w.ScreenRect();
        if (w.Visible() && r.right > r.left && r.bottom > r.top && w.Send(STM_GETICON, 0, 0))
            return true;
    }
    return false;
}

void MsgBox::Answer(int id, Ms limit) const {
    MustExist();
    for (const auto& w : Controls()) {
        if (w.Id() == id && SameText(w.ClassName(), L"Button") && w.Visible()) {
            w.Click();
            WaitUntilGone(limit);
            return;
        }
    }
    throw DriverError(L"no button #" + Number(id) + L" in " + Describe() + L": " +
                      DescribeControls());
}

void MsgBox::Answer(std::wstring_view caption, Ms limit) const {
    for (const auto& b : Buttons()) {
        if (b.caption == caption || WithoutMnemonic(b.caption) == caption) {
            Answer(b.id, limit);
            return;
        }
    }
    throw DriverError(L"no button " + Quoted(caption) + L" in " + Describe() + L": " +
                      DescribeControls());
}

namespace {
struct EnumState {
    DWORD pid;
    bool visibleOnly;
    std::vector<Window> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
    auto& state = *reinterpret_cast<EnumState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == state.pid && (!state.visibleOnly || IsWindowVisible(hwnd)))
        state.found.emplace_back(hwnd);
    return TRUE;
}

std::vector<Window> TopWindowsOf(DWORD pid, bool visibleOnly) {
    EnumState state{pid, visibleOnly, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t title[1024] = {};
    GetWindowTextW(hwnd, title, 1024);
    return title;
}
} // namespace

std::vector<Button> SystemButtons(UINT type) {
    static std::map<UINT, std::vector<Button>> known;
    if (auto it = known.find(type); it != known.end()) return it->second;
    const std::wstring title = L"qx-e2e-probe-" + Number(type);
    std::thread shower([title, type] { MessageBoxW(nullptr, L"probe", title.c_str(), type); });
    std::vector<Button> buttons;
    try {
        const auto box = WaitFor<MsgBox>(
            [&]() -> std::optional<MsgBox> {
                for (const auto& w : TopWindowsOf(GetCurrentProcessId(), true))
                    if (TitleOf(w.Handle()) == title) return MsgBox(w.Handle());
                return std::nullopt;
            },
            L"the probe box " + Quoted(title));
        buttons = box.Buttons();
        if (buttons.empty()) throw DriverError(L"the probe box has no buttons");
        box.Answer(buttons.front().id);
    } catch (...) {
        shower.detach(); // the box may still be up; the test fails anyway
        throw;
    }
    shower.join();
    known[type] = buttons;
    return buttons;
}

// ---- Process -----------------------------------------------------------------------------

Process Process::Start(const std::wstring& commandLine, const std::wstring& folder, Ms idleLimit) {
    Process p;
    p.commandLine_ = commandLine;
    std::wstring mutableLine = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        throw DriverError(L"cannot start " + Quoted(commandLine) + L": " +
                          SystemMessage(GetLastError()));
    p.process_ = pi.hProcess;
    p.thread_ = pi.hThread;
    p.id_ = pi.dwProcessId;
    // A console program or one that never idles gives up here at once or after the limit;
    // the waits that follow say what is missing.
    WaitForInputIdle(p.process_, static_cast<DWORD>(idleLimit.count()));
    return p;
}

Process::Process(Process&& other) noexcept {
    *this = std::move(other);
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        process_ = std::exchange(other.process_, nullptr);
        thread_ = std::exchange(other.thread_, nullptr);
        id_ = std::exchange(other.id_, 0);
        commandLine_ = std::move(other.commandLine_);
    }
    return *this;
}

Process::~Process() {
    Release();
}

void Process::Release() noexcept {
    if (process_) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 0xE2E);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    if (thread_) CloseHandle(thread_);
    process_ = thread_ = nullptr;
}

bool Process::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::ExitCode() const {
    if (!process_ || Running()) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

DWORD Process::WaitForExit(Ms limit) const {
    if (!process_) throw DriverError(L"no process to wait for");
    if (WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        throw DriverError(L"timed out after " + Number(limit.count()) +
                          L" ms waiting for the end of " + Quoted(commandLine_) +
                          L"; its windows: " + DescribeWindows());
    return *ExitCode();
}

void Process::Terminate() {
    if (Running()) {
        TerminateProcess(process_, 0xE2E);
        WaitForSingleObject(process_, 5000);
    }
}

std::vector<Window> Process::TopWindows() const {
    return TopWindowsOf(id_, true);
}

std::wstring Process::DescribeWindows() const {
    std::wstring d;
    for (const auto& w : TopWindowsOf(id_, false))
        d += (d.empty() ? L"[" : L", ") + w.Describe();
    return d.empty() ? L"none" : d + L"]";
}

std::optional<Window> Process::FindTop(std::wstring_view cls, std::wstring_view title,
                                       bool anyTitle) const {
    for (const auto& w : TopWindows()) {
        if (!cls.empty() && !SameText(w.ClassName(), cls)) continue;
        if (!anyTitle && TitleOf(w.Handle()) != title) continue;
        return w;
    }
    return std::nullopt;
}

Window Process::WaitTop(std::wstring_view cls, std::wstring_view title, bool anyTitle,
                        Ms limit) const {
    std::wstring what = cls.empty() ? std::wstring(L"a window") : std::wstring(cls) + L" window";
    if (!anyTitle) what += L" titled " + Quoted(title);
    what += L" of " + Quoted(commandLine_) + L" (process " + Number(id_) + L")";
    return WaitFor<e2e::Window>(
        [&]() -> std::optional<e2e::Window> {
            if (auto w = FindTop(cls, title, anyTitle)) return w;
            if (!Running())
                throw DriverError(L"the program ended with exit code " + Number(*ExitCode()) +
                                  L" while waiting for " + what);
            return std::nullopt;
        },
        what, limit, [&] { return DescribeWindows(); });
}

Window Process::Window(std::wstring_view title, Ms limit) const {
    return WaitTop({}, title, false, limit);
}

e2e::Window Process::WindowOfClass(std::wstring_view cls, std::wstring_view title, Ms limit) const {
    return WaitTop(cls, title, title.empty(), limit);
}

MsgBox Process::MsgBox(std::wstring_view title, Ms limit) const {
    return e2e::MsgBox(WaitTop(L"#32770", title, false, limit).Handle());
}

MsgBox Process::AnyMsgBox(Ms limit) const {
    return e2e::MsgBox(WaitTop(L"#32770", {}, true, limit).Handle());
}

// ---- Files, paths, registry --------------------------------------------------------------

std::wstring BinPath(std::wstring_view file) {
    wchar_t buf[MAX_PATH * 2] = {};
    const DWORD n = GetEnvironmentVariableW(L"QX_BIN", buf, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        throw DriverError(L"QX_BIN is not set: it names the folder of the built programs");
    std::wstring bin = buf;
    if (!bin.empty() && bin[0] == L'/') { // a Unix path: Wine shows / as Z:
        std::replace(bin.begin(), bin.end(), L'/', L'\\');
        bin = L"Z:" + bin;
    }
    if (file.empty()) return bin;
    if (bin.back() != L'\\') bin += L'\\';
    return bin + std::wstring(file);
}

std::wstring MakeTempFolder(std::wstring_view stem) {
    static int counter = 0;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring folder = std::wstring(temp) + std::wstring(stem) + L"-" +
                              Number(GetCurrentProcessId()) + L"-" + Number(++counter);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw DriverError(L"cannot create " + Quoted(folder) + L": " +
                              SystemMessage(GetLastError()));
    }
    throw DriverError(L"cannot find a free temporary folder name for " + Quoted(stem));
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        throw DriverError(L"cannot create " + Quoted(path) + L": " + SystemMessage(GetLastError()));
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size())
        throw DriverError(L"cannot write " + Quoted(path) + L": " + SystemMessage(GetLastError()));
}

std::wstring ShotPath(std::wstring_view name) {
    wchar_t buf[MAX_PATH * 2] = {};
    const DWORD n = GetEnvironmentVariableW(L"QX_SHOTS", buf, MAX_PATH * 2);
    std::wstring folder;
    if (n > 0 && n < MAX_PATH * 2) {
        folder = buf;
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        folder = std::wstring(temp) + L"qx-shots";
    }
    if (!folder.empty() && folder[0] == L'/') {
        std::replace(folder.begin(), folder.end(), L'/', L'\\');
        folder = L"Z:" + folder;
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + std::wstring(name) + L".bmp";
}

std::wstring Quote(std::wstring_view arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring_view::npos)
        return std::wstring(arg);
    // Backslashes only need doubling before a quote, which paths do not hold.
    return L"\"" + std::wstring(arg) + L"\"";
}

std::optional<std::wstring> RegString(HKEY root, const std::wstring& key,
                                      const std::wstring& name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey opened(raw);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(raw, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(raw, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(wcsnlen(data.c_str(), size / sizeof(wchar_t)));
    return data;
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return false;
    RegCloseKey(raw);
    return true;
}

std::string Show(const std::wstring& text) { return Utf8(Visible(text)); }
std::string Show(const wchar_t* text) { return Show(std::wstring(text)); }
std::string Show(const std::vector<std::wstring>& items) {
    std::string shown = "{\n";
    for (const auto& item : items)
        shown += "  " + Show(item) + "\n";
    return shown + "}";
}

} // namespace qx::e2e
