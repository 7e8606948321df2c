#include "quarrix/search/text_tables.h"

namespace qx::search {

TextTables PlainTextTables() {
    TextTables t;
    t.Upper.resize(0x10000);
    for (unsigned c = 0; c < 0x10000; ++c)
        t.Upper[c] = static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
    for (unsigned b = 0; b < 256; ++b)
        t.Ansi[b] = static_cast<char16_t>(b);
    return t;
}

} // namespace qx::search
