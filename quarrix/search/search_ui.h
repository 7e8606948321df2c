// What the search engine asks of the main window. Form1 implements it; tests implement it
// with a recording fake that can press the buttons from inside Yield and Sleep.
#pragma once
#include "common/event_pump.h"
#include "quarrix/search/search.h"
#include <string>

namespace qx::search {

// The window's inputs as they stand when "Найти" is pressed.
struct SearchInputs {
    std::wstring RootFolder;    // Combo1's text, as typed
    std::wstring MaskText;      // Combo2's text, before the fix-ups
    std::wstring SearchText;    // Text1
    std::wstring ExcludeText;   // Text2
    bool CaseSensitive = false; // Check1
    bool Subfolders = true;     // Check3
    bool MatchASCII = true;     // chkASCII
    bool MatchUTF8 = false;     // chkUTF8
};

class SearchUi : public qx::EventPump {
  public:
    // Called once, at the start of a search.
    virtual SearchInputs ReadInputs() = 0;
    // Text3's text; read afresh for every file whose contents are checked.
    virtual std::wstring SizeText() = 0;
    // Combo2's text after the mask fix-ups ("*.*" for an empty box, one trailing ";" gone);
    // called only when the text changed.
    virtual void SetMaskText(const std::wstring& text) = 0;
    // The message box "Не выбрана кодировка!" (OK, no icon, the program's title).
    virtual void ShowNoEncodingMessage() = 0;
    // true: lock Combo1 and Combo2, make Text1 and Text2 read-only, disable Text3, chkASCII,
    // chkUTF8, Check1, Check3, Command2 and Command6, enable Command3 and Command4.
    // false: the reverse. List2, the pointer and the tools frame are not touched.
    virtual void SetSearching(bool searching) = 0;
    virtual void SetBusyPointer(bool busy) = 0;             // arrow with hourglass, or the default
    virtual void ShowResults(bool visible) = 0;             // List2
    virtual void ClearLists() = 0;                          // List2 and LstError emptied
    virtual void AddResult(const std::wstring& path) = 0;   // a List2 entry, unchecked
    virtual void AddError(const std::wstring& line) = 0;    // a LstError line, at the end
    virtual void SetStatus(const std::wstring& text) = 0;   // Label3, repainted at once
    virtual void SetProgress(const std::wstring& text) = 0; // Label4, repainted at once
    virtual void SetPauseCaption(const std::wstring& text) = 0; // Command4
    // The width in pixels of a path as List2 draws it.
    virtual int MeasurePath(const std::wstring& path) = 0;
    virtual void SetHorizontalExtent(int pixels) = 0; // List2's horizontal scroll range
    virtual bool AnyResultChecked() = 0;
    virtual void SetToolsFrame(bool enabled) = 0; // ToolsFrameTrue / ToolsFrameFalse
    // UpdateHistory for Combo1, then for Combo2.
    virtual void UpdateHistories() = 0;
    virtual void FocusFindButton() = 0; // Command2
};

} // namespace qx::search
