#include "quarrix/search/search.h"
#include "quarrix/search/content_matcher.h"
#include "quarrix/search/file_system.h"
#include "quarrix/search/search_ui.h"
#include "quarrix/search/text_tables.h"
#include "quarrix/search/wildcard.h"
#include <optional>

namespace qx::search {

namespace {

const wchar_t kPause[] = L"Пауза";
const wchar_t kResume[] = L"Подолжить";

// The folder path with exactly the one "\" that joins it to a name ("C:" and "C:\" give
// "C:\").
std::wstring PrefixOf(const std::wstring& folder) {
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

bool IsDotEntry(const std::wstring& name) {
    return name == L"." || name == L"..";
}

class Walk {
  public:
    Walk(SearchUi& ui, FileSystem& fs, SearchState& state, const TextTables& tables,
         const SearchInputs& in, std::vector<std::wstring> masks)
        : ui_(ui), fs_(fs), st_(state), in_(in), masks_(std::move(masks)) {
        for (const auto& m : masks_)
            compiled_.emplace_back(m, tables);
        if (!in.SearchText.empty() || !in.ExcludeText.empty())
            content_.emplace(TextConditions{in.SearchText, in.ExcludeText, in.CaseSensitive,
                                            in.MatchASCII, in.MatchUTF8},
                             tables, fs, ui);
    }

    // Steps 7 to 9: the start folder, then the queue, breadth first.
    void Run() {
        st_.FolderQueue.push_back(kSeedEntry);
        if (VisitFolder(in_.RootFolder)) return;
        if (!in_.Subfolders) return;
        while (!st_.FolderQueue.empty()) {
            const std::wstring head = st_.FolderQueue.front();
            if (VisitFolder(head, true)) return;
            st_.FolderQueue.pop_front();
            ui_.Yield();
        }
    }

  private:
    // Queues the folder's subfolders and searches its files with every mask. True when the
    // walk is to stop. The folder is listed once for all of that.
    bool VisitFolder(const std::wstring& folder, bool showProgress = false) {
        const std::wstring prefix = PrefixOf(folder);
        fs_.List(prefix, entries_);
        EnqueueSubfolders(prefix);
        if (showProgress) ui_.SetProgress(L"Поиск в " + folder);
        for (const FileMask& mask : compiled_) {
            SearchFolder(prefix, mask);
            if (st_.StopRequested) return true;
            if (st_.PauseRequested) PauseStep();
        }
        return false;
    }

    // Junctions and links to folders are not followed: a cycle would never end, and the
    // files behind them would be found twice.
    void EnqueueSubfolders(const std::wstring& prefix) {
        for (const DirEntry& e : entries_) {
            if (!IsDotEntry(e.Name) && e.IsDirectory && !e.IsReparsePoint)
                st_.FolderQueue.push_back(prefix + e.Name);
            ui_.Yield();
        }
    }

    void SearchFolder(const std::wstring& prefix, const FileMask& mask) {
        for (const DirEntry& e : entries_) {
            if (e.IsDirectory || !mask.Matches(e.Name)) continue;
            const std::wstring path = prefix + e.Name;
            const int width = ui_.MeasurePath(path);
            if (width > st_.WidestPath) st_.WidestPath = width;
            if (!content_ || content_->CheckFile(path)) {
                ui_.AddResult(path);
                ++st_.FoundCount;
                ui_.SetStatus(L"Найдено " + std::to_wstring(st_.FoundCount) + L" файлов");
            }
            if (st_.StopRequested) return;
            if (st_.PauseRequested) PauseStep();
            ui_.Yield();
        }
    }

    void PauseStep() {
        ui_.SetBusyPointer(false);
        ui_.ShowResults(true);
        WaitWhilePaused(st_, ui_);
        ui_.ShowResults(false);
    }

    SearchUi& ui_;
    FileSystem& fs_;
    SearchState& st_;
    const SearchInputs& in_;
    std::vector<std::wstring> masks_;
    std::vector<FileMask> compiled_;
    std::optional<ContentMatcher> content_;
    std::vector<DirEntry> entries_; // the listing of the folder being visited
};

// Step 10: the window back to the user.
void Finish(SearchUi& ui, SearchState& st) {
    st.FolderQueue.clear();
    ui.SetBusyPointer(false);
    ui.ShowResults(true);
    if (ui.AnyResultChecked()) ui.SetToolsFrame(true);
    ui.SetProgress(L"");
    ui.SetStatus(ClosingMessage(st.FoundCount, st.StatusText));
    ui.SetSearching(false);
    ui.SetHorizontalExtent(st.WidestPath + 3);
    ui.FocusFindButton();
}

void Search(SearchUi& ui, FileSystem& fs, SearchState& st, const TextTables& tables,
            const SearchInputs& in) {
    // Step 2: lock the window.
    st.WidestPath = 0;
    ui.SetSearching(true);
    ui.SetToolsFrame(false);
    ui.SetBusyPointer(true);
    // Step 3: reset. The pause button's caption goes with its flag: a pause asked for after
    // the last check point of the previous search would otherwise leave "Подолжить" on it.
    st.StatusText = L"Поиск завершён";
    st.FoundCount = 0;
    st.StopRequested = st.PauseRequested = false;
    ui.SetPauseCaption(kPause);
    ui.SetStatus(L"");
    st.FolderQueue.clear();
    ui.ClearLists();
    ui.ShowResults(false);
    // Step 4: masks.
    std::wstring maskText = in.MaskText;
    std::vector<std::wstring> masks = FixMasks(maskText);
    if (maskText != in.MaskText) ui.SetMaskText(maskText);
    // Step 5: the start folder.
    if (!fs.Exists(in.RootFolder)) {
        st.StatusText = L"Path not found!";
        ui.AddError(L"_!  Error  Path not found!");
        return;
    }
    // Step 6: histories.
    ui.UpdateHistories();
    Walk(ui, fs, st, tables, in, std::move(masks)).Run();
}

} // namespace

std::vector<std::wstring> FixMasks(std::wstring& text) {
    if (text.empty())
        text = L"*.*";
    else if (text.back() == L';')
        text.pop_back();
    std::vector<std::wstring> masks;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semi = text.find(L';', start);
        masks.push_back(text.substr(start, semi - start));
        if (semi == std::wstring::npos) break;
        start = semi + 1;
    }
    return masks;
}

std::wstring ClosingMessage(std::uint64_t foundCount, std::wstring_view status) {
    std::wstring text = foundCount ? L"Найдено " + std::to_wstring(foundCount) + L" файлов"
                                   : std::wstring(L"Ничего не найдено");
    return text + L"\r\n" + std::wstring(status);
}

void StartSearch(SearchUi& ui, FileSystem& fs, SearchState& st, const TextTables& tables) noexcept {
    bool started = false;
    try {
        const SearchInputs in = ui.ReadInputs();
        // Step 1: a text needs an encoding to be looked for in.
        if ((!in.SearchText.empty() || !in.ExcludeText.empty()) && !in.MatchASCII &&
            !in.MatchUTF8) {
            ui.ShowNoEncodingMessage();
            return;
        }
        started = true;
        Search(ui, fs, st, tables, in);
    } catch (...) {
        // Out of memory in a huge tree: end the search with what was found so far.
    }
    if (!started) return;
    try {
        Finish(ui, st);
    } catch (...) {
    }
}

void RequestStop(SearchState& st, SearchUi& ui) noexcept {
    st.PauseRequested = false;
    try {
        ui.SetPauseCaption(kPause);
    } catch (...) {
    }
    st.StatusText = L"Поиск был прерван";
    st.StopRequested = true;
}

void TogglePause(SearchState& st, SearchUi& ui) noexcept {
    try {
        if (st.PauseRequested) {
            st.PauseRequested = false;
            ui.SetPauseCaption(kPause);
            ui.SetBusyPointer(true);
        } else {
            st.PauseRequested = true;
            ui.SetPauseCaption(kResume);
        }
        ui.SetHorizontalExtent(st.WidestPath + 3);
    } catch (...) {
    }
}

void WaitWhilePaused(SearchState& st, SearchUi& ui) {
    while (st.PauseRequested) {
        ui.Sleep(100);
        ui.Yield();
    }
    ui.SetBusyPointer(true);
}

} // namespace qx::search
