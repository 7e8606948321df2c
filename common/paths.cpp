#include "common/paths.h"

namespace qx {

std::wstring FileNameOfPath(std::wstring_view path) {
    const auto slash = path.rfind(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring ParentFolder(std::wstring_view path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash));
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring out(folder);
    if (out.empty() || out.back() != L'\\') out += L'\\';
    out += name;
    return out;
}

std::wstring deleteQ(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text)
        if (c != L'"') out += c;
    return out;
}

} // namespace qx
