#include "quarrix/search/view_search.h"
#include "quarrix/search/utf8.h"
#include <algorithm>
#include <bitset>
#include <map>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qx::search {

namespace {

bool IsSurrogate(unsigned u) {
    return u >= 0xD800 && u <= 0xDFFF;
}

// A rough rank of how often a byte occurs in text and program files: the anchor of a scan is
// the byte set that should stop the scan least often.
int ByteFrequency(unsigned b) {
    if (b == 0 || b == ' ' || b == '\n' || b == '\r' || b == '\t') return 250;
    if (std::strchr("etaoinsrhl", static_cast<int>(b)) && b) return 220;
    if (b >= 'a' && b <= 'z') return 160;
    if (b >= '0' && b <= '9') return 130;
    if (std::strchr(".,-_/()=:;\"'<>", static_cast<int>(b)) && b) return 110;
    if (b >= 'A' && b <= 'Z') return 90;
    if (b < 0x20) return 20;
    if (b < 0x80) return 40;
    if (b == 0xD0 || b == 0xD1) return 240; // leads of Cyrillic in UTF-8
    if (b < 0xC0) return 150;               // continuation bytes
    if (b >= 0xE0) return 140;              // small Cyrillic letters in 1251
    return 80;
}

// The first byte in [p, end) that is one of the K bytes, or null.
template <int K>
const std::uint8_t* FindAnyOf(const std::uint8_t* p, const std::uint8_t* end,
                              const std::uint8_t* bytes) {
#if defined(__SSE2__)
    __m128i v[K];
    for (int k = 0; k < K; ++k)
        v[k] = _mm_set1_epi8(static_cast<char>(bytes[k]));
    auto hits = [&](__m128i x) {
        __m128i m = _mm_cmpeq_epi8(x, v[0]);
        for (int k = 1; k < K; ++k)
            m = _mm_or_si128(m, _mm_cmpeq_epi8(x, v[k]));
        return m;
    };
    while (end - p >= 32) {
        const __m128i a = hits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        const __m128i b = hits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
        const int mask = _mm_movemask_epi8(_mm_or_si128(a, b));
        if (mask) {
            const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(a)) |
                                  (static_cast<unsigned>(_mm_movemask_epi8(b)) << 16);
            return p + __builtin_ctz(bits);
        }
        p += 32;
    }
#endif
    for (; p < end; ++p)
        for (int k = 0; k < K; ++k)
            if (*p == bytes[k]) return p;
    return nullptr;
}

const std::uint8_t* FindInSet(const std::uint8_t* p, const std::uint8_t* end,
                              const std::uint8_t* set) {
    for (; p < end; ++p)
        if (set[*p]) return p;
    return nullptr;
}

} // namespace

ViewSearch::ViewSearch(std::wstring_view text, View view, bool caseSensitive,
                       const TextTables& tables)
    : tables_(&tables), caseSensitive_(caseSensitive) {
    const std::wstring units = ToUtf16Units(text);
    text = units;
    folded_.reserve(text.size());
    for (wchar_t c : text)
        folded_.push_back(static_cast<char16_t>(Fold(c)));
    if (text.empty()) return;
    if (view == View::Ansi) {
        BuildAnsi(text);
    } else if (!BuildUtf8Bytes(text)) {
        mode_ = Mode::Decode;
        // Every decoded code unit comes from at most three bytes.
        longest_ = 3 * text.size();
    }
    if (mode_ == Mode::Bytes) ChooseAnchor();
}

void ViewSearch::BuildAnsi(std::wstring_view text) {
    const std::size_t m = text.size();
    sets_.assign(m * 256, 0);
    for (std::size_t i = 0; i < m; ++i) {
        bool any = false;
        for (unsigned b = 0; b < 256; ++b)
            if (Fold(static_cast<wchar_t>(tables_->Ansi[b])) == static_cast<wchar_t>(folded_[i]))
                sets_[i * 256 + b] = any = true;
        if (!any) {
            sets_.clear();
            mode_ = Mode::Never;
            return;
        }
    }
    mode_ = Mode::Bytes;
    prefix_ = shortest_ = longest_ = m;
    exact_ = true;
}

