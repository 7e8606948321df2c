// The host's tables, for the native build: the same questions the Windows build asks the
// platform, asked of the C library.
#include "quarrix/search/text_tables.h"
#include <cwctype>
#include <iconv.h>
#include <locale.h>

namespace qx::search {

namespace {

// The character that one byte stands for in `codePage`; the byte's own value when the code
// page does not define it.
char16_t DecodeByte(iconv_t cd, unsigned char byte) {
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
        sizeof out - outLeft != 2)
        return byte;
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

} // namespace

TextTables NativeTextTables(const char* ansiCodePage) {
    TextTables t = PlainTextTables();
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {
        for (unsigned c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) continue; // halves of pairs have no case
            const auto up = static_cast<unsigned>(towupper_l(static_cast<wint_t>(c), loc));
            // A letter whose capital lies outside the basic plane keeps its own form: one
            // code unit cannot hold it.
            if (up < 0x10000 && (up < 0xD800 || up > 0xDFFF))
                t.Upper[c] = static_cast<char16_t>(up);
        }
        freelocale(loc);
    }
    iconv_t cd = iconv_open("UTF-16LE", ansiCodePage);
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        for (unsigned b = 0; b < 256; ++b)
            t.Ansi[b] = DecodeByte(cd, static_cast<unsigned char>(b));
        iconv_close(cd);
    }
    return t;
}

} // namespace qx::search
