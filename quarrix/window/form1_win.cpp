#include "quarrix/window/form1_win.h"
#include "common/paths.h"
#include "common/registry.h"
#include "common/win/controls_win.h"
#include "quarrix/res/resource.h"
#include "quarrix/search/search_win.h"
#include "quarrix/search/size_box.h"
#include "quarrix/search/text_tables.h"
#include "quarrix/window/history.h"
#include "quarrix/window/ids.h"
#include "quarrix/window/settings.h"
#include "quarrix/window/startup.h"
#include <commctrl.h>
#include <objbase.h>
#include <windowsx.h>
#include <array>
#include <vector>

namespace qx::quarrix {

using win::ControlSpec;
using win::kFrameClass;

// What a search needs that outlives one search: the file system, the run state, the
// platform's character tables, and a device context for measuring paths.
struct SearchParts {
    search::Win32FileSystem fs;
    search::SearchState state;
    search::TextTables tables = search::PlatformTextTables();
    HDC measureDc = nullptr;
};

namespace {

constexpr wchar_t kTitle[] = L"Trawlbeam";
constexpr DWORD kVis = WS_VISIBLE;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kEdit = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kCombo = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;

// The design, in twips. The order of creation is the keyboard (Tab) order; controls that
// never take the focus follow, labels last so that they lie under every other control.
constexpr std::array kControls = {
    ControlSpec{id::Combo1, 0, WC_COMBOBOXW, L"", kCombo, 120, 240, 3855, 315},
    ControlSpec{id::Command2, 0, WC_BUTTONW, L"Найти", kButton | BS_DEFPUSHBUTTON, 120, 3840, 1215, 375},
    ControlSpec{id::Text1, 0, WC_EDITW, L"", kEdit, 120, 1920, 4335, 285},
    ControlSpec{id::List2, 0, WC_LISTBOXW, L"",
                kVis | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_SORT |
                    LBS_HASSTRINGS | LBS_OWNERDRAWFIXED | LBS_MULTIPLESEL | LBS_NOTIFY |
                    LBS_NOINTEGRALHEIGHT,
                4680, 0, 6975, 4560},
    ControlSpec{id::Command3, 0, WC_BUTTONW, L"Остановить", kButton | WS_DISABLED, 3240, 3840, 1215, 375},
    ControlSpec{id::Command4, 0, WC_BUTTONW, L"Пауза", kButton | WS_DISABLED, 1680, 3840, 1215, 375},
    ControlSpec{id::Command6, 0, WC_BUTTONW, L"", kButton | BS_ICON, 4080, 240, 375, 375},
    ControlSpec{id::Combo2, 0, WC_COMBOBOXW, L"*.*", kCombo, 120, 960, 4335, 315},
    ControlSpec{id::Text2, 0, WC_EDITW, L"", kEdit, 120, 2640, 4335, 285},
    ControlSpec{id::Frame1, 0, kFrameClass, L"Выбранные файлы", kVis | WS_DISABLED, 40, 4800, 4575, 975},
    ControlSpec{id::Command7, id::Frame1, WC_BUTTONW, L"Копировать", kButton | WS_DISABLED, 120, 360, 1215, 375},
    ControlSpec{id::Command8, id::Frame1, WC_BUTTONW, L"Переместить", kButton | WS_DISABLED, 1680, 360, 1215, 375},
    ControlSpec{id::Command9, id::Frame1, WC_BUTTONW, L"Удалить", kButton | WS_DISABLED, 3240, 360, 1215, 375},
    ControlSpec{id::Check1, 0, WC_BUTTONW, L"С учётом регистра", kCheck, 2040, 1680, 2295, 195},
    ControlSpec{id::Check3, 0, WC_BUTTONW, L"Поиск во вложенных папках", kCheck, 1560, 720, 2895, 255},
    ControlSpec{id::LstError, 0, WC_LISTBOXW, L"",
                kVis | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                75, 5880, 11535, 840},
    ControlSpec{id::Frame2, 0, kFrameClass, L"", 0, 120, 2925, 4335, 855},
    ControlSpec{id::Text3, id::Frame2, WC_EDITW, L"", kEdit, 120, 360, 975, 285},
    ControlSpec{id::Label6, id::Frame2, WC_STATICW, L"Пропустить файлы, размер которых больше", kLabel, 120, 120, 4095, 375},
    ControlSpec{id::Label7, id::Frame2, WC_STATICW, L"МБ", kLabel, 1200, 410, 615, 375},
    ControlSpec{id::chkASCII, 0, WC_BUTTONW, L"ASCII", kCheck, 2520, 1360, 855, 195},
    ControlSpec{id::chkUTF8, 0, WC_BUTTONW, L"UTF-8", kCheck, 3480, 1360, 975, 255},
    ControlSpec{id::Check2, 0, WC_BUTTONW, L"у.р.", WS_VISIBLE | WS_DISABLED | BS_AUTOCHECKBOX, 3480, 2400, 975, 255},
    ControlSpec{id::Label2, 0, WC_STATICW, L"Тип файлов", kLabel, 120, 720, 1335, 255},
    ControlSpec{id::Label8, 0, WC_STATICW, L"Искать текст в кодировке", kLabel, 120, 1320, 2415, 255},
    ControlSpec{id::Label1, 0, WC_STATICW, L"Искомый текст:", kLabel, 120, 1680, 1815, 255},
    ControlSpec{id::Label5, 0, WC_STATICW, L"Пропустить файлы содержащие текст:", kLabel, 120, 2400, 4215, 255},
    ControlSpec{id::Label3, 0, WC_STATICW, L"", kLabel, 120, 4320, 4215, 375},
    ControlSpec{id::Label4, 0, WC_STATICW, L"", kLabel, 4800, 4680, 6615, 975},
};

constexpr int kDesignClientWidth = 11700;
constexpr int kDesignClientHeight = 6780;
// The drop-down part of a combo box is part of its window height.
constexpr int kComboDropTwips = 3000;

// The design rectangle of one control of the table.
template <class Rect> Rect DesignRect(int id) {
    for (const ControlSpec& s : kControls)
        if (s.id == id) return {s.left, s.top, s.width, s.height};
    return {};
}

bool Checked(HWND h) { return ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND h, bool on) {
    ::SendMessageW(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Width of the check box drawn in front of every result.
int CheckBoxSize(UINT dpi) { return ::MulDiv(13, static_cast<int>(dpi), 96); }

} // namespace

Form1::Form1(Registry& registry, win::Questions& questions)
    : registry_(registry), questions_(questions) {}

Form1::~Form1() = default;

bool Form1::Create(const std::wstring& commandLine) {
    dpi_ = win::DpiOf(nullptr);
    CreateMenus();
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUARRIX));
    RECT r{0, 0, win::TwipsToPixels(kDesignClientWidth, dpi_),
           win::TwipsToPixels(kDesignClientHeight, dpi_)};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    ::AdjustWindowRectEx(&r, style, TRUE, WS_EX_CONTROLPARENT);
    // The menu bar is made here, so the set-up run never shows anything.
    HMENU bar = ::CreateMenu();
    HMENU settings = ::CreatePopupMenu();
    ::AppendMenuW(settings, MF_STRING, id::mnuNotepadName, L"Путь к программе Блокнот");
    HMENU help = ::CreatePopupMenu();
    ::AppendMenuW(help, MF_STRING, id::mnuAbout, L"О программе");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), L"Настройки");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Справка");
    if (!CreateTopLevel(L"Form1", kTitle, style, WS_EX_CONTROLPARENT, r.right - r.left,
                        r.bottom - r.top, bar, icon)) {
        ::DestroyMenu(bar);
        return false;
    }
    pump_.SetDialog(hwnd());
    // The window may sit on a screen of another DPI than the system's.
    const UINT windowDpi = win::DpiOf(hwnd());
    dpi_ = windowDpi;
    font_.reset(win::CreateMessageFont(dpi_));
    std::vector<ControlSpec> specs(kControls.begin(), kControls.end());
    for (ControlSpec& s : specs)
        if (s.className == std::wstring_view(WC_COMBOBOXW)) s.height += kComboDropTwips;
    win::CreateControls(hwnd(), specs, dpi_, font_.get());
    BindControls();
    list2_ = DesignRect<TwipsRect>(id::List2);
    label4_ = DesignRect<TwipsRect>(id::Label4);
    lstError_ = DesignRect<TwipsRect>(id::LstError);

    folderIcon_.reset(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                      MAKEINTRESOURCEW(IDI_FOLDER), IMAGE_ICON,
                                                      16, 16, LR_DEFAULTCOLOR)));
    ::SendMessageW(Command6, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(folderIcon_.get()));
    ::SetWindowSubclass(List2, &Form1::ResultListProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetChecked(Check3, true);

    Form_Load(commandLine);
    if (!hwnd()) return false; // the set-up run closed the window
    ::ShowWindow(hwnd(), SW_SHOWDEFAULT);
    ::UpdateWindow(hwnd());
    return true;
}