bool ViewSearch::BuildUtf8Bytes(std::wstring_view text) {
    if (!IsWellFormedUtf16(text)) return false;
    // The characters equal to each unit of the text: one pass over every code unit, keyed by
    // its fold.
    std::bitset<0x10000> wanted;
    for (char16_t f : folded_)
        wanted.set(f);
    std::map<char16_t, std::vector<char16_t>> classes;
    if (caseSensitive_)
        for (char16_t f : folded_)
            classes[f] = {f};
    else
        for (unsigned x = 0; x < 0x10000; ++x) {
            const auto f = static_cast<unsigned>(Fold(static_cast<wchar_t>(x)));
            if (f < 0x10000 && wanted[f])
                classes[static_cast<char16_t>(f)].push_back(static_cast<char16_t>(x));
        }
    // The forms of each character, as UTF-8 bytes.
    struct Char {
        std::vector<std::vector<std::uint8_t>> forms;
    };
    std::vector<Char> chars;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned>(text[i]);
        const auto& cls = classes[folded_[i]];
        Char ch;
        std::uint8_t bytes[4];
        if (IsSurrogate(u)) {
            // A pair matches itself only; halves have no case partners.
            const auto low = static_cast<unsigned>(text[i + 1]);
            const auto& lowCls = classes[folded_[i + 1]];
            if (cls.size() != 1 || lowCls.size() != 1) return false;
            const std::uint32_t cp = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            const std::size_t n = EncodeUtf8(cp, bytes);
            ch.forms.emplace_back(bytes, bytes + n);
            ++i;
        } else {
            for (char16_t x : cls) {
                // A surrogate half or U+FFFD among the equals could also come from bytes that
                // are no such character: only decoding answers then.
                if (IsSurrogate(x) || x == kReplacement) return false;
                const std::size_t n = EncodeUtf8(x, bytes);
                ch.forms.emplace_back(bytes, bytes + n);
            }
        }
        chars.push_back(std::move(ch));
    }
    // Byte sets for the offsets that are the same in every occurrence: up to the first
    // character whose forms differ in length, and that character's first byte.
    sets_.clear();
    prefix_ = shortest_ = longest_ = 0;
    exact_ = true;
    bool fixed = true;
    for (const Char& ch : chars) {
        std::size_t lo = SIZE_MAX, hi = 0;
        for (const auto& f : ch.forms) {
            lo = std::min(lo, f.size());
            hi = std::max(hi, f.size());
        }
        // Several forms of one byte each are exactly their byte set; longer ones are not.
        if (ch.forms.size() != 1 && hi > 1) exact_ = false;
        if (fixed) {
            const std::size_t width = lo == hi ? lo : 1;
            sets_.resize((prefix_ + width) * 256, 0);
            for (const auto& f : ch.forms)
                for (std::size_t k = 0; k < width; ++k)
                    sets_[(prefix_ + k) * 256 + f[k]] = 1;
            prefix_ += width;
            fixed = lo == hi;
        }
        shortest_ += lo;
        longest_ += hi;
    }
    mode_ = Mode::Bytes;
    return true;
}

void ViewSearch::ChooseAnchor() {
    long best = -1;
    for (std::size_t k = 0; k < prefix_; ++k) {
        long cost = 0;
        for (unsigned b = 0; b < 256; ++b)
            if (sets_[k * 256 + b]) cost += ByteFrequency(b);
        if (best < 0 || cost < best) {
            best = cost;
            anchor_ = k;
        }
    }
    anchorCount_ = 0;
    for (unsigned b = 0; b < 256; ++b)
        if (sets_[anchor_ * 256 + b]) {
            if (anchorCount_ == 4) {
                anchorCount_ = 0; // too many for the vector compare: scan by table
                break;
            }
            anchorBytes_[anchorCount_++] = static_cast<std::uint8_t>(b);
        }
}

