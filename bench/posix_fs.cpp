#include "bench/posix_fs.h"
#include "quarrix/search/utf8.h"
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::bench {

std::string ToPosix(const std::wstring& path) {
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        auto cp = static_cast<std::uint32_t>(path[i]) & 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < path.size())
            cp = 0x10000 + ((cp - 0xD800) << 10) + ((path[++i] & 0xFFFF) - 0xDC00);
        if (cp == '\\') cp = '/';
        std::uint8_t b[4];
        out.append(reinterpret_cast<char*>(b), search::EncodeUtf8(cp, b));
    }
    return out;
}

std::wstring FromPosix(const std::string& path) {
    std::u16string units;
    search::FromUTF8(reinterpret_cast<const std::uint8_t*>(path.data()), path.size(), units);
    std::wstring out;
    for (char16_t u : units)
        out.push_back(u == u'/' ? L'\\' : static_cast<wchar_t>(u));
    return out;
}

namespace {

class PosixOpenFile final : public search::OpenFile {
  public:
    explicit PosixOpenFile(int fd) : fd_(fd) {}
    ~PosixOpenFile() override { ::close(fd_); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size,
                std::size_t& got) override {
        got = 0;
        while (got < size) {
            const ssize_t n =
                ::pread(fd_, buffer + got, size - got, static_cast<off_t>(offset + got));
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

  private:
    int fd_;
};

} // namespace

bool PosixFileSystem::Exists(const std::wstring& path) {
    struct stat st;
    if (path.empty() || ::stat(ToPosix(path).c_str(), &st) != 0) return false;
    return path.back() != L'\\' || S_ISDIR(st.st_mode);
}

bool PosixFileSystem::List(const std::wstring& prefix, std::vector<search::DirEntry>& entries) {
    entries.clear();
    DIR* dir = ::opendir(ToPosix(prefix).c_str());
    if (!dir) return false;
    while (const dirent* d = ::readdir(dir)) {
        search::DirEntry e;
        e.Name = FromPosix(d->d_name);
        e.IsDirectory = d->d_type == DT_DIR;
        e.IsReparsePoint = d->d_type == DT_LNK;
        entries.push_back(std::move(e));
    }
    ::closedir(dir);
    return true;
}

std::optional<std::uint64_t> PosixFileSystem::Length(const std::wstring& path) {
    struct stat st;
    if (::stat(ToPosix(path).c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::unique_ptr<search::OpenFile> PosixFileSystem::Open(const std::wstring& path,
                                                        search::FileError& error) {
    const int fd = ::open(ToPosix(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error.Number = static_cast<std::uint32_t>(errno);
        error.Description = FromPosix(std::strerror(errno));
        return nullptr;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::make_unique<PosixOpenFile>(fd);
}

} // namespace qx::bench
