#include "common/win/questions_win.h"
#include <shlobj.h>

namespace qx::win {

int PlatformQuestions::Message(HWND owner, const std::wstring& text, const std::wstring& title,
                               UINT flags) {
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), flags);
}

std::wstring PlatformQuestions::PickFolder(HWND owner, const std::wstring& title) {
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&bi);
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(item, path) != FALSE;
    ::CoTaskMemFree(item);
    if (!ok) return {};
    path[MAX_PATH - 1] = L'\0';
    return std::wstring(path); // cut at the first NUL
}

} // namespace qx::win
