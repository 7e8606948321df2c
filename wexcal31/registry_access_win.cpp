#include "wexcal31/registry_access_win.h"
#include "common/win/scoped_win.h"
#include <optional>
#include <vector>

namespace qx::wexcal31 {
namespace {

using qx::win::UniqueKey;

constexpr DWORD kTextBufferSize = 16384;
constexpr DWORD kNumberBufferSize = 4;

// Only the seven predefined roots are handed on. The library lives in its caller's process,
// so any other number could be one of the caller's own open key handles.
HKEY RootKey(std::int32_t home) {
    const auto n = static_cast<std::uint32_t>(home);
    if (n < 0x80000000u || n > 0x80000006u) return nullptr;
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(home));
}

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int bytes =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

std::wstring FromAnsi(const char* bytes, DWORD count) {
    if (count == 0) return {};
    const int length = static_cast<int>(count);
    const int chars = ::MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
    std::wstring text(chars > 0 ? chars : 0, L'\0');
    if (chars > 0) ::MultiByteToWideChar(CP_ACP, 0, bytes, length, text.data(), chars);
    return text;
}

// RegCreateKeyA creates the key and every missing level above it.
UniqueKey CreateKey(std::int32_t home, std::wstring_view key) {
    HKEY root = RootKey(home), opened = nullptr;
    if (root && ::RegCreateKeyA(root, ToAnsi(key).c_str(), &opened) != ERROR_SUCCESS)
        opened = nullptr;
    return UniqueKey(opened);
}

UniqueKey OpenKey(std::int32_t home, std::wstring_view key) {
    HKEY root = RootKey(home), opened = nullptr;
    if (root && ::RegOpenKeyA(root, ToAnsi(key).c_str(), &opened) != ERROR_SUCCESS)
        opened = nullptr;
    return UniqueKey(opened);
}

// An existing value of any type is replaced. For strings, bytes[count] must be the
// terminating zero: the platform stores it although the count leaves it out.
void SetValue(std::int32_t home, std::wstring_view key, std::wstring_view name, DWORD type,
              const void* bytes, DWORD count) {
    if (UniqueKey k = CreateKey(home, key))
        ::RegSetValueExA(k.get(), ToAnsi(name).c_str(), 0, type, static_cast<const BYTE*>(bytes),
                         count);
}

struct Stored {
    DWORD type;
    DWORD count; // bytes returned
};

// The value's type and size when it exists and fits the buffer.
std::optional<Stored> QueryValue(std::int32_t home, std::wstring_view key, std::wstring_view name,
                                 void* buffer, DWORD size) {
    UniqueKey k = OpenKey(home, key);
    if (!k) return std::nullopt;
    Stored s{REG_NONE, size};
    if (::RegQueryValueExA(k.get(), ToAnsi(name).c_str(), nullptr, &s.type,
                           static_cast<BYTE*>(buffer), &s.count) != ERROR_SUCCESS)
        return std::nullopt;
    return s;
}

std::wstring GetText(std::int32_t home, std::wstring_view key, std::wstring_view name, DWORD type) {
    std::vector<char> buffer(kTextBufferSize);
    const auto s = QueryValue(home, key, name, buffer.data(), kTextBufferSize);
    if (!s || s->type != type) return {};
    DWORD count = s->count;
    // A string's last byte is its terminator; a value stored without one keeps its last letter.
    if (type == REG_SZ && count > 0 && buffer[count - 1] == '\0') --count;
    return FromAnsi(buffer.data(), count);
}

std::int32_t GetNumber(std::int32_t home, std::wstring_view key, std::wstring_view name,
                       DWORD type) {
    unsigned char buffer[kNumberBufferSize] = {};
    const auto s = QueryValue(home, key, name, buffer, kNumberBufferSize);
    if (!s || s->type != type) return 0;
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(buffer[0]) | static_cast<std::uint32_t>(buffer[1]) << 8 |
        static_cast<std::uint32_t>(buffer[2]) << 16 | static_cast<std::uint32_t>(buffer[3]) << 24);
}

void SetLittleEndian(std::int32_t home, std::wstring_view key, std::wstring_view name, DWORD type,
                     std::uint32_t value, DWORD count) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    SetValue(home, key, name, type, bytes, count);
}

} // namespace

// The count is the ANSI text's length in bytes, which is its number of characters in a
// single-byte code page and keeps a double-byte text whole.
void RegSetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
              std::wstring_view data) {
    const std::string text = ToAnsi(data);
    SetValue(home, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size()));
}

void RegSetMULTISZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
                   std::wstring_view data) {
    const std::string text = ToAnsi(data);
    SetValue(home, key, name, REG_MULTI_SZ, text.c_str(), static_cast<DWORD>(text.size()));
}

void RegSetByteBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                      std::uint8_t data) {
    SetLittleEndian(home, key, name, REG_BINARY, data, 1);
}

void RegSetIntegerBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                         std::int16_t data) {
    SetLittleEndian(home, key, name, REG_BINARY, static_cast<std::uint16_t>(data), 2);
}

void RegSetLongBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                      std::int32_t data) {
    SetLittleEndian(home, key, name, REG_BINARY, static_cast<std::uint32_t>(data), 4);
}

void RegSetDWORD(std::int32_t home, std::wstring_view key, std::wstring_view name,
                 std::int32_t data) {
    SetLittleEndian(home, key, name, REG_DWORD, static_cast<std::uint32_t>(data), 4);
}

std::wstring RegGetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name) {
    return GetText(home, key, name, REG_SZ);
}

std::wstring RegGetMULTISZ(std::int32_t home, std::wstring_view key, std::wstring_view name) {
    return GetText(home, key, name, REG_MULTI_SZ);
}

std::int32_t RegGetBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name) {
    return GetNumber(home, key, name, REG_BINARY);
}

std::int32_t RegGetDWORD(std::int32_t home, std::wstring_view key, std::wstring_view name) {
    return GetNumber(home, key, name, REG_DWORD);
}

void DeleteValue(std::int32_t home, std::wstring_view key, std::wstring_view name) {
    if (UniqueKey k = OpenKey(home, key)) ::RegDeleteValueA(k.get(), ToAnsi(name).c_str());
}

void DeleteKey(std::int32_t home, std::wstring_view key) {
    if (HKEY root = RootKey(home)) ::RegDeleteKeyA(root, ToAnsi(key).c_str());
}

} // namespace qx::wexcal31
