#include "quarrix/search/content_matcher.h"
#include "quarrix/search/size_box.h"
#include "quarrix/search/text_tables.h"
#include "quarrix/search/utf8.h"
#include "quarrix/search/view_search.h"
#include "tests/native/fake_fs.h"
#include <gtest/gtest.h>
#include <random>

using namespace qx::search;
using qx::search::testing::FakeFileSystem;
using qx::search::testing::FakeUi;

namespace {

// U+1F600 as the programs hold it: two UTF-16 code units.
const std::wstring kGrin = {wchar_t(0xD83D), wchar_t(0xDE00)};

const TextTables& Tables() {
    static const TextTables t = [] {
        TextTables n = NativeTextTables("CP1251");
        n.DecimalSeparator = L",";
        return n;
    }();
    return t;
}

// UTF-16 text as UTF-8 bytes (the text is well-formed).
std::string Utf8(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size())
            cp = 0x10000 + ((cp - 0xD800) << 10) + ((text[++i] & 0xFFFF) - 0xDC00);
        std::uint8_t b[4];
        out.append(reinterpret_cast<char*>(b), EncodeUtf8(cp, b));
    }
    return out;
}

// Text as ANSI bytes, through the table the matcher uses.
std::string Ansi(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text)
        for (unsigned b = 0; b < 256; ++b)
            if (Tables().Ansi[b] == static_cast<char16_t>(c)) {
                out.push_back(static_cast<char>(b));
                break;
            }
    return out;
}

std::u16string Decode(const std::string& bytes) {
    std::u16string out;
    FromUTF8(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out);
    return out;
}

TEST(FromUTF8, OneReplacementPerMaximalIllFormedPart) {
    struct Case {
        const char* bytes;
        std::size_t size;
        std::u16string units;
    };
    const Case cases[] = {
        {"A\xD0\x96", 3, u"A\u0416"},
        {"\xEF\xBB\xBF"
         "A",
         4, u"\uFEFFA"}, // a byte-order mark stays
        {"\xF0\x9F\x98\x80", 4, u"\U0001F600"},
        {"\xE2\x82"
         "A",
         3, u"\uFFFDA"},            // cut off by a letter
        {"\xE2\x82", 2, u"\uFFFD"}, // cut off by the end of the chunk
        {"\xE2"
         "A",
         2, u"\uFFFDA"}, // the letter after it is never swallowed
        {"\x80\x80"
         "A",
         3, u"\uFFFD\uFFFDA"},
        {"\xC0\x80", 2, u"\uFFFD\uFFFD"}, // no overlong forms
        {"\xE0\x80\x80", 3, u"\uFFFD\uFFFD\uFFFD"},
        {"\xED\xA0\x80", 3, u"\uFFFD\uFFFD\uFFFD"}, // no surrogates
        {"\xF4\x90\x80\x80", 4, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xF0\x90\x80"
         "A",
         4, u"\uFFFDA"},
        {"\xF8\x88", 2, u"\uFFFD\uFFFD"},
        {"\xC2\xE2\x82\xAC", 4, u"\uFFFD\u20AC"},
        {"\xED\x9F\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF", 10, u"\uD7FF\uFFFF\U0010FFFF"},
        {"A\0B", 3, std::u16string(u"A\0B", 3)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Decode(std::string(c.bytes, c.size)), c.units)
            << ::testing::PrintToString(std::string(c.bytes, c.size));
}

struct ContentCase {
    const char* name;
    std::string bytes;
    std::wstring search, exclude;
    bool caseSensitive, ascii, utf8;
    const wchar_t* size;
    bool listed;
};

std::string Filler(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('a' + i % 23));
    return s;
}
std::string At(std::size_t total, std::size_t offset, const std::string& text) {
    std::string s = Filler(total);
    s.replace(offset, text.size(), text);
    return s;
}

