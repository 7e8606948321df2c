// The character tables the matchers work with, built once from the platform: the upper-case
// form of every UTF-16 code unit (for comparisons that ignore letter case) and the character
// that each byte stands for in the ANSI code page. The platform fills them; nothing here
// knows a code page or a language.
#pragma once
#include <array>
#include <string>
#include <vector>

namespace qx::search {

struct TextTables {
    // Upper[c]: the upper-case form of code unit c (65,536 entries; identity when empty).
    std::vector<char16_t> Upper;
    // Ansi[b]: the character byte b stands for in the ANSI code page.
    std::array<char16_t, 256> Ansi{};
    // How the user's locale writes the decimal separator (the size box takes fractions).
    std::wstring DecimalSeparator = L".";

    // Two code units are the same letter ignoring case when their folds are equal.
    wchar_t Fold(wchar_t c) const {
        const auto u = static_cast<unsigned>(c);
        return u < Upper.size() ? static_cast<wchar_t>(Upper[u]) : c;
    }
};

// Tables for tests and tools that need no platform: upper-casing of ASCII letters only and
// the byte values as Latin-1.
TextTables PlainTextTables();

#ifndef _WIN32
// The host's tables: towupper in a UTF-8 locale and iconv from `ansiCodePage` (the product's
// target code page, 1251, by default). Bytes the code page leaves undefined stand for the code
// unit of the same value, as the Windows converter gives them.
TextTables NativeTextTables(const char* ansiCodePage = "CP1251");
#endif

} // namespace qx::search
