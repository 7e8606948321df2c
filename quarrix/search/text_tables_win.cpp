#include "quarrix/search/search_win.h"
#include <windows.h>

namespace qx::search {

std::wstring LocaleDecimalSeparator() {
    wchar_t buf[8] = {};
    const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8);
    return n > 1 ? std::wstring(buf, static_cast<std::size_t>(n - 1)) : std::wstring(L".");
}

TextTables PlatformTextTables() {
    TextTables t;
    t.Upper.resize(0x10000);
    std::vector<wchar_t> units(0x10000);
    for (unsigned c = 0; c < 0x10000; ++c)
        units[c] = static_cast<wchar_t>(c);
    // The halves of pairs are left out: the converter would read neighbours as pairs.
    ::CharUpperBuffW(units.data(), 0xD800);
    ::CharUpperBuffW(units.data() + 0xE000, 0x2000);
    for (unsigned c = 0; c < 0x10000; ++c)
        t.Upper[c] = static_cast<char16_t>(units[c]);
    for (unsigned b = 0; b < 256; ++b) {
        const char in = static_cast<char>(b);
        wchar_t out = 0;
        t.Ansi[b] = ::MultiByteToWideChar(CP_ACP, 0, &in, 1, &out, 1) == 1
                        ? static_cast<char16_t>(out)
                        : static_cast<char16_t>(b);
    }
    t.DecimalSeparator = LocaleDecimalSeparator();
    return t;
}

} // namespace qx::search