void Form1::BindControls() {
    const struct {
        HWND* member;
        int id;
    } binds[] = {
        {&Combo1, id::Combo1},     {&Command6, id::Command6}, {&Label2, id::Label2},
        {&Check3, id::Check3},     {&Combo2, id::Combo2},     {&Label8, id::Label8},
        {&chkASCII, id::chkASCII}, {&chkUTF8, id::chkUTF8},   {&Label1, id::Label1},
        {&Check1, id::Check1},     {&Text1, id::Text1},       {&Label5, id::Label5},
        {&Check2, id::Check2},     {&Text2, id::Text2},       {&Frame2, id::Frame2},
        {&Label6, id::Label6},     {&Text3, id::Text3},       {&Label7, id::Label7},
        {&Command2, id::Command2}, {&Command4, id::Command4}, {&Command3, id::Command3},
        {&Label3, id::Label3},     {&Frame1, id::Frame1},     {&Command7, id::Command7},
        {&Command8, id::Command8}, {&Command9, id::Command9}, {&List2, id::List2},
        {&Label4, id::Label4},     {&LstError, id::LstError},
    };
    for (const auto& b : binds) *b.member = win::FindControl(hwnd(), b.id);
}

void Form1::CreateMenus() {
    // The two context menus: top-level menus that never show in the menu bar.
    popUp_.reset(::CreatePopupMenu());
    const struct {
        int id;
        const wchar_t* caption;
    } results[] = {
        {id::mnuPUOpen, L"Открыть"},
        {id::mnuPUOpenWith, L"Открыть с помощью..."},
        {id::mnuPUOpenWithStandart, L"Открыть с помощью (стандартн. диалог)"},
        {id::mnuPUOpenwithNotepad, L"Блокнот"},
        {id::mnuPUExplorer, L"Проводник"},
        {id::mnuFilenameCopy, L"Копировать имя файла"},
        {id::mnuPUSelectAll, L"Выбрать всё"},
        {id::mnuPUProperties, L"Свойства"},
    };
    for (const auto& item : results) ::AppendMenuW(popUp_.get(), MF_STRING, item.id, item.caption);
    ::SetMenuDefaultItem(popUp_.get(), id::mnuPUOpen, FALSE);
    popUp2_.reset(::CreatePopupMenu());
    const struct {
        int id;
        const wchar_t* caption;
    } errors[] = {
        {id::mnuPUOpen2, L"Открыть"},
        {id::mnuPUOpenWith2, L"Открыть с помощью..."},
        {id::mnuPUOpenWithStandart2, L"Открыть с помощью (стандартн. диалог)"},
        {id::mnuPUOpenwithNotepad2, L"Блокнот"},
        {id::mnuPUExplorer2, L"Проводник"},
        {id::mnuFilenameCopy2, L"Копировать имя файла"},
        {id::mnuPUProperties2, L"Свойства"},
    };
    for (const auto& item : errors) ::AppendMenuW(popUp2_.get(), MF_STRING, item.id, item.caption);
    ::SetMenuDefaultItem(popUp2_.get(), id::mnuPUOpen2, FALSE);
}