TEST(CheckFile, Table) {
    const std::string mb(kMegabyte - 6, '.');
    const std::wstring long300(300, L'q');
    const ContentCase cases[] = {
        {"empty file", "", L"x", L"", false, true, false, L"100", false},
        {"empty file, exclusion only", "", L"", L"x", false, true, false, L"100", false},
        {"exclusion only, absent", "abc", L"", L"x", false, true, false, L"100", true},
        {"exclusion only, present", "axc", L"", L"x", false, true, false, L"100", false},
        {"limit 1: exactly 1 MiB is scanned", mb + "needle", L"needle", L"", true, true, false,
         L"1", true},
        {"limit 1: one byte more is skipped", mb + "needle!", L"needle", L"", true, true, false,
         L"1", false},
        {"limit 0 is the ceiling", mb + "needle!", L"needle", L"", true, true, false, L"0", true},
        {"no number is the ceiling", mb + "needle!", L"needle", L"", true, true, false, L"", true},
        {"a fraction of a megabyte", mb + "needle!", L"needle", L"", true, true, false, L"1,5",
         true},
        {"in the last bytes of 70,000", At(70000, 69994, "needle"), L"needle", L"", true, true,
         false, L"100", true},
        {"across byte 65,536", At(70000, 65530, "needle"), L"needle", L"", true, true, false,
         L"100", true},
        {"at the very start of chunk two", At(140000, 65280, "needle"), L"needle", L"", true, true,
         false, L"100", true},
        {"across the start of chunk three", At(140000, 130555, "needle"), L"needle", L"", true,
         true, false, L"100", true},
        {"both texts present", "the needle and the thread", L"needle", L"thread", false, true,
         false, L"100", false},
        {"exclusion in chunk two", At(100000, 90000, "thread") + "needle", L"needle", L"thread",
         false, true, false, L"100", false},
        {"cp1251, capitals typed", "... " + Ansi(L"привет") + " ...", L"ПРИВЕТ", L"", false, true,
         false, L"100", true},
        {"cp1251, case matters", Ansi(L"привет"), L"ПРИВЕТ", L"", true, true, false, L"100", false},
        {"cp1251, UTF-8 view alone", Ansi(L"привет"), L"ПРИВЕТ", L"", false, false, true, L"100",
         false},
        {"UTF-8, capitals typed", "... " + Utf8(L"привет") + " ...", L"ПРИВЕТ", L"", false, false,
         true, L"100", true},
        {"UTF-8, both views", Utf8(L"Ёлка"), L"ёЛКА", L"", false, true, true, L"100", true},
        {"UTF-8, ANSI view alone", Utf8(L"привет"), L"ПРИВЕТ", L"", false, true, false, L"100",
         false},
        {"UTF-8 with a mark, found", "\xEF\xBB\xBF" + Utf8(L"Жук"), L"жук", L"", false, false, true,
         L"100", true},
        {"300-byte text across a chunk start", At(140000, 65280 - 20, std::string(300, 'q')),
         long300, L"", true, true, false, L"100", true},
        {"300-byte UTF-8 text across a chunk start", At(140000, 65280 - 20, std::string(300, 'q')),
         long300, L"", true, false, true, L"100", true},
        {"UTF-8 character split at a chunk end", At(140000, 65535, Utf8(L"ж")), L"ж", L"", true,
         false, true, L"100", true},
        {"Greek in UTF-8, case ignored", Utf8(L"ΑΒΓ δέλτα"), L"ΔΈΛΤΑ", L"", false, false, true,
         L"100", true},
        {"Greek has no ANSI form here", Utf8(L"δέλτα"), L"δέλτα", L"", true, true, false, L"100",
         false},
    };
    for (const ContentCase& c : cases) {
        FakeFileSystem fs;
        FakeUi ui;
        ui.Size = c.size;
        fs.AddFile(L"C:\\f.bin", c.bytes);
        ContentMatcher m({c.search, c.exclude, c.caseSensitive, c.ascii, c.utf8}, Tables(), fs, ui);
        EXPECT_EQ(m.CheckFile(L"C:\\f.bin"), c.listed) << c.name;
        EXPECT_TRUE(ui.Errors.empty()) << c.name;
        EXPECT_EQ(fs.OpenNow, 0) << c.name;
        if (c.bytes.size() > kMegabyte && std::wstring(c.size) == L"1") {
            EXPECT_EQ(fs.Opens, 0) << c.name;
        }
    }
}

TEST(CheckFile, ChunksStartEvery65280BytesAndYieldBetween) {
    FakeFileSystem fs;
    FakeUi ui;
    fs.AddFile(L"C:\\f", Filler(200000));
    ContentMatcher m({L"absent", L"", true, true, true}, Tables(), fs, ui);
    EXPECT_FALSE(m.CheckFile(L"C:\\f"));
    const std::vector<std::pair<std::uint64_t, std::size_t>> reads = {
        {0, 65536}, {65280, 65536}, {130560, 65536}, {195840, 65536}};
    EXPECT_EQ(fs.Reads, reads);
    EXPECT_EQ(ui.Yields, 3); // none after the short last chunk

    // A file of exactly one chunk: read whole, then its last 256 bytes.
    FakeFileSystem one;
    one.AddFile(L"C:\\g", Filler(65536));
    ContentMatcher m2({L"absent", L"", true, true, false}, Tables(), one, ui);
    EXPECT_FALSE(m2.CheckFile(L"C:\\g"));
    ASSERT_EQ(one.Reads.size(), 2u);
    EXPECT_EQ(one.Reads[1].first, 65280u);
}

