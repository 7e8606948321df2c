// Form1: the main window of Quarrix. It moves data between its controls and the search
// engine, the settings and the histories; the deciding logic lives in those.
#pragma once
#include "common/win/pump_win.h"
#include "common/win/questions_win.h"
#include "common/win/scoped_win.h"
#include "common/win/window_win.h"
#include "quarrix/search/search_ui.h"
#include <memory>
#include <string>

namespace qx {
class Registry;
}

namespace qx::quarrix {

class Form1 final : public win::Window, public search::SearchUi {
public:
    // `registry` and `questions` outlive the window.
    Form1(Registry& registry, win::Questions& questions);
    ~Form1() override;

    // Creates the window and runs Form_Load with the program's arguments. False when the
    // program is to end at once (the set-up run, or no window could be made).
    bool Create(const std::wstring& commandLine);
    win::MessagePump& Pump() { return pump_; }

    // Controls, under their design names.
    HWND Combo1{}, Command6{}, Label2{}, Check3{}, Combo2{}, Label8{}, chkASCII{}, chkUTF8{},
        Label1{}, Check1{}, Text1{}, Label5{}, Check2{}, Text2{}, Frame2{}, Label6{}, Text3{},
        Label7{}, Command2{}, Command4{}, Command3{}, Label3{}, Frame1{}, Command7{}, Command8{},
        Command9{}, List2{}, Label4{}, LstError{};
    std::wstring NotepadPath = L"notepad.exe";
    // The hidden label that holds a file name for the program chooser.
    std::wstring DlgFilename = L"DlgFilename";

    // Handlers.
    void Form_Load(const std::wstring& commandLine);
    void Form_Unload();
    void Form_Resize();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    void Text1_Change();
    void Text2_Change();
    void Text3_Change();
    void Check1_Click();
    void List2_MouseUp();

    // Result list access and the tools frame.
    std::wstring EntryText(HWND list, int index) const;
    void ToolsFrameTrue();
    void ToolsFrameFalse();

    // SearchUi: what the search engine asks of the window.
    search::SearchInputs ReadInputs() override;
    std::wstring SizeText() override;
    void SetMaskText(const std::wstring& text) override;
    void ShowNoEncodingMessage() override;
    void SetSearching(bool searching) override;
    void SetBusyPointer(bool busy) override;
    void ShowResults(bool visible) override;
    void ClearLists() override;
    void AddResult(const std::wstring& path) override;
    void AddError(const std::wstring& line) override;
    void SetStatus(const std::wstring& text) override;
    void SetProgress(const std::wstring& text) override;
    void SetPauseCaption(const std::wstring& text) override;
    int MeasurePath(const std::wstring& path) override;
    void SetHorizontalExtent(int pixels) override;
    bool AnyResultChecked() override;
    void SetToolsFrame(bool enabled) override;
    void UpdateHistories() override;
    void FocusFindButton() override;
    void Yield() override { pump_.Yield(); }
    void Sleep(unsigned milliseconds) override { pump_.Sleep(milliseconds); }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnCommand(int id, int code);
    void CreateMenus();
    void BindControls();
    void ApplyDpi(UINT dpi);
    void DrawResultItem(const DRAWITEMSTRUCT& di);
    static LRESULT CALLBACK ResultListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp,
                                           UINT_PTR id, DWORD_PTR self) noexcept;
    LRESULT OnResultListMouse(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    void SetComboLocked(HWND combo, bool locked);

    Registry& registry_;
    win::Questions& questions_;
    win::MessagePump pump_;
    std::unique_ptr<struct SearchParts> search_;
    win::UniqueFont font_;
    win::UniqueIcon folderIcon_;
    win::UniqueMenu popUp_, popUp2_; // hidden context menus of List2 and LstError
    UINT dpi_ = 96;
    bool searching_ = false;
    bool busy_ = false;
    // Twips geometry of the controls that Form_Resize moves: left, top, width, height.
    struct TwipsRect {
        int left, top, width, height;
    };
    TwipsRect list2_{}, label4_{}, lstError_{};
};

} // namespace qx::quarrix
