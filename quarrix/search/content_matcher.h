// The content check of a file whose name matched: the size rule, then the exclusion text and
// the search text, each looked for in overlapping chunks of the file in the selected views.
#pragma once
#include "quarrix/search/file_system.h"
#include "quarrix/search/text_tables.h"
#include "quarrix/search/view_search.h"
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::search {

class SearchUi;

constexpr std::size_t kChunkLength = 65536;
constexpr std::size_t kChunkOverlap = 256;

// Where consecutive chunks start and how long they are. An occurrence of up to overlap + 1
// bytes always lies wholly inside one chunk.
struct ChunkPlan {
    std::size_t Length = kChunkLength;
    std::size_t Step = kChunkLength - kChunkOverlap;
};

// The plan for a text whose occurrences take at most `longestMatchBytes`: 64 KiB chunks 256
// bytes apart, the overlap widened for a longer text so that no occurrence is missed at the
// start of a chunk, and the chunk widened for a text too long to leave half a chunk of step.
ChunkPlan PlanChunks(std::size_t longestMatchBytes);

// The text conditions of one search (fixed while it runs).
struct TextConditions {
    std::wstring SearchText;
    std::wstring ExcludeText;
    bool CaseSensitive = false;
    bool MatchASCII = true;
    bool MatchUTF8 = false;
};

// One text in the selected views, ANSI first.
class CompiledText {
  public:
    CompiledText(std::wstring_view text, const TextConditions& conditions,
                 const TextTables& tables);
    bool Empty() const { return empty_; }
    const ChunkPlan& Plan() const { return plan_; }
    bool FindInChunk(const std::uint8_t* data, std::size_t size, std::u16string& scratch) const;
    // For tests: whether the UTF-8 view decodes, and whether it is left out because the
    // ANSI view's scan answers for it.
    bool Utf8Decodes() const { return utf8_ && utf8_->DecodesChunks(); }
    bool Utf8Shared() const { return utf8Shared_; }

  private:
    bool empty_;
    std::optional<ViewSearch> ansi_, utf8_;
    bool utf8Shared_ = false;
    ChunkPlan plan_;
};

enum class ScanResult { Found, NotFound, ReadFailed };

class ContentMatcher {
  public:
    // `ui` gives the size box's text, takes the error lines, and is yielded to between
    // chunks. All the references outlive the matcher.
    ContentMatcher(const TextConditions& conditions, const TextTables& tables, FileSystem& fs,
                   SearchUi& ui);

    // Whether the file is to be listed.
    bool CheckFile(const std::wstring& path);

    // Whether the text occurs in the open file in at least one selected view.
    ScanResult FindInOpenFile(OpenFile& file, const CompiledText& text);

  private:
    const TextTables& tables_;
    FileSystem& fs_;
    SearchUi& ui_;
    CompiledText search_, exclude_;
    std::vector<std::uint8_t> buffer_; // one for the whole search
    std::u16string scratch_;
};

} // namespace qx::search
