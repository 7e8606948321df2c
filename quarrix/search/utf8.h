// UTF-8 as the platform's converter reads it (code page 65001, no flags): every well-formed
// sequence gives its character (two code units above the basic plane), and every maximal
// ill-formed part gives one U+FFFD: a byte that cannot start a sequence, or a start with the
// continuation bytes that were valid for it when the next byte (or the end) breaks it off.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx::search {

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one sequence at p (p < end). Gives the code point, or -1 for an ill-formed part;
// `length` gets the bytes it takes (at least 1).
std::int32_t DecodeUtf8At(const std::uint8_t* p, const std::uint8_t* end, std::size_t& length);

// The chunk's bytes decoded as above, into `out` (replaced, capacity kept).
void FromUTF8(const std::uint8_t* bytes, std::size_t size, std::u16string& out);

// The UTF-8 bytes of a code point (1 to 4).
std::size_t EncodeUtf8(std::uint32_t codePoint, std::uint8_t out[4]);

// The text as UTF-16 code units: where wchar_t is wider, a unit above U+FFFF becomes its pair.
std::wstring ToUtf16Units(std::wstring_view text);

// True when the text is well-formed UTF-16 (every surrogate half in a pair).
bool IsWellFormedUtf16(std::wstring_view text);

} // namespace qx::search
