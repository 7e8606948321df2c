#include "quarrix/window/settings.h"
#include "quarrix/search/size_box.h"
#include <cmath>
#include <cstdint>
#include <limits>

namespace qx::quarrix {

namespace {

constexpr std::wstring_view kNotepad = L"Notepad";
constexpr std::wstring_view kUserMaxFileSize = L"UserMaxFileSize";
constexpr std::wstring_view kChkASCII = L"chkASCII";
constexpr std::wstring_view kChkUTF8 = L"chkUTF8";
constexpr std::wstring_view kDefDir = L"DefDir";
constexpr std::wstring_view kDriveC = L"C:\\";
constexpr std::wstring_view kAllFiles = L"*.*";

std::wstring HistoryName(std::wstring_view prefix, int index) {
    return std::wstring(prefix) + std::to_wstring(index);
}

std::wstring Get(Registry& r, std::wstring_view name) {
    return r.RegGetSZ(kSettingsHome, kSettingsKey, name);
}

void ReadHistory(Registry& r, EventPump& pump, std::wstring_view prefix,
                 std::vector<std::wstring>& list) {
    for (int i = 0; i < HistoryLimit; ++i) {
        std::wstring item = Get(r, HistoryName(prefix, i));
        if (!item.empty()) list.push_back(std::move(item));
        pump.Yield();
    }
}

// The index advances over every entry taken, written or not, so that an entry's place in
// the list is its value name.
void WriteHistory(Registry& r, EventPump& pump, std::wstring_view prefix,
                  std::vector<std::wstring>& list, std::wstring_view notWritten) {
    int index = 0;
    while (!list.empty() && index < HistoryLimit) {
        const std::wstring& item = list.front();
        if (!item.empty() && item != notWritten)
            r.RegSetSZ(kSettingsHome, kSettingsKey, HistoryName(prefix, index), item);
        list.erase(list.begin());
        ++index;
        pump.Yield();
    }
}

} // namespace

std::optional<std::int16_t> SizeSettingOf(std::wstring_view text,
                                          std::wstring_view decimalSeparator) {
    // The same number the size box reads, rounded half away from zero.
    const auto number = search::ParseSizeNumber(text, decimalSeparator);
    if (!number) return std::nullopt;
    const double value = std::round(*number);
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

FormSettings LoadSettings(Registry& r, EventPump& pump) {
    FormSettings s;
    s.NotepadPath = Get(r, kNotepad);
    if (s.NotepadPath.empty()) s.NotepadPath = L"notepad.exe";

    const auto stored = r.RegGetBINARY(kSettingsHome, kSettingsKey, kUserMaxFileSize);
    const auto size = static_cast<std::int16_t>(static_cast<std::uint16_t>(stored & 0xFFFF));
    s.SizeText = std::to_wstring(size == 0 ? 100 : size);

    s.chkASCII = r.RegGetBINARY(kSettingsHome, kSettingsKey, kChkASCII) != 0;
    s.chkUTF8 = r.RegGetBINARY(kSettingsHome, kSettingsKey, kChkUTF8) != 0;
    // A search needs at least one encoding.
    if (!s.chkASCII && !s.chkUTF8) s.chkASCII = true;

    s.FolderText = Get(r, kDefDir);
    if (s.FolderText.empty()) {
        s.FolderText = kDriveC;
        s.FolderList.emplace_back(kDriveC);
    }
    ReadHistory(r, pump, L"Dir", s.FolderList);
    s.MaskList.emplace_back(kAllFiles);
    ReadHistory(r, pump, L"Exp", s.MaskList);
    return s;
}

void SaveSettings(FormSettings& s, Registry& r, EventPump& pump,
                  std::wstring_view decimalSeparator) {
    r.RegSetSZ(kSettingsHome, kSettingsKey, kNotepad, s.NotepadPath);
    if (const auto size = SizeSettingOf(s.SizeText, decimalSeparator))
        r.RegSetIntegerBINARY(kSettingsHome, kSettingsKey, kUserMaxFileSize, *size);
    r.RegSetByteBINARY(kSettingsHome, kSettingsKey, kChkASCII, s.chkASCII ? 1 : 0);
    r.RegSetByteBINARY(kSettingsHome, kSettingsKey, kChkUTF8, s.chkUTF8 ? 1 : 0);
    if (s.FolderText.empty()) s.FolderText = kDriveC;
    r.RegSetSZ(kSettingsHome, kSettingsKey, kDefDir, s.FolderText);
    WriteHistory(r, pump, L"Dir", s.FolderList, {});
    WriteHistory(r, pump, L"Exp", s.MaskList, kAllFiles);
}

} // namespace qx::quarrix
