// The size limit box: a number of megabytes from 1 to 2047, written the way the user's locale
// writes numbers. Parsing rules (the same for the box's change handler and for the content
// check): blanks at both ends are ignored; an optional "+" or "-"; decimal digits with at most
// one decimal separator (the locale's own, nothing else), at least one digit on either side
// of it ("5", "5,", ",5"). No exponents, no digit grouping, no currency: "1e9", "1 000" and
// "abc" are not numbers, and neither is the empty text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx::search {

constexpr std::uint64_t kMegabyte = 1048576;
constexpr std::uint64_t kSizeCeiling = 2147483634;

std::optional<double> ParseSizeNumber(std::wstring_view text, std::wstring_view decimalSeparator);

// What the box's text must become after a change, or nothing when it may stay: "2047" above
// 2047 and for a text that is no number (the empty text included), "1" below 1.
std::optional<std::wstring> SizeBoxReplacement(std::wstring_view text,
                                               std::wstring_view decimalSeparator);

// The size limit in bytes that the box's text gives: the number times 1,048,576 (a fraction
// counts), or the ceiling when the text gives no number or 0.
std::uint64_t SizeLimitBytes(std::wstring_view text, std::wstring_view decimalSeparator);

} // namespace qx::search
