#include "quarrix/window/startup.h"
#include "common/paths.h"

namespace qx::quarrix {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

} // namespace

std::wstring ArgumentsOfCommandLine(std::wstring_view line) {
    std::size_t end = 0;
    if (!line.empty() && line.front() == L'"') {
        const auto close = line.find(L'"', 1);
        end = close == std::wstring_view::npos ? line.size() : close + 1;
    } else {
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
    }
    while (end < line.size() && IsBlank(line[end]))
        ++end;
    return std::wstring(line.substr(end));
}

bool IsSetupRun(std::wstring_view commandLine) {
    return commandLine == L"/setup";
}

std::wstring ExplorerVerbCommand(std::wstring_view programFolder,
                                 std::wstring_view programFileName) {
    std::wstring_view name = programFileName;
    if (const auto dot = name.rfind(L'.'); dot != std::wstring_view::npos)
        name = name.substr(0, dot);
    return L"\"" + JoinPath(programFolder, std::wstring(name) + L".exe") + L"\" \"%1\"";
}

void RegisterExplorerVerb(Registry& registry, std::wstring_view programFolder,
                          std::wstring_view programFileName) {
    registry.RegSetSZ(kExplorerVerbHome, kExplorerVerbKey, L"",
                      ExplorerVerbCommand(programFolder, programFileName));
}

std::optional<std::wstring>
FolderFromCommandLine(std::wstring_view commandLine,
                      const std::function<bool(const std::wstring&)>& isExistingFolder) {
    if (commandLine.empty()) return std::nullopt;
    std::wstring path = deleteQ(commandLine);
    if (!isExistingFolder(path)) {
        if (path.find(L'\\') == std::wstring::npos) return std::nullopt;
        path = ParentFolder(path);
    }
    if (!path.empty() && path.back() == L':') path += L'\\';
    return path;
}

} // namespace qx::quarrix
