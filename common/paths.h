// Path texts as the programs use them: Windows paths, "\" as the separator.
#pragma once
#include <string>
#include <string_view>

namespace qx {

// The text after the last "\" (the whole text when there is none).
std::wstring FileNameOfPath(std::wstring_view path);

// The text before the last "\" (empty when there is none).
std::wstring ParentFolder(std::wstring_view path);

// Folder and name joined with exactly one "\": a folder that already ends in one (a drive
// root such as "C:\") keeps it.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// The text without any double-quote character.
std::wstring deleteQ(std::wstring_view text);

} // namespace qx