// ---- messages -------------------------------------------------------------------------

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_SIZE: Form_Resize(); return 0;
    case WM_CLOSE: Form_Unload(); return 0;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    case DM_GETDEFID: return MAKELRESULT(id::Command2, DC_HASDEFID);
    case WM_SETCURSOR:
        if (busy_) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mi->CtlType != ODT_LISTBOX) break;
        TEXTMETRICW tm{};
        HDC dc = ::GetDC(hwnd());
        HGDIOBJ old = ::SelectObject(dc, font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
        ::GetTextMetricsW(dc, &tm);
        ::SelectObject(dc, old);
        ::ReleaseDC(hwnd(), dc);
        mi->itemHeight = static_cast<UINT>(std::max<int>(tm.tmHeight, CheckBoxSize(dpi_)) +
                                           ::MulDiv(3, static_cast<int>(dpi_), 96));
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (di->CtlID == static_cast<UINT>(id::List2)) {
            DrawResultItem(*di);
            return TRUE;
        }
        break;
    }
    case WM_CONTEXTMENU: {
        HWND from = reinterpret_cast<HWND>(wp);
        HMENU menu = from == List2 ? popUp_.get() : from == LstError ? popUp2_.get() : nullptr;
        if (!menu) break;
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (pt.x == -1 && pt.y == -1) {
            RECT rc;
            ::GetWindowRect(from, &rc);
            pt = {rc.left + 8, rc.top + 8};
        }
        ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd(), nullptr);
        return 0;
    }
    case WM_DPICHANGED: {
        ApplyDpi(HIWORD(wp));
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    }
    return Default(msg, wp, lp);
}