TEST(CheckFile, LongTextsWidenTheOverlap) {
    // Up to 257 bytes: the plan stays as it is.
    EXPECT_EQ(PlanChunks(257).Step, 65280u);
    EXPECT_EQ(PlanChunks(257).Length, 65536u);
    EXPECT_EQ(PlanChunks(300).Step, 65536u - 299);
    // Longer than a chunk: the chunk grows.
    const ChunkPlan big = PlanChunks(100000);
    EXPECT_GE(big.Length - big.Step + 1, 100000u);
    EXPECT_GE(big.Step, big.Length / 2);

    const std::wstring text(100000, L'z');
    FakeFileSystem fs;
    FakeUi ui;
    fs.AddFile(L"C:\\f", At(400000, 150000, std::string(100000, 'z')));
    ContentMatcher m({text, L"", true, true, false}, Tables(), fs, ui);
    EXPECT_TRUE(m.CheckFile(L"C:\\f"));
}

TEST(CheckFile, OpenFailureIsReportedReadFailureIsNot) {
    FakeFileSystem fs;
    FakeUi ui;
    fs.AddFile(L"C:\\locked.txt", "needle").OpenError =
        FileError{32, L"Процесс не может получить доступ к файлу"};
    fs.AddFile(L"C:\\bad.txt", At(200000, 190000, "needle")).FailReadAt = 100000;
    fs.AddFile(L"C:\\nolength.txt", "needle").LengthUnreadable = true;
    ContentMatcher m({L"needle", L"", false, true, false}, Tables(), fs, ui);
    EXPECT_FALSE(m.CheckFile(L"C:\\locked.txt"));
    EXPECT_FALSE(m.CheckFile(L"C:\\bad.txt"));
    EXPECT_FALSE(m.CheckFile(L"C:\\nolength.txt"));
    EXPECT_EQ(ui.Errors,
              (std::vector<std::wstring>{L"_!  Error 32  Процесс не может получить доступ к файлу",
                                         L"C:\\locked.txt"}));
    EXPECT_EQ(fs.OpenNow, 0);
    // A read failure while looking for the exclusion text keeps the file out as well.
    FakeFileSystem ex;
    ex.AddFile(L"C:\\bad.txt", Filler(200000)).FailReadAt = 100000;
    ContentMatcher m2({L"", L"needle", false, true, false}, Tables(), ex, ui);
    EXPECT_FALSE(m2.CheckFile(L"C:\\bad.txt"));
}

TEST(ViewSearch, HowEachTextIsSearched) {
    const TextConditions both{L"", L"", false, true, true};
    // An ASCII text without letters whose case partners differ in UTF-8: one scan for both.
    EXPECT_TRUE(CompiledText(L"needle", both, Tables()).Utf8Shared());
    EXPECT_FALSE(CompiledText(L"needle", both, Tables()).Utf8Decodes());
    // Cyrillic differs between the views; a U+FFFD or a lone half can only be decoded.
    EXPECT_FALSE(CompiledText(L"жук", both, Tables()).Utf8Shared());
    EXPECT_TRUE(CompiledText(L"a\uFFFDb", both, Tables()).Utf8Decodes());
    EXPECT_TRUE(CompiledText(std::wstring(L"a") + wchar_t(0xD83D), both, Tables()).Utf8Decodes());
    EXPECT_FALSE(CompiledText(L"a" + kGrin, both, Tables()).Utf8Decodes());
}

// ---- the fast matcher against a plain one that decodes every chunk ------------------------

std::u16string ViewText(const std::string& bytes, View view) {
    if (view == View::Utf8) return Decode(bytes);
    std::u16string out;
    for (unsigned char b : bytes)
        out.push_back(Tables().Ansi[b]);
    return out;
}

bool ReferenceFind(const std::u16string& hay, std::wstring_view text, bool cs) {
    auto fold = [&](wchar_t c) { return cs ? c : Tables().Fold(c); };
    if (hay.size() < text.size()) return false;
    for (std::size_t i = 0; i + text.size() <= hay.size(); ++i) {
        std::size_t k = 0;
        while (k < text.size() && fold(static_cast<wchar_t>(hay[i + k])) == fold(text[k]))
            ++k;
        if (k == text.size()) return true;
    }
    return false;
}

// The whole file, chunk by chunk as the plan says.
bool ReferenceFile(const std::string& bytes, std::wstring_view text, const TextConditions& c,
                   const ChunkPlan& plan) {
    for (std::size_t offset = 0;; offset += plan.Step) {
        const std::string chunk =
            offset < bytes.size() ? bytes.substr(offset, plan.Length) : std::string();
        if (c.MatchASCII && ReferenceFind(ViewText(chunk, View::Ansi), text, c.CaseSensitive))
            return true;
        if (c.MatchUTF8 && ReferenceFind(ViewText(chunk, View::Utf8), text, c.CaseSensitive))
            return true;
        if (chunk.size() < plan.Length) return false;
    }
}

