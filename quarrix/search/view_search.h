// One text looked for in one view of a chunk of file bytes: the ANSI view (one character per
// byte, through the ANSI table) or the UTF-8 view (what the platform's converter decodes).
// Both are searched on the bytes where that gives the answer the decoded text would give:
//  - ANSI: each character of the text becomes the set of bytes that stand for it, so a match
//    is a run of bytes each in its set; exact, nothing to decode.
//  - UTF-8, a text that is well-formed UTF-16 and cannot match a U+FFFD: every character
//    becomes the UTF-8 forms of the characters equal to it (itself only, when case matters).
//    The converter restarts at every byte that is not a continuation byte and gives every
//    well-formed sequence as its character, so the decoded chunk holds the text exactly
//    where the bytes hold one form per character. Candidates come from a byte-set filter on
//    the part of the text with fixed byte offsets; where a character has forms of different
//    lengths (dotless i, long s...) the rest is checked by decoding in place.
//  - UTF-8 otherwise (a U+FFFD or a lone surrogate in the text): the chunk is decoded.
// A scan finds candidates from the rarest byte set of the fixed part (memchr, or a vector
// compare against up to four bytes), then verifies.
#pragma once
#include "quarrix/search/text_tables.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx::search {

enum class View { Ansi, Utf8 };

class ViewSearch {
  public:
    ViewSearch(std::wstring_view text, View view, bool caseSensitive, const TextTables& tables);

    // Whether the chunk's view holds the text. `scratch` serves decoding; its capacity is
    // kept, so a buffer reserved once serves every chunk.
    bool Find(const std::uint8_t* data, std::size_t size, std::u16string& scratch) const;

    // The most bytes one occurrence can take in the chunk.
    std::size_t LongestMatchBytes() const { return longest_; }
    // The text cannot occur in this view at all (a character no byte stands for).
    bool Impossible() const { return mode_ == Mode::Never; }
    // How the view is searched, for tests and the benchmark.
    bool DecodesChunks() const { return mode_ == Mode::Decode; }
    // Both search the same exact byte sets: one answers for the other.
    bool SameBytesAs(const ViewSearch& other) const;

  private:
    enum class Mode : std::uint8_t { Never, Bytes, Decode };
    void BuildAnsi(std::wstring_view text);
    bool BuildUtf8Bytes(std::wstring_view text);
    void ChooseAnchor();
    bool PrefixMatches(const std::uint8_t* s) const;
    bool VerifyDecoded(const std::uint8_t* s, const std::uint8_t* end) const;
    bool FindDecoded(const std::uint8_t* data, std::size_t size, std::u16string& scratch) const;
    wchar_t Fold(wchar_t c) const { return caseSensitive_ ? c : tables_->Fold(c); }

    const TextTables* tables_;
    bool caseSensitive_;
    Mode mode_ = Mode::Never;
    std::u16string folded_; // the text, folded unless case matters
    std::size_t longest_ = 0;
    // Bytes mode: one 256-entry membership table per byte offset of the fixed part.
    std::vector<std::uint8_t> sets_;
    std::size_t prefix_ = 0; // offsets with a fixed position in every occurrence
    std::size_t shortest_ = 0;
    bool exact_ = true; // the sets alone decide; no verification
    std::size_t anchor_ = 0;
    std::uint8_t anchorBytes_[4] = {};
    int anchorCount_ = 0; // 0: more than four bytes, scan by table
};

} // namespace qx::search