void Form1::OnCommand(int id, int code) {
    switch (id) {
    case id::Command2: if (code == BN_CLICKED) Command2_Click(); break;
    case id::Command3: if (code == BN_CLICKED) Command3_Click(); break;
    case id::Command4: if (code == BN_CLICKED) Command4_Click(); break;
    case id::Command6: if (code == BN_CLICKED) Command6_Click(); break;
    case id::Check1: if (code == BN_CLICKED) Check1_Click(); break;
    case id::Text1: if (code == EN_CHANGE) Text1_Change(); break;
    case id::Text2: if (code == EN_CHANGE) Text2_Change(); break;
    case id::Text3: if (code == EN_CHANGE) Text3_Change(); break;
    case id::Combo1:
    case id::Combo2:
        // A locked box keeps its text: its list does not open during a search.
        if (code == CBN_DROPDOWN && searching_)
            ::PostMessageW(id == id::Combo1 ? Combo1 : Combo2, CB_SHOWDROPDOWN, FALSE, 0);
        break;
    case IDCANCEL:
        // Esc presses the cancel button while it is enabled.
        if (::IsWindowEnabled(Command3)) Command3_Click();
        break;
    default: break;
    }
}

void Form1::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    font_.reset(win::CreateMessageFont(dpi_));
    win::PlaceControls(hwnd(), kControls, dpi_);
    for (const ControlSpec& s : kControls)
        if (HWND h = win::FindControl(hwnd(), s.id)) {
            ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
            if (s.className == std::wstring_view(WC_COMBOBOXW))
                ::SetWindowPos(h, nullptr, 0, 0, win::TwipsToPixels(s.width, dpi_),
                               win::TwipsToPixels(s.height + kComboDropTwips, dpi_),
                               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        }
    MEASUREITEMSTRUCT mi{ODT_LISTBOX, static_cast<UINT>(id::List2), 0, 0, 0, 0};
    HandleMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi));
    ::SendMessageW(List2, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(mi.itemHeight));
    Form_Resize();
}

// ---- layout ---------------------------------------------------------------------------

