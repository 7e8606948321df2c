#include "tests/native/fake_fs.h"
#include <algorithm>
#include <cstring>
#include <new>

namespace qx::search::testing {

namespace {

std::wstring Parent(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

class FakeOpenFile final : public OpenFile {
  public:
    FakeOpenFile(const FakeFileSystem::File& file, FakeFileSystem& fs) : file_(file), fs_(fs) {
        ++fs_.OpenNow;
    }
    ~FakeOpenFile() override { --fs_.OpenNow; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size,
                std::size_t& got) override {
        fs_.Reads.emplace_back(offset, size);
        got = 0;
        if (file_.FailReadAt && offset + size > *file_.FailReadAt) return false;
        if (offset >= file_.Bytes.size()) return true;
        got = std::min<std::size_t>(size, file_.Bytes.size() - offset);
        std::memcpy(buffer, file_.Bytes.data() + offset, got);
        return true;
    }

  private:
    const FakeFileSystem::File& file_;
    FakeFileSystem& fs_;
};

} // namespace

void FakeFileSystem::AddEntry(const std::wstring& path, bool directory, bool reparse) {
    const std::wstring parent = Parent(path);
    if (parent.empty()) return;
    if (parent.size() > 3) AddEntry(parent.substr(0, parent.size() - 1), true, false);
    auto& list = folders_[parent];
    const std::wstring name = path.substr(parent.size());
    const bool known =
        std::any_of(list.begin(), list.end(), [&](const DirEntry& e) { return e.Name == name; });
    if (!known) list.push_back({name, directory, reparse, 0});
    if (directory && !reparse) folders_[path + L'\\'];
}

FakeFileSystem::File& FakeFileSystem::AddFile(const std::wstring& path, std::string bytes) {
    AddEntry(path, false, false);
    auto& list = folders_[Parent(path)];
    for (auto& e : list)
        if (e.Name == path.substr(Parent(path).size())) e.Size = bytes.size();
    File& f = files_[path];
    f.Bytes = std::move(bytes);
    return f;
}

void FakeFileSystem::AddFolder(const std::wstring& path) {
    AddEntry(path, true, false);
}

void FakeFileSystem::AddFolderLink(const std::wstring& path, const std::wstring& target) {
    AddEntry(path, true, true);
    links_[path + L'\\'] = target;
}

bool FakeFileSystem::Exists(const std::wstring& path) {
    if (path.empty()) return false;
    if (path.back() == L'\\') return folders_.count(path) > 0;
    if (path.size() == 2 && path[1] == L':') return folders_.count(path + L'\\') > 0;
    return files_.count(path) > 0 || folders_.count(path + L'\\') > 0;
}

bool FakeFileSystem::List(const std::wstring& prefix, std::vector<DirEntry>& entries) {
    Listed.push_back(prefix);
    entries.clear();
    if (prefix == throwOn_) throw std::bad_alloc();
    std::wstring key = prefix;
    if (auto link = links_.find(prefix); link != links_.end()) key = link->second;
    const auto it = folders_.find(key);
    if (it == folders_.end()) return false;
    entries.push_back({L".", true, false, 0});
    entries.push_back({L"..", true, false, 0});
    entries.insert(entries.end(), it->second.begin(), it->second.end());
    return true;
}

std::optional<std::uint64_t> FakeFileSystem::Length(const std::wstring& path) {
    const auto it = files_.find(path);
    if (it == files_.end() || it->second.LengthUnreadable) return std::nullopt;
    return it->second.Bytes.size();
}

std::unique_ptr<OpenFile> FakeFileSystem::Open(const std::wstring& path, FileError& error) {
    const auto it = files_.find(path);
    if (it == files_.end()) {
        error = {2, L"Не удается найти указанный файл."};
        return nullptr;
    }
    if (it->second.OpenError) {
        error = *it->second.OpenError;
        return nullptr;
    }
    ++Opens;
    return std::make_unique<FakeOpenFile>(it->second, *this);
}

SearchInputs FakeUi::ReadInputs() {
    Log.push_back(L"ReadInputs");
    return Inputs;
}
void FakeUi::SetMaskText(const std::wstring& text) {
    Log.push_back(L"SetMaskText:" + text);
}
void FakeUi::ShowNoEncodingMessage() {
    Log.push_back(L"NoEncodingMessage");
}
void FakeUi::SetSearching(bool s) {
    Searching = s;
    Log.push_back(s ? L"SetSearching:1" : L"SetSearching:0");
}
void FakeUi::SetBusyPointer(bool b) {
    Busy = b;
    Log.push_back(b ? L"Busy:1" : L"Busy:0");
}
void FakeUi::ShowResults(bool v) {
    ResultsVisible = v;
    Log.push_back(v ? L"ShowResults:1" : L"ShowResults:0");
}
void FakeUi::ClearLists() {
    Results.clear();
    Errors.clear();
    Log.push_back(L"ClearLists");
}
void FakeUi::AddResult(const std::wstring& path) {
    Results.push_back(path);
    Log.push_back(L"AddResult:" + path);
}
void FakeUi::AddError(const std::wstring& line) {
    Errors.push_back(line);
    Log.push_back(L"AddError:" + line);
}
void FakeUi::SetStatus(const std::wstring& text) {
    Status.push_back(text);
    Log.push_back(L"SetStatus:" + text);
}
void FakeUi::SetProgress(const std::wstring& text) {
    Progress.push_back(text);
    Log.push_back(L"SetProgress:" + text);
}
void FakeUi::SetPauseCaption(const std::wstring& text) {
    PauseCaption = text;
    Log.push_back(L"PauseCaption:" + text);
}
void FakeUi::SetHorizontalExtent(int pixels) {
    Extent = pixels;
    Log.push_back(L"Extent:" + std::to_wstring(pixels));
}
void FakeUi::SetToolsFrame(bool e) {
    Log.push_back(e ? L"ToolsFrame:1" : L"ToolsFrame:0");
}
void FakeUi::UpdateHistories() {
    ++HistoryUpdates;
    Log.push_back(L"UpdateHistories");
}
void FakeUi::FocusFindButton() {
    Log.push_back(L"FocusFind");
}
void FakeUi::Yield() {
    ++Yields;
    if (LogYields) Log.push_back(L"Yield");
    if (OnYield) OnYield();
}
void FakeUi::Sleep(unsigned ms) {
    ++Sleeps;
    Log.push_back(L"Sleep:" + std::to_wstring(ms));
    if (OnSleep) OnSleep();
}

} // namespace qx::search::testing
