// Fixtures for the search engine: a file tree in memory with a fixed listing order, and a
// window that records what the engine shows and can press the buttons from inside a yield.
#pragma once
#include "quarrix/search/file_system.h"
#include "quarrix/search/search_ui.h"
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qx::search::testing {

// Paths are Windows paths ("C:\A\x.txt"); folders are keyed by their prefix ("C:\A\").
// Entries are listed in the order they were added.
class FakeFileSystem final : public FileSystem {
  public:
    struct File {
        std::string Bytes;
        std::optional<FileError> OpenError;      // Open fails with this
        std::optional<std::uint64_t> FailReadAt; // a read reaching this offset fails
        bool LengthUnreadable = false;
    };

    // Adds the file and every folder above it (up to the drive's root).
    File& AddFile(const std::wstring& path, std::string bytes = {});
    void AddFolder(const std::wstring& path);
    // A directory entry that is a reparse point; listing it gives the entries of `target`.
    void AddFolderLink(const std::wstring& path, const std::wstring& target);
    // Listing this folder throws, as an allocation failure would.
    void ThrowOnList(const std::wstring& prefix) { throwOn_ = prefix; }

    bool Exists(const std::wstring& path) override;
    bool List(const std::wstring& prefix, std::vector<DirEntry>& entries) override;
    std::optional<std::uint64_t> Length(const std::wstring& path) override;
    std::unique_ptr<OpenFile> Open(const std::wstring& path, FileError& error) override;

    int Opens = 0;                                            // successful opens
    int OpenNow = 0;                                          // files open at this moment
    std::vector<std::wstring> Listed;                         // prefixes listed, in order
    std::vector<std::pair<std::uint64_t, std::size_t>> Reads; // offset, size asked

  private:
    void AddEntry(const std::wstring& path, bool directory, bool reparse);
    std::map<std::wstring, std::vector<DirEntry>> folders_;
    std::map<std::wstring, std::wstring> links_; // link prefix -> target prefix
    std::map<std::wstring, File> files_;
    std::wstring throwOn_;
};

class FakeUi final : public SearchUi {
  public:
    SearchInputs Inputs;
    std::wstring Size = L"100";
    bool Checked = false; // whether List2 holds a checked entry

    // Called from inside Yield and Sleep: the place where a test presses buttons.
    std::function<void()> OnYield, OnSleep;

    // What the engine did, in order, one line per call ("SetStatus:...").
    std::vector<std::wstring> Log;
    std::vector<std::wstring> Results, Errors, Progress, Status;
    std::wstring PauseCaption = L"Пауза";
    bool Searching = false, Busy = false, ResultsVisible = true;
    int Yields = 0, Sleeps = 0, HistoryUpdates = 0, Extent = -1;
    bool LogYields = false; // Yield and Sleep are counted; logged only when asked

    SearchInputs ReadInputs() override;
    std::wstring SizeText() override { return Size; }
    void SetMaskText(const std::wstring& text) override;
    void ShowNoEncodingMessage() override;
    void SetSearching(bool searching) override;
    void SetBusyPointer(bool busy) override;
    void ShowResults(bool visible) override;
    void ClearLists() override;
    void AddResult(const std::wstring& path) override;
    void AddError(const std::wstring& line) override;
    void SetStatus(const std::wstring& text) override;
    void SetProgress(const std::wstring& text) override;
    void SetPauseCaption(const std::wstring& text) override;
    int MeasurePath(const std::wstring& path) override { return 7 * static_cast<int>(path.size()); }
    void SetHorizontalExtent(int pixels) override;
    bool AnyResultChecked() override { return Checked; }
    void SetToolsFrame(bool enabled) override;
    void UpdateHistories() override;
    void FocusFindButton() override;
    void Yield() override;
    void Sleep(unsigned milliseconds) override;
};

} // namespace qx::search::testing