bool ViewSearch::SameBytesAs(const ViewSearch& other) const {
    return mode_ == Mode::Bytes && other.mode_ == Mode::Bytes && exact_ && other.exact_ &&
           prefix_ == other.prefix_ && sets_ == other.sets_;
}

bool ViewSearch::PrefixMatches(const std::uint8_t* s) const {
    const std::uint8_t* set = sets_.data();
    for (std::size_t k = 0; k < prefix_; ++k, set += 256)
        if (!set[s[k]]) return false;
    return true;
}

bool ViewSearch::VerifyDecoded(const std::uint8_t* p, const std::uint8_t* end) const {
    for (std::size_t i = 0; i < folded_.size();) {
        if (p >= end) return false;
        std::size_t length;
        const std::int32_t cp = DecodeUtf8At(p, end, length);
        if (cp < 0) return false;
        p += length;
        if (cp < 0x10000) {
            if (static_cast<char16_t>(Fold(static_cast<wchar_t>(cp))) != folded_[i]) return false;
            ++i;
        } else {
            const auto v = static_cast<std::uint32_t>(cp) - 0x10000;
            const auto high = static_cast<wchar_t>(0xD800 + (v >> 10));
            const auto low = static_cast<wchar_t>(0xDC00 + (v & 0x3FF));
            if (i + 1 >= folded_.size() || static_cast<char16_t>(Fold(high)) != folded_[i] ||
                static_cast<char16_t>(Fold(low)) != folded_[i + 1])
                return false;
            i += 2;
        }
    }
    return true;
}

bool ViewSearch::FindDecoded(const std::uint8_t* data, std::size_t size,
                             std::u16string& scratch) const {
    FromUTF8(data, size, scratch);
    const std::size_t m = folded_.size();
    if (scratch.size() < m) return false;
    const char16_t first = folded_[0];
    for (std::size_t i = 0; i + m <= scratch.size(); ++i) {
        if (static_cast<char16_t>(Fold(static_cast<wchar_t>(scratch[i]))) != first) continue;
        std::size_t k = 1;
        while (k < m &&
               static_cast<char16_t>(Fold(static_cast<wchar_t>(scratch[i + k]))) == folded_[k])
            ++k;
        if (k == m) return true;
    }
    return false;
}

bool ViewSearch::Find(const std::uint8_t* data, std::size_t size, std::u16string& scratch) const {
    if (mode_ == Mode::Never) return false;
    if (mode_ == Mode::Decode) return FindDecoded(data, size, scratch);
    if (size < shortest_) return false;
    const std::uint8_t* const end = data + size;
    // Anchor positions of every start that leaves room for the shortest occurrence.
    const std::uint8_t* p = data + anchor_;
    const std::uint8_t* const stop = data + (size - shortest_) + anchor_ + 1;
    const std::uint8_t* const anchorSet = sets_.data() + anchor_ * 256;
    while (p < stop) {
        switch (anchorCount_) {
        case 1:
            p = static_cast<const std::uint8_t*>(
                std::memchr(p, anchorBytes_[0], static_cast<std::size_t>(stop - p)));
            break;
        case 2:
            p = FindAnyOf<2>(p, stop, anchorBytes_);
            break;
        case 3:
            p = FindAnyOf<3>(p, stop, anchorBytes_);
            break;
        case 4:
            p = FindAnyOf<4>(p, stop, anchorBytes_);
            break;
        default:
            p = FindInSet(p, stop, anchorSet);
            break;
        }
        if (!p) return false;
        const std::uint8_t* s = p - anchor_;
        if (PrefixMatches(s) && (exact_ || VerifyDecoded(s, end))) return true;
        ++p;
    }
    return false;
}

} // namespace qx::search
