// The search's file system over POSIX calls, for measuring the engine natively. Paths stay
// Windows-shaped inside the engine ("\tmp\corpus\a.txt"); "\" becomes "/" at the calls.
#pragma once
#include "quarrix/search/file_system.h"

namespace qx::bench {

class PosixFileSystem final : public search::FileSystem {
  public:
    bool Exists(const std::wstring& path) override;
    bool List(const std::wstring& prefix, std::vector<search::DirEntry>& entries) override;
    std::optional<std::uint64_t> Length(const std::wstring& path) override;
    std::unique_ptr<search::OpenFile> Open(const std::wstring& path,
                                           search::FileError& error) override;
};

// UTF-16 path with "\" to a UTF-8 path with "/", and back.
std::string ToPosix(const std::wstring& path);
std::wstring FromPosix(const std::string& path);

} // namespace qx::bench
