// Quarrix.exe started as Explorer and the user start it: a path on the command line lands in
// the folder box; the settings of one run come back in the next; "/setup" registers the
// folder verb without a window and without touching the settings.
#include "quarrix/window/ids.h"
#include "tests/e2e/driver_win.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace qx::e2e;
namespace id = qx::quarrix::id;

namespace {

using qx::e2e::Show; // the local overload below must not hide the driver's
std::string Show(const std::optional<std::wstring>& text) {
    return text ? Show(*text) : std::string("(absent)");
}

using Texts = std::vector<std::wstring>;
using Blob = std::vector<BYTE>;

const std::wstring kSettingsKey = L"Software\\VELDO\\Trawlbeam";
const std::wstring kVerbKey = L"Directory\\shell\\Trawlbeam";
const std::wstring kFolder = L"C:\\qx settings\\folder with blanks";
const std::wstring kFile = kFolder + L"\\a file.txt";
const std::wstring kRootFile = L"C:\\qx-root-file.txt";

std::wstring Program() {
    return Quote(BinPath(L"Quarrix.exe"));
}

// Every value of a key: name -> (type, bytes).
using Values = std::map<std::wstring, std::pair<DWORD, Blob>>;

Values ReadValues(HKEY root, const std::wstring& key) {
    Values values;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(raw, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        Blob data(size);
        nameLength = 256;
        RegEnumValueW(raw, i, name, &nameLength, nullptr, &type, data.data(), &size);
        values[name] = {type, data};
    }
    RegCloseKey(raw);
    return values;
}

std::optional<Blob> RegBinary(const std::wstring& name) {
    const Values values = ReadValues(HKEY_CURRENT_USER, kSettingsKey);
    const auto it = values.find(name);
    if (it == values.end() || it->second.first != REG_BINARY) return std::nullopt;
    return it->second.second;
}

void SetValue(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        throw DriverError(L"cannot create the settings key");
    const LSTATUS rc =
        RegSetValueExW(raw, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(raw);
    if (rc != ERROR_SUCCESS) throw DriverError(L"cannot write the setting " + name);
}
void SetString(const std::wstring& name, const std::wstring& text) {
    SetValue(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
void SetBinary(const std::wstring& name, const Blob& bytes) {
    SetValue(name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// The verb's command as the registry holds it, read as the shell reads it.
std::optional<std::wstring> VerbCommand() {
    const std::wstring key = kVerbKey + L"\\command";
    DWORD size = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text.data(),
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcslen(text.c_str()));
    return text;
}

class QuarrixSettings : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        auto run = Process::Start(L"regsvr32 /s " + Quote(BinPath(L"Wexcal31.dll")));
        ASSERT_EQ(run.WaitForExit(), 0u) << "Wexcal31.dll did not register";
        CreateDirectoryW(L"C:\\qx settings", nullptr);
        ASSERT_TRUE(CreateDirectoryW(kFolder.c_str(), nullptr)) << Utf8(kFolder);
        WriteBytes(kFile, "a needle in the hay\r\n");
        WriteBytes(kRootFile, "");
    }
    // Each scenario starts from the first run's registry.
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey.c_str()); }

    // Starts the program with `arguments` after its name and waits for its window.
    static std::pair<Process, Window> Start(const std::wstring& arguments = {}) {
        Process app = Process::Start(arguments.empty() ? Program() : Program() + L" " + arguments);
        const Window form = app.Window(L"Trawlbeam");
        return {std::move(app), form};
    }
    // Closes the window as the user does; the settings are saved on the way out.
    static void Close(Process& app, const Window& form) {
        form.Close();
        app.WaitForExit();
    }
};

// The command line as Explorer's verb gives it (a quoted folder), as typed without quotes,
// a file path (its folder) and a file in a drive's root (the root with its "\").
TEST_F(QuarrixSettings, CommandLinePathGoesIntoTheFolderBox) {
    const struct {
        std::wstring arguments, folder;
    } cases[] = {
        {L"\"" + kFolder + L"\"", kFolder},
        {kFolder, kFolder},
        {L"\"" + kFile + L"\"", kFolder},
        {L"\"" + kRootFile + L"\"", L"C:\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(L"command line: " + c.arguments));
        auto [app, form] = Start(c.arguments);
        EXPECT_EQ(Show(form.Control(id::Combo1).Text()), Show(c.folder));
        EXPECT_EQ(Show(form.Control(id::Combo1).ComboItems()), Show(Texts{L"C:\\"}))
            << "the folder history does not change";
        Close(app, form);
    }
}

// The first run's state; one search in F with mask M and a size limit of 25; after a restart
// the folder, both histories, the encodings and the size come back. The registry holds them
// as the stored layout says: history index = place in the list, "*.*" not written.
TEST_F(QuarrixSettings, OneRunsSettingsComeBackInTheNext) {
    const std::wstring mask = L"*.txt";
    {
        auto [app, form] = Start();
        const Window folder = form.Control(id::Combo1), masks = form.Control(id::Combo2);
        EXPECT_EQ(Show(folder.Text()), Show(L"C:\\"));
        EXPECT_EQ(Show(folder.ComboItems()), Show(Texts{L"C:\\"}));
        EXPECT_EQ(Show(masks.Text()), Show(L"*.*"));
        EXPECT_EQ(Show(masks.ComboItems()), Show(Texts{L"*.*"}));
        EXPECT_EQ(Show(form.Control(id::Text3).Text()), Show(L"100"));
        EXPECT_TRUE(form.Control(id::chkASCII).Checked());
        EXPECT_FALSE(form.Control(id::chkUTF8).Checked());

        folder.Retype(kFolder);
        masks.Retype(mask);
        form.Control(id::Text1).Type(L"needle");
        form.Control(id::Text3).Retype(L"25");
        const Window utf8 = form.Control(id::chkUTF8);
        utf8.Click();
        WaitUntil([&] { return utf8.Checked(); }, L"UTF-8 to be checked");
        const Window status = form.Control(id::Label3);
        form.Control(id::Command2).Click();
        status.WaitUntilText(L"Найдено 1 файлов\r\nПоиск завершён");
        Close(app, form);
    }

    EXPECT_EQ(Show(RegString(HKEY_CURRENT_USER, kSettingsKey, L"DefDir")), Show(kFolder));
    EXPECT_EQ(Show(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Dir0")), Show(kFolder));
    EXPECT_EQ(Show(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Dir1")), Show(L"C:\\"));
    EXPECT_EQ(Show(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Exp0")), Show(mask));
    EXPECT_FALSE(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Exp1").has_value())
        << "\"*.*\" is not stored";
    EXPECT_EQ(Show(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Notepad")), Show(L"notepad.exe"));
    EXPECT_EQ(RegBinary(L"UserMaxFileSize"), (Blob{25, 0}));
    EXPECT_EQ(RegBinary(L"chkASCII"), Blob{1});
    EXPECT_EQ(RegBinary(L"chkUTF8"), Blob{1});

    auto [app, form] = Start();
    EXPECT_EQ(Show(form.Control(id::Combo1).Text()), Show(kFolder));
    EXPECT_EQ(Show(form.Control(id::Combo1).ComboItems()), Show(Texts{kFolder, L"C:\\"}));
    EXPECT_EQ(Show(form.Control(id::Combo2).Text()), Show(L"*.*"));
    EXPECT_EQ(Show(form.Control(id::Combo2).ComboItems()), Show(Texts{L"*.*", mask}));
    EXPECT_EQ(Show(form.Control(id::Text3).Text()), Show(L"25"));
    EXPECT_EQ(Show(form.Control(id::Text1).Text()), Show(L"")) << "the search text is not kept";
    EXPECT_TRUE(form.Control(id::chkASCII).Checked());
    EXPECT_TRUE(form.Control(id::chkUTF8).Checked());
    Close(app, form);
}

// "/setup" writes the verb, shows nothing, ends by itself, and neither reads nor writes the
// stored settings.
TEST_F(QuarrixSettings, SetupRunRegistersTheVerbOnly) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kVerbKey.c_str());
    SetString(L"DefDir", kFolder);
    SetString(L"Dir0", kFolder);
    SetString(L"Exp0", L"*.ini");
    SetString(L"Notepad", L"C:\\tools\\edit.exe");
    SetBinary(L"UserMaxFileSize", {0x19, 0x00});
    SetBinary(L"chkASCII", {0});
    SetBinary(L"chkUTF8", {1});
    const Values before = ReadValues(HKEY_CURRENT_USER, kSettingsKey);

    auto run = Process::Start(Program() + L" /setup", {}, Ms(0));
    std::wstring shown;
    while (run.Running() && shown.empty()) {
        for (const Window& w : run.TopWindows())
            shown += w.Describe() + L" ";
        Sleep(5);
    }
    EXPECT_EQ(Show(shown), Show(L"")) << "the set-up run shows no window";
    EXPECT_EQ(run.WaitForExit(), 0u);

    EXPECT_EQ(Show(VerbCommand()), Show(L"\"" + BinPath(L"Quarrix.exe") + L"\" \"%1\""));
    EXPECT_TRUE(ReadValues(HKEY_CURRENT_USER, kSettingsKey) == before)
        << "the stored settings changed";
}

// The switch in capitals is no set-up run: the window opens and no verb is written.
TEST_F(QuarrixSettings, SetupSwitchInCapitalsStartsTheWindow) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kVerbKey.c_str());
    auto [app, form] = Start(L"/SETUP");
    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(VerbCommand().has_value()) << "the verb was registered";
    Close(app, form);
}

} // namespace
