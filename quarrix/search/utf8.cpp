#include "quarrix/search/utf8.h"

namespace qx::search {

std::int32_t DecodeUtf8At(const std::uint8_t* p, const std::uint8_t* end, std::size_t& length) {
    const unsigned b0 = p[0];
    length = 1;
    if (b0 < 0x80) return static_cast<std::int32_t>(b0);
    unsigned need;                 // continuation bytes after the first
    unsigned lo = 0x80, hi = 0xBF; // the range allowed for the second byte
    std::uint32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlong forms
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        return -1;
    }
    for (unsigned i = 1; i <= need; ++i) {
        if (p + i >= end) return -1;
        const unsigned b = p[i];
        if (b < lo || b > hi) return -1;
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        length = i + 1;
    }
    return static_cast<std::int32_t>(cp);
}

void FromUTF8(const std::uint8_t* bytes, std::size_t size, std::u16string& out) {
    out.clear();
    const std::uint8_t* p = bytes;
    const std::uint8_t* end = bytes + size;
    while (p < end) {
        if (*p < 0x80) { // the common case, without the call
            out.push_back(*p++);
            continue;
        }
        std::size_t length;
        const std::int32_t cp = DecodeUtf8At(p, end, length);
        p += length;
        if (cp < 0) {
            out.push_back(kReplacement);
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char16_t>(cp));
        } else {
            const auto v = static_cast<std::uint32_t>(cp) - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        }
    }
}

std::size_t EncodeUtf8(std::uint32_t cp, std::uint8_t out[4]) {
    if (cp < 0x80) {
        out[0] = static_cast<std::uint8_t>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<std::uint8_t>(0xC0 | (cp >> 6));
        out[1] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<std::uint8_t>(0xE0 | (cp >> 12));
        out[1] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<std::uint8_t>(0xF0 | (cp >> 18));
    out[1] = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
    return 4;
}

std::wstring ToUtf16Units(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto u = static_cast<std::uint32_t>(c);
        if (u > 0xFFFF && u <= 0x10FFFF) {
            out.push_back(static_cast<wchar_t>(0xD800 + ((u - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + ((u - 0x10000) & 0x3FF)));
        } else {
            out.push_back(u > 0xFFFF ? static_cast<wchar_t>(kReplacement) : c);
        }
    }
    return out;
}

bool IsWellFormedUtf16(std::wstring_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned>(text[i]);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= text.size()) return false;
            const auto v = static_cast<unsigned>(text[i + 1]);
            if (v < 0xDC00 || v > 0xDFFF) return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

} // namespace qx::search
