// The Win32 side of the search: the file system through the W functions, and the character
// tables and decimal separator from the platform.
#pragma once
#include "quarrix/search/file_system.h"
#include "quarrix/search/text_tables.h"
#include <string>

namespace qx::search {

// Folders are listed whole ("folder\*", basic information, large fetch) and filtered by our
// own masks; files are opened for reading only and shared with every reader and writer.
// Paths too long for the classic limit get the "\\?\" form.
class Win32FileSystem final : public FileSystem {
  public:
    bool Exists(const std::wstring& path) override;
    bool List(const std::wstring& prefix, std::vector<DirEntry>& entries) override;
    std::optional<std::uint64_t> Length(const std::wstring& path) override;
    std::unique_ptr<OpenFile> Open(const std::wstring& path, FileError& error) override;
};

// Upper case from CharUpperBuffW over every code unit, the ANSI table from
// MultiByteToWideChar(CP_ACP) for each byte, the user's decimal separator.
TextTables PlatformTextTables();

// The decimal separator of the user's locale (LOCALE_SDECIMAL).
std::wstring LocaleDecimalSeparator();

// The form of a path that the W functions accept beyond MAX_PATH ("\\?\C:\...",
// "\\?\UNC\server\..."); short and relative paths are given back as they are.
std::wstring LongPathForm(const std::wstring& path);

} // namespace qx::search
