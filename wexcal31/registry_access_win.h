// The registry class's operations as plain functions over the platform's ANSI registry calls.
// Texts go to the ANSI code page on the way in and come back from it on the way out.
// Nothing here reports a failure: a setter or deleter that cannot do its work does nothing,
// a getter then gives "" or 0. Every key a call opens is closed before it returns.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qx::wexcal31 {

// Root keys are the platform's predefined handles 0x80000000..0x80000006, as 32-bit numbers.
// Any other number names no root: nothing is read or written under it.

void RegSetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
              std::wstring_view data);
// The caller embeds the zero separators and the closing zeros in data.
void RegSetMULTISZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
                   std::wstring_view data);
void RegSetByteBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                      std::uint8_t data);
void RegSetIntegerBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                         std::int16_t data);
void RegSetLongBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                      std::int32_t data);
void RegSetDWORD(std::int32_t home, std::wstring_view key, std::wstring_view name,
                 std::int32_t data);

// A string value (type 1) of up to 16383 characters; anything else gives "".
std::wstring RegGetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name);
// A multi-string value (type 7) with every zero kept; anything else gives "".
std::wstring RegGetMULTISZ(std::int32_t home, std::wstring_view key, std::wstring_view name);
// A binary value (type 3) of up to 4 bytes, little-endian, missing high bytes zero; else 0.
std::int32_t RegGetBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name);
// A number value (type 4); anything else gives 0.
std::int32_t RegGetDWORD(std::int32_t home, std::wstring_view key, std::wstring_view name);

void DeleteValue(std::int32_t home, std::wstring_view key, std::wstring_view name);
// Sub-keys are not walked: a key that has some goes or stays as the platform decides.
void DeleteKey(std::int32_t home, std::wstring_view key);

} // namespace qx::wexcal31