void Form1::Form_Resize() {
    if (!List2) return;
    RECT wr;
    ::GetWindowRect(hwnd(), &wr);
    const int W = win::PixelsToTwips(wr.right - wr.left, dpi_);
    const int H = win::PixelsToTwips(wr.bottom - wr.top, dpi_);
    // A value that comes out negative is not applied; the other steps still run.
    auto apply = [](int& field, int value) {
        if (value >= 0) field = value;
    };
    apply(list2_.width, W - list2_.left - 200);
    apply(list2_.height, H - 2400);
    apply(label4_.width, W - label4_.left - 200);
    apply(label4_.height, H - 1300);
    apply(label4_.left, list2_.left);
    apply(label4_.top, list2_.height + 50);
    apply(lstError_.width, W - 250);
    apply(lstError_.top, H - lstError_.height - 980);
    auto place = [this](HWND h, const TwipsRect& t) {
        ::SetWindowPos(h, nullptr, win::TwipsToPixels(t.left, dpi_), win::TwipsToPixels(t.top, dpi_),
                       win::TwipsToPixels(t.width, dpi_), win::TwipsToPixels(t.height, dpi_),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(List2, list2_);
    place(Label4, label4_);
    place(LstError, lstError_);
}

// ---- small rules between controls ------------------------------------------------------

void Form1::Text1_Change() {
    ::ShowWindow(Frame2, win::GetText(Text1).empty() && win::GetText(Text2).empty() ? SW_HIDE : SW_SHOW);
}

void Form1::Text2_Change() { Text1_Change(); }

void Form1::Check1_Click() { SetChecked(Check2, Checked(Check1)); }

void Form1::Text3_Change() {
    const std::wstring text = win::GetText(Text3);
    const auto replacement = search::SizeBoxReplacement(text, search_->tables.DecimalSeparator);
    if (replacement && *replacement != text) {
        win::SetText(Text3, *replacement);
        ::SendMessageW(Text3, EM_SETSEL, replacement->size(), replacement->size());
    }
}

void Form1::Command6_Click() {
    const std::wstring path = questions_.PickFolder(hwnd(), L"Выберите каталог для поиска");
    ::SetFocus(Command2);
    if (!path.empty()) win::SetText(Combo1, path);
}

// ---- search ---------------------------------------------------------------------------

void Form1::Command2_Click() {
    if (searching_) return;
    searching_ = true;
    search::StartSearch(*this, search_->fs, search_->state, search_->tables);
    searching_ = false;
}

void Form1::Command3_Click() { search::RequestStop(search_->state, *this); }

void Form1::Command4_Click() { search::TogglePause(search_->state, *this); }

search::SearchInputs Form1::ReadInputs() {
    search::SearchInputs in;
    in.RootFolder = win::GetText(Combo1);
    in.MaskText = win::GetText(Combo2);
    in.SearchText = win::GetText(Text1);
    in.ExcludeText = win::GetText(Text2);
    in.CaseSensitive = Checked(Check1);
    in.Subfolders = Checked(Check3);
    in.MatchASCII = Checked(chkASCII);
    in.MatchUTF8 = Checked(chkUTF8);
    return in;
}

std::wstring Form1::SizeText() { return win::GetText(Text3); }

void Form1::SetMaskText(const std::wstring& text) { win::SetText(Combo2, text); }

void Form1::ShowNoEncodingMessage() {
    questions_.Message(hwnd(), L"Не выбрана кодировка!", kTitle, MB_OK);
}

void Form1::SetComboLocked(HWND combo, bool locked) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (::GetComboBoxInfo(combo, &info) && info.hwndItem)
        ::SendMessageW(info.hwndItem, EM_SETREADONLY, locked, 0);
}

void Form1::SetSearching(bool searching) {
    searching_ = searching;
    SetComboLocked(Combo1, searching);
    SetComboLocked(Combo2, searching);
    for (HWND h : {chkASCII, chkUTF8, Check3, Check1, Text3, Command2, Command6})
        ::EnableWindow(h, !searching);
    ::SendMessageW(Text1, EM_SETREADONLY, searching, 0);
    ::SendMessageW(Text2, EM_SETREADONLY, searching, 0);
    ::EnableWindow(Command3, searching);
    ::EnableWindow(Command4, searching);
}

void Form1::SetBusyPointer(bool busy) {
    busy_ = busy;
    ::SetCursor(::LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

void Form1::ShowResults(bool visible) { ::ShowWindow(List2, visible ? SW_SHOW : SW_HIDE); }

void Form1::ClearLists() {
    ::SendMessageW(List2, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(LstError, LB_RESETCONTENT, 0, 0);
}

void Form1::AddResult(const std::wstring& path) {
    ::SendMessageW(List2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void Form1::AddError(const std::wstring& line) {
    ::SendMessageW(LstError, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void Form1::SetStatus(const std::wstring& text) {
    win::SetText(Label3, text);
    ::UpdateWindow(Label3);
}

void Form1::SetProgress(const std::wstring& text) {
    win::SetText(Label4, text);
    ::UpdateWindow(Label4);
}

void Form1::SetPauseCaption(const std::wstring& text) { win::SetText(Command4, text); }

int Form1::MeasurePath(const std::wstring& path) {
    if (!search_->measureDc) {
        search_->measureDc = ::CreateCompatibleDC(nullptr);
    }
    HDC dc = search_->measureDc;
    ::SelectObject(dc, font_.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc, path.c_str(), static_cast<int>(path.size()), &size);
    // The text is drawn after the check box.
    return size.cx + CheckBoxSize(dpi_) + ::MulDiv(6, static_cast<int>(dpi_), 96);
}

void Form1::SetHorizontalExtent(int pixels) {
    ::SendMessageW(List2, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

bool Form1::AnyResultChecked() { return ::SendMessageW(List2, LB_GETSELCOUNT, 0, 0) > 0; }

void Form1::SetToolsFrame(bool enabled) {
    if (enabled)
        ToolsFrameTrue();
    else
        ToolsFrameFalse();
}

namespace {

std::vector<std::wstring> ComboList(HWND combo) {
    std::vector<std::wstring> items;
    const LRESULT n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        const LRESULT len = ::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(len > 0 ? static_cast<size_t>(len) + 1 : 1, L'\0');
        if (len > 0) ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(len > 0 ? static_cast<size_t>(len) : 0);
        items.push_back(std::move(text));
    }
    return items;
}

void SetComboList(HWND combo, const std::vector<std::wstring>& items) {
    // Resetting the list would clear the edit text too.
    const std::wstring text = win::GetText(combo);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    win::SetText(combo, text);
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

void Form1::UpdateHistories() {
    for (HWND combo : {Combo1, Combo2}) {
        const std::wstring current = win::GetText(combo);
        std::vector<std::wstring> list = ComboList(combo);
        UpdateHistory(list, current, pump_,
                      [this](wchar_t c) { return search_->tables.Fold(c); });
        SetComboList(combo, list);
        win::SetText(combo, current);
    }
}

void Form1::FocusFindButton() { ::SetFocus(Command2); }

// ---- result list ----------------------------------------------------------------------

std::wstring Form1::EntryText(HWND list, int index) const {
    wchar_t buf[300] = {};
    const LRESULT len = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len == LB_ERR) return {};
    std::wstring text;
    if (len < 300) {
        ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf));
        text = buf;
    } else {
        // A path longer than the classic buffer is read whole rather than overrun it.
        text.resize(static_cast<size_t>(len) + 1);
        ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(len));
    }
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    const auto last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

void Form1::ToolsFrameTrue() {
    for (HWND h : {Frame1, Command7, Command8, Command9}) ::EnableWindow(h, TRUE);
}

void Form1::ToolsFrameFalse() {
    for (HWND h : {Frame1, Command7, Command8, Command9}) ::EnableWindow(h, FALSE);
}

void Form1::List2_MouseUp() {
    if (!searching_ && AnyResultChecked())
        ToolsFrameTrue();
    else
        ToolsFrameFalse();
}

void Form1::DrawResultItem(const DRAWITEMSTRUCT& di) {
    if (di.itemID == static_cast<UINT>(-1)) return;
    HDC dc = di.hDC;
    RECT rc = di.rcItem;
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_WINDOW));
    const int box = CheckBoxSize(dpi_);
    const int pad = ::MulDiv(2, static_cast<int>(dpi_), 96);
    // The entry's selection state is its check mark.
    const bool checked = (di.itemState & ODS_SELECTED) != 0;
    RECT boxRc{rc.left + pad, rc.top + (rc.bottom - rc.top - box) / 2, 0, 0};
    boxRc.right = boxRc.left + box;
    boxRc.bottom = boxRc.top + box;
    ::DrawFrameControl(dc, &boxRc, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
    const LRESULT len = ::SendMessageW(di.hwndItem, LB_GETTEXTLEN, di.itemID, 0);
    if (len > 0) {
        std::wstring text(static_cast<size_t>(len) + 1, L'\0');
        ::SendMessageW(di.hwndItem, LB_GETTEXT, di.itemID, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(len));
        RECT textRc = rc;
        textRc.left = boxRc.right + 2 * pad;
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRc,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (di.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &rc);
}

LRESULT CALLBACK Form1::ResultListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR self) noexcept {
    try {
        return reinterpret_cast<Form1*>(self)->OnResultListMouse(h, msg, wp, lp);
    } catch (...) {
        return ::DefSubclassProc(h, msg, wp, lp);
    }
}

// A click on an entry's check box toggles it; a click on its text only makes it the current
// entry. The list box would toggle on any click, so it does not see these clicks.
LRESULT Form1::OnResultListMouse(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ::SetFocus(h);
        const LRESULT hit = ::SendMessageW(h, LB_ITEMFROMPOINT, 0, lp);
        if (HIWORD(hit)) return 0; // below the last entry
        const int index = LOWORD(hit);
        const int x = GET_X_LPARAM(lp) + static_cast<int>(::GetScrollPos(h, SB_HORZ));
        if (x < CheckBoxSize(dpi_) + ::MulDiv(4, static_cast<int>(dpi_), 96)) {
            const bool checked = ::SendMessageW(h, LB_GETSEL, index, 0) > 0;
            ::SendMessageW(h, LB_SETSEL, !checked, index);
        }
        ::SendMessageW(h, LB_SETCARETINDEX, index, FALSE);
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        const LRESULT r = ::DefSubclassProc(h, msg, wp, lp);
        List2_MouseUp();
        return r;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(h, &Form1::ResultListProc, 1);
        break;
    }
    return ::DefSubclassProc(h, msg, wp, lp);
}

// ---- load and unload ------------------------------------------------------------------

void Form1::Form_Load(const std::wstring& commandLine) {
    search_ = std::make_unique<SearchParts>();
    if (IsSetupRun(commandLine)) {
        const std::wstring self = ModulePath();
        RegisterExplorerVerb(registry_, ParentFolder(self), FileNameOfPath(self));
        ::DestroyWindow(hwnd());
        return;
    }
    FormSettings settings = LoadSettings(registry_, pump_);
    NotepadPath = settings.NotepadPath;
    win::SetText(Text3, settings.SizeText);
    SetChecked(chkASCII, settings.chkASCII);
    SetChecked(chkUTF8, settings.chkUTF8);
    SetComboList(Combo1, settings.FolderList);
    SetComboList(Combo2, settings.MaskList);
    win::SetText(Combo1, settings.FolderText);
    if (const auto folder = FolderFromCommandLine(commandLine, [](const std::wstring& path) {
            const DWORD attr = ::GetFileAttributesW(path.c_str());
            return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
        }))
        win::SetText(Combo1, *folder);
}

void Form1::Form_Unload() {
    if (search_ && search_->measureDc) {
        ::DeleteDC(search_->measureDc);
        search_->measureDc = nullptr;
    }
    FormSettings settings;
    settings.NotepadPath = NotepadPath;
    settings.SizeText = win::GetText(Text3);
    settings.chkASCII = Checked(chkASCII);
    settings.chkUTF8 = Checked(chkUTF8);
    settings.FolderText = win::GetText(Combo1);
    settings.FolderList = ComboList(Combo1);
    settings.MaskList = ComboList(Combo2);
    SaveSettings(settings, registry_, pump_, search_->tables.DecimalSeparator);
    SetComboList(Combo1, settings.FolderList);
    SetComboList(Combo2, settings.MaskList);
    if (searching_) {
        // A search in progress is abandoned where it is: the program ends now.
        ::CoUninitialize();
        ::ExitProcess(0);
    }
    ::DestroyWindow(hwnd());
}

} // namespace qx::quarrix
