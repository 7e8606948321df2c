// What the search asks of the file system. The Win32 adapter serves the product; tests serve
// a fixed tree from memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx::search {

struct DirEntry {
    std::wstring Name; // the long name
    bool IsDirectory = false;
    bool IsReparsePoint = false; // a junction, a symbolic link or another reparse point
    std::uint64_t Size = 0;
};

// The platform's number and description of a failure (the description without its line end).
struct FileError {
    std::uint32_t Number = 0;
    std::wstring Description;
};

class OpenFile {
  public:
    virtual ~OpenFile() = default;
    // Reads up to `size` bytes at `offset` into `buffer`; `got` is less than `size` only at
    // the end of the file. False when the read fails.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size,
                        std::size_t& got) = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Whether `path` names an entry, hidden and system ones included. A path that ends in "\"
    // names a folder ("C:\", "C:\Data\"); "C:" is the drive's folder.
    virtual bool Exists(const std::wstring& path) = 0;
    // Every entry of the folder `prefix` (a folder path ending in exactly the "\" that joins
    // it to a name), hidden and system ones included, in the order the file system gives
    // them; "." and ".." may be among them. False, with `entries` empty, when the folder
    // cannot be listed.
    virtual bool List(const std::wstring& prefix, std::vector<DirEntry>& entries) = 0;
    // The file's length in bytes; nothing when it cannot be read.
    virtual std::optional<std::uint64_t> Length(const std::wstring& path) = 0;
    // Opens the file for reading only, sharing it with every other reader and writer. Null,
    // with `error` set, when that fails.
    virtual std::unique_ptr<OpenFile> Open(const std::wstring& path, FileError& error) = 0;
};

} // namespace qx::search