// Pieces that make the hard cases: letters whose case partners have other UTF-8 lengths
// (dotless i, long s, micro sign), Cyrillic in both encodings, a pair, U+FFFD itself, and
// ill-formed bytes of every kind.
const std::vector<std::wstring> kTextPieces = {
    L"a",      L"A",      L"i",      L"I",      L"s", L"S",      L"k",      L"K",     L"\u0131",
    L"\u017F", L"\u00B5", L"\u039C", L"\u03BC", L"ж", L"Ж",      L"ё",      L"Ё",     L"я",
    kGrin,     L"\uFFFD", L"\u212A", L" ",      L"1", L"\u00E9", L"\u00C9", L"\u20AC"};
const std::vector<std::string> kBadBytes = {
    "\x80", "\xC0", "\xE2", "\xE2\x82", "\xF0\x9F", "\xED\xA0\x80", "\xFF", "\xD0", "\xF4\x90\x80"};

std::string RandomBytes(std::mt19937& rng, std::size_t pieces, std::wstring* plain) {
    std::string out;
    for (std::size_t i = 0; i < pieces; ++i) {
        const unsigned kind = rng() % 10;
        if (kind < 5) {
            const auto& p = kTextPieces[rng() % kTextPieces.size()];
            out += Utf8(p);
            if (plain) *plain += p;
        } else if (kind < 8) {
            const auto& p = kTextPieces[rng() % 18];
            const std::string a = Ansi(p);
            out += a.empty() ? std::string("?") : a;
        } else {
            out += kBadBytes[rng() % kBadBytes.size()];
        }
    }
    return out;
}

// A text to look for: often a piece of what is there, its letters' case changed at random.
std::wstring RandomText(std::mt19937& rng, const std::wstring& plain) {
    std::wstring t;
    if (!plain.empty() && rng() % 3) {
        const std::size_t at = rng() % plain.size();
        t = plain.substr(at, 1 + rng() % 4);
    } else {
        for (unsigned n = 1 + rng() % 3; n; --n)
            t += kTextPieces[rng() % kTextPieces.size()];
    }
    for (wchar_t& c : t)
        if (rng() % 2) c = static_cast<wchar_t>(Tables().Fold(c));
    return t;
}

TEST(ViewSearch, AgreesWithDecodingInEveryMode) {
    std::mt19937 rng(20240611);
    int found = 0, runs = 0;
    for (int round = 0; round < 3000; ++round) {
        std::wstring plain;
        const std::string bytes = RandomBytes(rng, 1 + rng() % 24, &plain);
        const std::wstring text = RandomText(rng, plain);
        for (View view : {View::Ansi, View::Utf8})
            for (bool cs : {true, false}) {
                const ViewSearch fast(text, view, cs, Tables());
                std::u16string scratch;
                const bool got = fast.Find(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           bytes.size(), scratch);
                const bool want = ReferenceFind(ViewText(bytes, view), text, cs);
                ASSERT_EQ(got, want) << "view " << (view == View::Utf8 ? "UTF-8" : "ANSI")
                                     << (cs ? ", case matters" : ", case ignored") << "\nbytes "
                                     << ::testing::PrintToString(bytes) << "\ntext "
                                     << ::testing::PrintToString(text);
                found += want;
                ++runs;
            }
    }
    // Both answers must have come up often, or the comparison proves little.
    EXPECT_GT(found, runs / 5);
    EXPECT_LT(found, runs * 4 / 5);
}

TEST(ViewSearch, AgreesWithDecodingOnWholeFiles) {
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        std::wstring plain;
        std::string bytes = RandomBytes(rng, 30000 + rng() % 20000, &plain);
        const std::wstring text = RandomText(rng, plain);
        const unsigned views = 1 + rng() % 3;
        const TextConditions c{text, L"", rng() % 2 == 0, (views & 1) != 0, (views & 2) != 0};
        FakeFileSystem fs;
        FakeUi ui;
        fs.AddFile(L"C:\\f", bytes);
        ContentMatcher m(c, Tables(), fs, ui);
        const CompiledText compiled(text, c, Tables());
        ASSERT_EQ(m.CheckFile(L"C:\\f"),
                  !bytes.empty() && ReferenceFile(bytes, text, c, compiled.Plan()))
            << ::testing::PrintToString(text) << " round " << round;
    }
}

} // namespace
