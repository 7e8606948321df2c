#include "quarrix/search/size_box.h"
#include <cmath>

namespace qx::search {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == 0x00A0;
}

} // namespace

std::optional<double> ParseSizeNumber(std::wstring_view text, std::wstring_view separator) {
    if (separator.empty()) separator = L".";
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    double value = 0, scale = 1;
    bool digits = false, fraction = false;
    while (!text.empty()) {
        const wchar_t c = text.front();
        if (c >= L'0' && c <= L'9') {
            digits = true;
            if (fraction) {
                scale /= 10;
                value += (c - L'0') * scale;
            } else {
                value = value * 10 + (c - L'0');
            }
            text.remove_prefix(1);
        } else if (!fraction && text.substr(0, separator.size()) == separator) {
            fraction = true;
            text.remove_prefix(separator.size());
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return negative ? -value : value;
}

std::optional<std::wstring> SizeBoxReplacement(std::wstring_view text,
                                               std::wstring_view separator) {
    const auto number = ParseSizeNumber(text, separator);
    if (!number || *number > 2047) return std::wstring(L"2047");
    if (*number < 1) return std::wstring(L"1");
    return std::nullopt;
}

std::uint64_t SizeLimitBytes(std::wstring_view text, std::wstring_view separator) {
    const auto number = ParseSizeNumber(text, separator);
    if (!number || *number == 0) return kSizeCeiling;
    // A negative limit lets no file through; one above the ceiling changes nothing.
    if (*number < 0) return 0;
    const double bytes = std::floor(*number * static_cast<double>(kMegabyte));
    return bytes >= static_cast<double>(kSizeCeiling) ? kSizeCeiling
                                                      : static_cast<std::uint64_t>(bytes);
}

} // namespace qx::search
