// The end-to-end driver: starts real programs in the test Wine prefix and works their windows
// from outside, through window messages, as a user would.
//
// Every step that waits has a time limit. A step that fails throws DriverError with what was
// awaited and what was seen instead; GoogleTest reports it as the test's failure.
//
//   auto app = Process::Start(Quote(BinPath(L"Quarrix.exe")));
//   auto form = app.Window(L"Trawlbeam");
//   form.Control(id::Combo1).Type(L"C:\\data");
//   form.Control(id::Command2).Click();
//   auto box = app.MsgBox(L"Trawlbeam");
//   box.Answer(IDOK);
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qx::e2e {

using Ms = std::chrono::milliseconds;

// Long enough for a cold Wine start on a busy machine; a wait that succeeds returns at once.
inline constexpr Ms kWait{15000};
// How long one message to another program may take before that program counts as hung.
inline constexpr Ms kAnswer{5000};

class DriverError : public std::runtime_error {
  public:
    explicit DriverError(std::wstring_view what);
};

std::string Utf8(std::wstring_view text);
// Control characters shown as \r \n \t, so a message names exactly what it saw.
std::wstring Visible(std::wstring_view text);
// Texts and lists as UTF-8, control characters shown, one entry a line: readable in a failure.
std::string Show(const std::wstring& text);
std::string Show(const wchar_t* text);
std::string Show(const std::vector<std::wstring>& items);

// Polls `probe` every 25 ms until it gives a value (or true), at most `limit`. On time-out
// throws "timed out after N ms waiting for <what>; seen: <seen()>".
void WaitUntil(const std::function<bool()>& probe, std::wstring_view what, Ms limit = kWait,
               const std::function<std::wstring()>& seen = {});

template <class T>
T WaitFor(const std::function<std::optional<T>()>& probe, std::wstring_view what, Ms limit = kWait,
          const std::function<std::wstring()>& seen = {}) {
    std::optional<T> found;
    WaitUntil([&] { return (found = probe()).has_value(); }, what, limit, seen);
    return *found;
}

// Keys for Window::Press. They are posted to the window's queue, where the program's own
// message loop (and IsDialogMessage in it) sees them as it would see typed keys.
// A posted key leaves the keyboard state alone, so there is no Shift+Tab here.
enum class Key { Enter, Escape, Space, Tab, Down, Up };

struct Button {
    int id;
    std::wstring caption;
    bool operator==(const Button&) const = default;
};

// A window or control of another program, not owned: it may vanish at any time, and every
// read of a vanished window throws.
class Window {
  public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}

    HWND Handle() const { return hwnd_; }
    bool Exists() const;
    DWORD ProcessId() const;
    DWORD ThreadId() const;

    std::wstring ClassName() const;
    int Id() const;
    LONG Style() const;
    bool Visible() const; // this window and all its parents
    bool Enabled() const;
    RECT ScreenRect() const;

    // The text by WM_GETTEXT: an edit's contents, a button's or label's caption, a title.
    std::wstring Text() const;
    // WM_SETTEXT: the text changes as if the program set it. An edit still sends EN_CHANGE;
    // a combo box sends no CBN_EDITCHANGE.
    void SetText(std::wstring_view text) const;
    // WM_CHAR for every code unit, as typing does: change handlers run after every character.
    // For a combo box the characters go to its edit part. Synchronous.
    void Type(std::wstring_view text) const;
    // Selects the whole text and types `text` over it.
    void Retype(std::wstring_view text) const;

    // Posts BM_CLICK and returns at once: a handler may run long or open a modal box, and the
    // driver must stay free to answer it. Wait for the consequence.
    void Click() const;
    // Posts WM_LBUTTONDOWN/UP at a point of the client area (owner-drawn and picture buttons).
    void ClickAt(int x, int y) const;
    // Posts WM_KEYDOWN/WM_KEYUP to this window; the program's TranslateMessage makes the
    // WM_CHAR. Post to FocusedControl() to type where the keyboard would.
    void Press(Key key) const;
    // Makes this top-level window the foreground one and sends the key with SendInput, through
    // the system's input queue. Throws when the window cannot be brought to the foreground
    // (Wine lets another process do that; Windows may refuse).
    void PressForeground(Key key) const;
    // Gives this control the keyboard focus (SetFocus through AttachThreadInput).
    void Focus() const;
    // The control that has the keyboard focus in this window's thread (GetGUIThreadInfo).
    Window FocusedControl() const;
    // Picks an item of this window's menu bar: posts the WM_COMMAND a click on it would give.
    // Whether the item is enabled is not checked: under Wine a menu of another process cannot
    // be read.
    void ChooseMenu(int id) const;
    void Close() const; // posts WM_CLOSE
    void WaitUntilGone(Ms limit = kWait) const;
    void WaitUntilText(std::wstring_view text, Ms limit = kWait) const;
    void WaitUntilEnabled(bool enabled, Ms limit = kWait) const;

    int CheckState() const; // BM_GETCHECK: BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
    bool Checked() const { return CheckState() == BST_CHECKED; }

    // List boxes. Text needs LBS_HASSTRINGS (or a list box that is not owner-drawn): only then
    // does the system carry the text across processes.
    int ListCount() const;
    std::wstring ListText(int index) const;
    std::vector<std::wstring> ListItems() const;
    bool ListSelected(int index) const;
    std::vector<int> ListSelection() const;
    LRESULT ListData(int index) const;

    // Combo boxes: the items of the drop-down list (the edit part is Text()).
    int ComboCount() const;
    std::wstring ComboText(int index) const;
    std::vector<std::wstring> ComboItems() const;
    int ComboSelection() const;

    // A descendant control by control ID, nested in frames and group boxes too; waits for it.
    Window Control(int id, Ms limit = kWait) const;
    // A descendant by class (e.g. L"Button") and caption.
    Window Control(std::wstring_view cls, std::wstring_view caption, Ms limit = kWait) const;
    std::optional<Window> FindControl(int id) const;
    std::vector<Window> Controls() const; // all descendants, nearest first

    // For failure messages: `Button #1 "OK" visible enabled`, and the same for every control.
    std::wstring Describe() const;
    std::wstring DescribeControls() const;

    // A 24-bit BMP of the window as it shows on screen.
    void Screenshot(const std::wstring& path) const;

    // Raw messages, for what the calls above do not cover. Send throws when the window is
    // gone or does not answer within `limit`.
    LRESULT Send(UINT msg, WPARAM wp, LPARAM lp, Ms limit = kAnswer) const;
    void Post(UINT msg, WPARAM wp, LPARAM lp) const;

    bool operator==(const Window& other) const { return hwnd_ == other.hwnd_; }

  protected:
    void MustExist() const;

  private:
    HWND hwnd_ = nullptr;
};

