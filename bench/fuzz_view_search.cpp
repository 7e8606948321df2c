// libFuzzer target: the byte scans of the content matcher against decoding each chunk, in
// every mode. The first byte picks the view and the case rule, the next ones build the text
// from pieces chosen for their case partners and UTF-8 lengths, the rest is the chunk.
#include "quarrix/search/text_tables.h"
#include "quarrix/search/utf8.h"
#include "quarrix/search/view_search.h"
#include <cstdlib>

using namespace qx::search;

namespace {

const TextTables& Tables() {
    static const TextTables t = NativeTextTables("CP1251");
    return t;
}

const wchar_t kPieces[] = {L'a',    L'A',    L'i',    L'I',    L's',    L'S',    L'k',
                           L'K',    0x0131,  0x017F,  0x00B5,  0x039C,  0x03BC,  L'ж',
                           L'Ж',    L'ё',    L'Ё',    0xFFFD,  0x212A,  L' ',    0xD83D,
                           0xDE00,  0x00E9,  0x20AC,  L'q',    L'я',    L'Я',    0x0000};

bool Reference(const std::uint8_t* data, std::size_t size, const std::wstring& text, View view,
               bool cs) {
    std::u16string hay;
    if (view == View::Utf8) FromUTF8(data, size, hay);
    else
        for (std::size_t i = 0; i < size; ++i) hay.push_back(Tables().Ansi[data[i]]);
    auto fold = [&](wchar_t c) { return cs ? c : Tables().Fold(c); };
    for (std::size_t i = 0; i + text.size() <= hay.size(); ++i) {
        std::size_t k = 0;
        while (k < text.size() && fold(static_cast<wchar_t>(hay[i + k])) == fold(text[k])) ++k;
        if (k == text.size()) return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const View view = data[0] & 1 ? View::Utf8 : View::Ansi;
    const bool cs = (data[0] & 2) != 0;
    const std::size_t length = 1 + data[1] % 6;
    if (size < 2 + length) return 0;
    std::wstring text;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(kPieces[data[2 + i] % (sizeof kPieces / sizeof kPieces[0])]);
    const std::uint8_t* chunk = data + 2 + length;
    const std::size_t chunkSize = size - 2 - length;
    const ViewSearch fast(text, view, cs, Tables());
    std::u16string scratch;
    if (fast.Find(chunk, chunkSize, scratch) != Reference(chunk, chunkSize, text, view, cs))
        std::abort();
    return 0;
}
