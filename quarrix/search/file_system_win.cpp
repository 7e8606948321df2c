#include "common/win/scoped_win.h"
#include "quarrix/search/search_win.h"
#include "common/win/window_win.h"

namespace qx::search {

namespace {

class Win32OpenFile final : public OpenFile {
  public:
    explicit Win32OpenFile(win::UniqueFile file) : file_(std::move(file)) {}

    bool ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size,
                std::size_t& got) override {
        got = 0;
        while (got < size) {
            OVERLAPPED at{};
            const std::uint64_t pos = offset + got;
            at.Offset = static_cast<DWORD>(pos);
            at.OffsetHigh = static_cast<DWORD>(pos >> 32);
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
            DWORD read = 0;
            if (!::ReadFile(file_.get(), buffer + got, want, &read, &at))
                return ::GetLastError() == ERROR_HANDLE_EOF;
            if (read == 0) break;
            got += read;
        }
        return true;
    }

  private:
    win::UniqueFile file_;
};

bool EndsWithSlash(const std::wstring& s) {
    return !s.empty() && s.back() == L'\\';
}

} // namespace

std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
    // The prefixed form takes the path as it is: only a full path without "/" qualifies.
    if (path.find(L'/') != std::wstring::npos) return path;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

bool Win32FileSystem::Exists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attr = ::GetFileAttributesW(LongPathForm(path).c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return false;
    return !EndsWithSlash(path) || (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::List(const std::wstring& prefix, std::vector<DirEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW data;
    win::UniqueFind find(::FindFirstFileExW(LongPathForm(prefix + L"*").c_str(), FindExInfoBasic,
                                            &data, FindExSearchNameMatch, nullptr,
                                            FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return false;
    do {
        DirEntry e;
        e.Name = data.cFileName;
        e.IsDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.IsReparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        e.Size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entries.push_back(std::move(e));
    } while (::FindNextFileW(find.get(), &data));
    return true;
}

std::optional<std::uint64_t> Win32FileSystem::Length(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(LongPathForm(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::unique_ptr<OpenFile> Win32FileSystem::Open(const std::wstring& path, FileError& error) {
    win::UniqueFile file(::CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        error.Number = ::GetLastError();
        error.Description = win::ErrorDescription(error.Number);
        return nullptr;
    }
    return std::make_unique<Win32OpenFile>(std::move(file));
}

} // namespace qx::search
