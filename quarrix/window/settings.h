// The settings and histories the main window keeps in the current user's registry: read once
// while the window loads, written once while it closes.
#pragma once
#include "common/event_pump.h"
#include "common/registry.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::quarrix {

inline constexpr std::int32_t kSettingsHome = kCurrentUser;
inline constexpr std::wstring_view kSettingsKey = L"Software\\VELDO\\Trawlbeam";
// Entries per history that are written and read back.
inline constexpr int HistoryLimit = 40;

// What the window shows of its settings, under its controls' names.
struct FormSettings {
    std::wstring NotepadPath; // program of the "Блокнот" menu items
    std::wstring SizeText;    // text of Text3, megabytes
    bool chkASCII = false;    // check boxes of the two encodings
    bool chkUTF8 = false;
    std::wstring FolderText;              // text of Combo1
    std::vector<std::wstring> FolderList; // list of Combo1, most recent first
    std::vector<std::wstring> MaskList;   // list of Combo2, most recent first
};

// Reads the stored settings; whatever is missing or unreadable takes its default, so an
// empty registry (or a registry class that cannot be created) gives the first-run state:
// "notepad.exe", "100", ASCII checked, UTF-8 unchecked, folder "C:\" with the folder list
// holding "C:\", mask list holding "*.*".
// - "UserMaxFileSize": the low 16 bits of the stored number as a signed number (what was
//   written comes back, -1 included); 0 gives 100. The window's own rule for Text3 then
//   keeps the box within its range.
// - "chkASCII"/"chkUTF8": any non-zero number checks the box; both unchecked checks ASCII.
// - The mask list starts with "*.*", then "Exp0".."Exp39"; the folder list holds "C:\" only
//   when "DefDir" is empty, then "Dir0".."Dir39". Empty values leave no gap.
// Yields after every history value read (80 times).
FormSettings LoadSettings(Registry& registry, EventPump& pump);

// Writes the settings and takes the entries it writes out of the lists: the first
// HistoryLimit entries of each list are taken, whatever is left stays. Empty entries and
// "*.*" masks are not written but use up their index; values under higher indexes are left
// as an earlier run wrote them. An empty FolderText becomes "C:\". "UserMaxFileSize" is
// written only when SizeText gives a 16-bit number (see SizeSettingOf). Yields after every
// history entry taken.
void SaveSettings(FormSettings& settings, Registry& registry, EventPump& pump,
                  std::wstring_view decimalSeparator);

// The size text as the 16-bit whole number stored: blanks around it allowed, an optional
// sign, decimal digits with at most one `decimalSeparator` (the user's locale's, which may
// be longer than one character), no digit
// grouping; halves round away from zero. Nothing when it is no number or the rounded number
// does not fit in a signed 16-bit value.
std::optional<std::int16_t> SizeSettingOf(std::wstring_view text,
                                          std::wstring_view decimalSeparator);

} // namespace qx::quarrix
