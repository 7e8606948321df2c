#include "quarrix/search/content_matcher.h"
#include "quarrix/search/search_ui.h"
#include "quarrix/search/size_box.h"
#include <algorithm>

namespace qx::search {

ChunkPlan PlanChunks(std::size_t longestMatchBytes) {
    ChunkPlan plan;
    const std::size_t overlap =
        std::max(kChunkOverlap, longestMatchBytes ? longestMatchBytes - 1 : 0);
    plan.Length = std::max(kChunkLength, 2 * overlap);
    plan.Step = plan.Length - overlap;
    return plan;
}

CompiledText::CompiledText(std::wstring_view text, const TextConditions& c,
                           const TextTables& tables)
    : empty_(text.empty()) {
    if (empty_) return;
    std::size_t longest = 0;
    if (c.MatchASCII) {
        ansi_.emplace(text, View::Ansi, c.CaseSensitive, tables);
        longest = std::max(longest, ansi_->LongestMatchBytes());
    }
    if (c.MatchUTF8) {
        utf8_.emplace(text, View::Utf8, c.CaseSensitive, tables);
        longest = std::max(longest, utf8_->LongestMatchBytes());
        utf8Shared_ = ansi_ && utf8_->SameBytesAs(*ansi_);
    }
    plan_ = PlanChunks(longest);
}

bool CompiledText::FindInChunk(const std::uint8_t* data, std::size_t size,
                               std::u16string& scratch) const {
    if (ansi_ && ansi_->Find(data, size, scratch)) return true;
    return utf8_ && !utf8Shared_ && utf8_->Find(data, size, scratch);
}

ContentMatcher::ContentMatcher(const TextConditions& c, const TextTables& tables, FileSystem& fs,
                               SearchUi& ui)
    : tables_(tables), fs_(fs), ui_(ui), search_(c.SearchText, c, tables),
      exclude_(c.ExcludeText, c, tables) {
    std::size_t length = 0;
    if (!search_.Empty()) length = std::max(length, search_.Plan().Length);
    if (!exclude_.Empty()) length = std::max(length, exclude_.Plan().Length);
    buffer_.resize(length);
    scratch_.reserve(length);
}

bool ContentMatcher::CheckFile(const std::wstring& path) {
    const std::uint64_t limit = SizeLimitBytes(ui_.SizeText(), tables_.DecimalSeparator);
    const std::uint64_t size = fs_.Length(path).value_or(0);
    if (size == 0 || size > kSizeCeiling || size > limit) return false;
    FileError error;
    const auto file = fs_.Open(path, error);
    if (!file) {
        ui_.AddError(L"_!  Error " + std::to_wstring(error.Number) + L"  " + error.Description);
        ui_.AddError(path);
        return false;
    }
    // A read failure ends the check like a miss of the search text: not listed, not reported.
    if (!exclude_.Empty() && FindInOpenFile(*file, exclude_) != ScanResult::NotFound) return false;
    if (!search_.Empty() && FindInOpenFile(*file, search_) != ScanResult::Found) return false;
    return true;
}

ScanResult ContentMatcher::FindInOpenFile(OpenFile& file, const CompiledText& text) {
    const ChunkPlan& plan = text.Plan();
    for (std::uint64_t offset = 0;; offset += plan.Step) {
        std::size_t got = 0;
        if (!file.ReadAt(offset, buffer_.data(), plan.Length, got)) return ScanResult::ReadFailed;
        if (text.FindInChunk(buffer_.data(), got, scratch_)) return ScanResult::Found;
        if (got < plan.Length) return ScanResult::NotFound;
        ui_.Yield();
    }
}

} // namespace qx::search
