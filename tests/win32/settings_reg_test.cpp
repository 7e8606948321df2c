// The settings through the real registry class under the platform's registry: stored types
// and bytes read back with the platform's own calls, the registry editor's export of them,
// and a program start without the registry library.
#include "common/registry.h"
#include "common/win/scoped_win.h"
#include "common/zizezode_client_win.h"
#include "quarrix/window/history.h"
#include "quarrix/window/settings.h"
#include "quarrix/window/startup.h"
#include <gtest/gtest.h>
#include <objbase.h>
#include <functional>
#include <optional>
#include <vector>

using namespace qx::quarrix;
using qx::win::UniqueFile;
using qx::win::UniqueHandle;
using qx::win::UniqueKey;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct CountingPump final : qx::EventPump {
    int yields = 0;
    void Yield() override { ++yields; }
    void Sleep(unsigned) override {}
};

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.rfind(L'\\'));
}

// Runs a command line and waits for it; its exit code, or nothing when it cannot start.
std::optional<DWORD> RunAndWait(std::wstring commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return std::nullopt;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

bool ClassKnown() {
    CLSID clsid{};
    return SUCCEEDED(::CLSIDFromProgID(L"ZIZEZODEISTRY.ZIZEZODE", &clsid));
}

// Registers or unregisters the library with the platform's own tool. Unregistering a library
// that is not registered may report a failure; only the outcome counts.
void Regsvr32(bool unregister) {
    const std::wstring dll = BinFolder() + L"\\Wexcal31.dll";
    ASSERT_NE(::GetFileAttributesW(dll.c_str()), INVALID_FILE_ATTRIBUTES) << "no Wexcal31.dll";
    const auto rc = RunAndWait(std::wstring(L"regsvr32.exe ") + (unregister ? L"/u " : L"") +
                               L"/s \"" + dll + L"\"");
    ASSERT_TRUE(rc.has_value());
    if (!unregister) {
        ASSERT_EQ(*rc, 0u);
    }
    ASSERT_EQ(ClassKnown(), !unregister);
}

std::string ReadWholeFile(const std::wstring& path) {
    UniqueFile f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr));
    std::string data;
    char buf[4096];
    DWORD got = 0;
    while (f && ::ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0)
        data.append(buf, got);
    return data;
}

const std::wstring kKey(kSettingsKey);

void DeleteSettingsKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
}

UniqueKey OpenSettingsKey() {
    HKEY h = nullptr;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, &h);
    return UniqueKey(h);
}

struct Raw {
    DWORD type = 0;
    Bytes bytes;
    bool operator==(const Raw&) const = default;
};

std::optional<Raw> QueryA(HKEY key, const char* name) {
    Raw r;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &r.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    r.bytes.resize(size);
    if (::RegQueryValueExA(key, name, nullptr, &r.type, r.bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    r.bytes.resize(size);
    return r;
}

std::optional<std::pair<DWORD, std::wstring>> QueryTextW(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    text.resize(size / sizeof(wchar_t));
    return std::make_pair(type, text);
}

Raw AnsiText(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, a.data(), n, nullptr, nullptr);
    return Raw{REG_SZ, Bytes(a.begin(), a.end())}; // with its terminating zero
}

DWORD ValueCount(HKEY key) {
    DWORD values = 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr);
    return values;
}