// A message box (a dialog of class "#32770"): its title, its text (the label with ID 0xFFFF),
// its buttons, and its icon.
class MsgBox : public Window {
  public:
    MsgBox() = default;
    explicit MsgBox(HWND hwnd) : Window(hwnd) {}

    std::wstring Title() const { return Text(); }
    std::wstring Message() const;
    std::vector<Button> Buttons() const; // visible buttons, left to right
    // An icon shows: a label with SS_ICON that holds an icon. Wine keeps such a label, with a
    // size but without an icon, in boxes that have none; Windows leaves it out.
    bool HasIcon() const;

    // Clicks the button and waits until the box is gone.
    void Answer(int id, Ms limit = kWait) const;
    void Answer(std::wstring_view caption, Ms limit = kWait) const;
};

// The buttons the system gives a message box of `type` (MB_OK, MB_YESNO...), captions in the
// user interface language: Wine in Russian captions OK as Cyrillic "ОК". Shown and read once
// in this process.
std::vector<Button> SystemButtons(UINT type);

// A started program. The handles are owned; a program still running when its Process ends is
// terminated, so a failed test leaves no window behind for the next.
class Process {
  public:
    // Starts `commandLine` (CreateProcessW: the first word is the program, looked up as
    // Windows does) and waits until it is ready for input (or `idleLimit`).
    static Process Start(const std::wstring& commandLine, const std::wstring& folder = {},
                         Ms idleLimit = kWait);

    Process() = default; // no program
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD Id() const { return id_; }
    const std::wstring& CommandLine() const { return commandLine_; }
    bool Running() const;
    std::optional<DWORD> ExitCode() const;
    // Waits for the end and gives the exit code; throws on time-out.
    DWORD WaitForExit(Ms limit = kWait) const;
    void Terminate();

    std::vector<e2e::Window> TopWindows() const; // visible top-level windows of this process
    // A visible top-level window by exact title and, if given, class. Fails at once when the
    // program ends while waiting.
    e2e::Window Window(std::wstring_view title, Ms limit = kWait) const;
    e2e::Window WindowOfClass(std::wstring_view cls, std::wstring_view title = {},
                              Ms limit = kWait) const;
    e2e::MsgBox MsgBox(std::wstring_view title, Ms limit = kWait) const;
    e2e::MsgBox AnyMsgBox(Ms limit = kWait) const;

    std::wstring DescribeWindows() const;

  private:
    std::optional<e2e::Window> FindTop(std::wstring_view cls, std::wstring_view title,
                                       bool anyTitle) const;
    e2e::Window WaitTop(std::wstring_view cls, std::wstring_view title, bool anyTitle,
                        Ms limit) const;
    void Release() noexcept;

    HANDLE process_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD id_ = 0;
    std::wstring commandLine_;
};

// Where the tests find things: QX_BIN (the built programs; a Unix path is turned into its Z:
// form) and a fresh temporary folder per call.
std::wstring BinPath(std::wstring_view file = {});
std::wstring MakeTempFolder(std::wstring_view stem);
void WriteBytes(const std::wstring& path, std::string_view bytes);
// Where screenshots go: QX_SHOTS, else a folder in the temporary folder.
std::wstring ShotPath(std::wstring_view name);
// Quotes a command-line argument when it needs quotes.
std::wstring Quote(std::wstring_view arg);

// The registry as the tests read it: a value's text, or nothing when the key or value is absent.
std::optional<std::wstring> RegString(HKEY root, const std::wstring& key,
                                      const std::wstring& name = {});
bool RegKeyExists(HKEY root, const std::wstring& key);

} // namespace qx::e2e
