// The search: the walk of a folder tree, breadth first, by file-name masks and, through the
// content matcher, by a text that must and a text that must not occur in a file. It runs on
// the window's thread inside the "Найти" handler and yields to the window at fixed points;
// the stop and pause buttons only set flags here, which the walk reads at its check points.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace qx::search {

class SearchUi;
class FileSystem;
struct TextTables;

// The window-wide run state: it lives from one search to the next, and each search resets it.
struct SearchState {
    bool StopRequested = false;
    bool PauseRequested = false;
    std::wstring StatusText; // second line of the closing message
    std::uint64_t FoundCount = 0;
    int WidestPath = 0; // pixels, the widest full path examined
    std::deque<std::wstring> FolderQueue;
};

// The queue's first entry: 41 lower-case letters and digits that name nothing.
inline constexpr wchar_t kSeedEntry[] = L"qx0search0seed0names0nothing0at0all0h2zq7";

// Command2_Click: the whole search, from the encoding check to the closing message. Never
// throws; returns when the search has ended.
void StartSearch(SearchUi& ui, FileSystem& fs, SearchState& state,
                 const TextTables& tables) noexcept;

// Command3_Click: stop at the walk's next check point (ends a pause too).
void RequestStop(SearchState& state, SearchUi& ui) noexcept;

// Command4_Click: pause, or resume a pause.
void TogglePause(SearchState& state, SearchUi& ui) noexcept;

// The walk's wait while paused: sleeps 100 ms and yields until the pause is lifted.
void WaitWhilePaused(SearchState& state, SearchUi& ui);

// The mask fix-ups: an empty text becomes "*.*", one trailing ";" goes. Gives the masks
// (split at every ";", not trimmed, empty ones kept) and leaves the fixed text in `text`.
std::vector<std::wstring> FixMasks(std::wstring& text);

// The closing message of Label3 for a count and a status.
std::wstring ClosingMessage(std::uint64_t foundCount, std::wstring_view status);

} // namespace qx::search