BOOL CALLBACK CloseAndName(HWND window, LPARAM names) {
    if (!::IsWindowVisible(window)) return TRUE; // the thread's own helper windows
    wchar_t caption[256] = {};
    ::GetWindowTextW(window, caption, 256);
    reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(caption);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Runs `work` on a thread of its own with COM ready. A message box would hold that thread:
// after a generous wait the windows it still shows are named (and closed, so it can end).
std::vector<std::wstring> RunWatched(const std::function<void()>& work) {
    struct Job {
        const std::function<void()>* work;
        static DWORD WINAPI Run(void* p) {
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            (*static_cast<Job*>(p)->work)();
            ::CoUninitialize();
            return 0;
        }
    } job{&work};
    DWORD id = 0;
    UniqueHandle thread(::CreateThread(nullptr, 0, &Job::Run, &job, 0, &id));
    std::vector<std::wstring> shown;
    while (thread && ::WaitForSingleObject(thread.get(), 30000) == WAIT_TIMEOUT)
        ::EnumThreadWindows(id, CloseAndName, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

const std::wstring kFolder = L"D:\\Работа\\2024";
const std::wstring kMask = L"*.txt";

// A first start, one search in kFolder with kMask, and the close.
void FirstSearchAndClose() {
    DeleteSettingsKey();
    qx::ZizezodeClient registry;
    CountingPump pump;
    FormSettings s = LoadSettings(registry, pump);
    ASSERT_EQ(s.FolderList, std::vector<std::wstring>{L"C:\\"});
    UpdateHistory(s.FolderList, kFolder, pump);
    UpdateHistory(s.MaskList, kMask, pump);
    s.FolderText = kFolder;
    SaveSettings(s, registry, pump, L",");
}

class SettingsReg : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() {
        DeleteSettingsKey();
        ::CoUninitialize();
    }
};

} // namespace

TEST_F(SettingsReg, WithoutTheLibraryFirstRunStateAndNothingSaved) {
    Regsvr32(true);
    DeleteSettingsKey();
    const std::wstring kept = L"D:\\Kept";
    {
        HKEY h = nullptr;
        ASSERT_EQ(::RegCreateKeyW(HKEY_CURRENT_USER, kKey.c_str(), &h), ERROR_SUCCESS);
        UniqueKey key(h);
        ::RegSetValueExW(h, L"DefDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(kept.c_str()),
                         static_cast<DWORD>((kept.size() + 1) * sizeof(wchar_t)));
    }
    FormSettings s;
    const auto shown = RunWatched([&] {
        qx::ZizezodeClient registry;
        CountingPump pump;
        s = LoadSettings(registry, pump);
        FormSettings closing = s;
        closing.FolderText = kFolder;
        closing.FolderList = {kFolder};
        SaveSettings(closing, registry, pump, L",");
    });
    EXPECT_TRUE(shown.empty()) << "a window was shown: " << shown.front();
    EXPECT_EQ(s.NotepadPath, L"notepad.exe");
    EXPECT_EQ(s.SizeText, L"100");
    EXPECT_TRUE(s.chkASCII);
    EXPECT_FALSE(s.chkUTF8);
    EXPECT_EQ(s.FolderText, L"C:\\"); // the stored start folder is not reachable
    EXPECT_EQ(s.FolderList, std::vector<std::wstring>{L"C:\\"});
    EXPECT_EQ(s.MaskList, std::vector<std::wstring>{L"*.*"});

    UniqueKey key = OpenSettingsKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(ValueCount(key.get()), 1u);
    EXPECT_EQ(QueryTextW(key.get(), L"DefDir"), std::make_pair(DWORD{REG_SZ}, kept + L'\0'));
}

TEST_F(SettingsReg, FreshRegistryRoundTripStoresTypesAndBytes) {
    Regsvr32(false);
    FirstSearchAndClose();
    UniqueKey key = OpenSettingsKey();
    ASSERT_TRUE(key);
    const HKEY h = key.get();
    EXPECT_EQ(QueryA(h, "Notepad"), AnsiText(L"notepad.exe"));
    EXPECT_EQ(QueryA(h, "UserMaxFileSize"), (Raw{REG_BINARY, {100, 0}}));
    EXPECT_EQ(QueryA(h, "chkASCII"), (Raw{REG_BINARY, {1}}));
    EXPECT_EQ(QueryA(h, "chkUTF8"), (Raw{REG_BINARY, {0}}));
    EXPECT_EQ(QueryA(h, "DefDir"), AnsiText(kFolder));
    EXPECT_EQ(QueryA(h, "Dir0"), AnsiText(kFolder));
    EXPECT_EQ(QueryA(h, "Dir1"), AnsiText(L"C:\\"));
    EXPECT_EQ(QueryA(h, "Exp0"), AnsiText(kMask));
    EXPECT_EQ(QueryA(h, "Exp1"), std::nullopt);
    EXPECT_EQ(ValueCount(h), 8u);
    // The wide view of the same texts: the code page conversion went both ways.
    EXPECT_EQ(QueryTextW(h, L"DefDir"), std::make_pair(DWORD{REG_SZ}, kFolder + L'\0'));
    EXPECT_EQ(QueryTextW(h, L"Notepad"),
              std::make_pair(DWORD{REG_SZ}, std::wstring(L"notepad.exe") + L'\0'));

    qx::ZizezodeClient registry;
    CountingPump pump;
    const FormSettings again = LoadSettings(registry, pump);
    EXPECT_EQ(again.FolderText, kFolder);
    EXPECT_EQ(again.FolderList, (std::vector<std::wstring>{kFolder, L"C:\\"}));
    EXPECT_EQ(again.MaskList, (std::vector<std::wstring>{L"*.*", kMask}));
    EXPECT_EQ(again.SizeText, L"100");
    EXPECT_TRUE(again.chkASCII);
    EXPECT_FALSE(again.chkUTF8);
}

TEST_F(SettingsReg, RegistryEditorExportShowsTheValues) {
    Regsvr32(false);
    FirstSearchAndClose();
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"trawlbeam-settings.reg";
    ::DeleteFileW(file.c_str());
    ASSERT_EQ(RunAndWait(L"regedit.exe /e \"" + file + L"\" \"HKEY_CURRENT_USER\\" + kKey + L"\""),
              std::optional<DWORD>(0));

    const std::string raw = ReadWholeFile(file);
    ASSERT_GE(raw.size(), 2u);
    ASSERT_EQ(raw.substr(0, 2), std::string("\xFF\xFE", 2)); // UTF-16, low byte first
    std::wstring text((raw.size() - 2) / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(raw[2 + 2 * i]) |
                                       static_cast<unsigned char>(raw[3 + 2 * i]) << 8);
    for (const wchar_t* line :
         {L"Windows Registry Editor Version 5.00",
          L"[HKEY_CURRENT_USER\\Software\\VELDO\\Trawlbeam]", L"\"Notepad\"=\"notepad.exe\"",
          L"\"UserMaxFileSize\"=hex:64,00", L"\"chkASCII\"=hex:01", L"\"chkUTF8\"=hex:00",
          L"\"DefDir\"=\"D:\\\\Работа\\\\2024\"", L"\"Dir1\"=\"C:\\\\\"", L"\"Exp0\"=\"*.txt\""})
        EXPECT_NE(text.find(std::wstring(line) + L"\r\n"), std::wstring::npos) << line;
    EXPECT_EQ(text.find(L"\"Exp1\""), std::wstring::npos);
    ::DeleteFileW(file.c_str());
}

TEST_F(SettingsReg, SetupRunWritesTheExplorerVerbOnly) {
    Regsvr32(false);
    FirstSearchAndClose();
    qx::ZizezodeClient registry;
    RegisterExplorerVerb(registry, L"C:\\Program Files\\Trawlbeam", L"Quarrix.exe");
    HKEY h = nullptr;
    ASSERT_EQ(
        ::RegOpenKeyExW(HKEY_CLASSES_ROOT, std::wstring(kExplorerVerbKey).c_str(), 0, KEY_READ, &h),
        ERROR_SUCCESS);
    UniqueKey verb(h);
    EXPECT_EQ(QueryTextW(h, L""),
              std::make_pair(DWORD{REG_SZ},
                             std::wstring(L"\"C:\\Program Files\\Trawlbeam\\Quarrix.exe\" \"%1\"") +
                                 L'\0'));
    UniqueKey settings = OpenSettingsKey();
    EXPECT_EQ(ValueCount(settings.get()), 8u);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Directory\\shell\\Trawlbeam");
}
