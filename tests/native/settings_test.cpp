#include "quarrix/window/history.h"
#include "quarrix/window/settings.h"
#include "tests/native/fake_registry.h"
#include <gtest/gtest.h>

using namespace qx::quarrix;
using qx::test::FakeRegistry;
using Bytes = std::vector<std::uint8_t>;
using List = std::vector<std::wstring>;

namespace {

struct CountingPump final : qx::EventPump {
    int yields = 0;
    void Yield() override { ++yields; }
    void Sleep(unsigned) override {}
};

Bytes Sz(const char* text) {
    Bytes b(text, text + std::char_traits<char>::length(text));
    b.push_back(0);
    return b;
}

class Settings : public ::testing::Test {
  protected:
    FakeRegistry reg;
    CountingPump pump;

    const FakeRegistry::Value* Stored(std::wstring_view name) const {
        return reg.Find(kSettingsHome, kSettingsKey, name);
    }
    void ExpectStored(std::wstring_view name, std::uint32_t type, const Bytes& bytes) const {
        const auto* v = Stored(name);
        ASSERT_NE(v, nullptr) << std::string(name.begin(), name.end());
        EXPECT_EQ(v->type, type) << std::string(name.begin(), name.end());
        EXPECT_EQ(v->bytes, bytes) << std::string(name.begin(), name.end());
    }
    void Seed(std::wstring_view name, std::uint32_t type, Bytes bytes) {
        reg.Put(kSettingsHome, kSettingsKey, name, type, std::move(bytes));
    }
    void SeedText(std::wstring_view name, const char* text) {
        Seed(name, FakeRegistry::kSz, Sz(text));
    }
    FormSettings Load() { return LoadSettings(reg, pump); }
    void Save(FormSettings& s) { SaveSettings(s, reg, pump, L","); }
};

void ExpectFirstRun(const FormSettings& s) {
    EXPECT_EQ(s.NotepadPath, L"notepad.exe");
    EXPECT_EQ(s.SizeText, L"100");
    EXPECT_TRUE(s.chkASCII);
    EXPECT_FALSE(s.chkUTF8);
    EXPECT_EQ(s.FolderText, L"C:\\");
    EXPECT_EQ(s.FolderList, List{L"C:\\"});
    EXPECT_EQ(s.MaskList, List{L"*.*"});
}

} // namespace

// First run, one search in D:\Work with "*.txt", close: exactly these values.
TEST_F(Settings, FreshRegistryRoundTrip) {
    FormSettings s = Load();
    ExpectFirstRun(s);
    EXPECT_EQ(pump.yields, 2 * HistoryLimit);

    UpdateHistory(s.FolderList, L"D:\\Work", pump);
    UpdateHistory(s.MaskList, L"*.txt", pump);
    s.FolderText = L"D:\\Work";
    pump.yields = 0;
    Save(s);

    ExpectStored(L"Notepad", FakeRegistry::kSz, Sz("notepad.exe"));
    ExpectStored(L"UserMaxFileSize", FakeRegistry::kBinary, {100, 0});
    ExpectStored(L"chkASCII", FakeRegistry::kBinary, {1});
    ExpectStored(L"chkUTF8", FakeRegistry::kBinary, {0});
    ExpectStored(L"DefDir", FakeRegistry::kSz, Sz("D:\\Work"));
    ExpectStored(L"Dir0", FakeRegistry::kSz, Sz("D:\\Work"));
    ExpectStored(L"Dir1", FakeRegistry::kSz, Sz("C:\\"));
    ExpectStored(L"Exp0", FakeRegistry::kSz, Sz("*.txt"));
    EXPECT_EQ(Stored(L"Exp1"), nullptr); // the "*.*" entry's place
    EXPECT_EQ(reg.ValueCount(kSettingsHome, kSettingsKey), 8u);
    EXPECT_TRUE(s.FolderList.empty());
    EXPECT_TRUE(s.MaskList.empty());
    EXPECT_EQ(pump.yields, 4);

    const FormSettings again = Load();
    EXPECT_EQ(again.FolderText, L"D:\\Work");
    EXPECT_EQ(again.FolderList, (List{L"D:\\Work", L"C:\\"}));
    EXPECT_EQ(again.MaskList, (List{L"*.*", L"*.txt"}));
    EXPECT_EQ(again.SizeText, L"100");
    EXPECT_TRUE(again.chkASCII);
    EXPECT_FALSE(again.chkUTF8);
}

TEST_F(Settings, EncodingBoxesFromStoredValues) {
    struct Case {
        const char* what;
        std::optional<FakeRegistry::Value> ascii, utf8;
        bool chkASCII, chkUTF8;
    };
    using V = FakeRegistry::Value;
    const Case cases[] = {
        {"both missing", {}, {}, true, false},
        {"both 0", V{3, {0}}, V{3, {0}}, true, false},
        {"UTF-8 only", V{3, {0}}, V{3, {1}}, false, true},
        {"both", V{3, {1}}, V{3, {1}}, true, true},
        {"any non-zero checks", V{3, {2}}, V{3, {255}}, true, true},
        {"two-byte value", V{3, {0, 1}}, V{3, {0}}, true, false},
        {"a number is no binary", V{4, {1, 0, 0, 0}}, V{3, {1}}, false, true},
        {"too long reads 0", V{3, {0}}, V{3, {1, 0, 0, 0, 0, 0, 0, 0}}, true, false},
    };
    for (const auto& c : cases) {
        reg = FakeRegistry{};
        if (c.ascii) Seed(L"chkASCII", c.ascii->type, c.ascii->bytes);
        if (c.utf8) Seed(L"chkUTF8", c.utf8->type, c.utf8->bytes);
        const FormSettings s = Load();
        EXPECT_EQ(s.chkASCII, c.chkASCII) << c.what;
        EXPECT_EQ(s.chkUTF8, c.chkUTF8) << c.what;
    }
}

TEST_F(Settings, SizeTextFromStoredValue) {
    struct Case {
        const char* what;
        std::optional<FakeRegistry::Value> stored;
        const wchar_t* text;
    };
    using V = FakeRegistry::Value;
    const Case cases[] = {
        {"missing", {}, L"100"},
        {"0", V{3, {0, 0}}, L"100"},
        {"2047", V{3, {0xFF, 0x07}}, L"2047"},
        {"-1 written", V{3, {0xFF, 0xFF}}, L"-1"},
        {"one byte", V{3, {5}}, L"5"},
        {"low 16 bits 0", V{3, {0, 0, 1, 0}}, L"100"},
        {"eight bytes", V{3, {7, 0, 0, 0, 0, 0, 0, 0}}, L"100"},
        {"a text", V{1, Sz("50")}, L"100"},
    };
    for (const auto& c : cases) {
        reg = FakeRegistry{};
        if (c.stored) Seed(L"UserMaxFileSize", c.stored->type, c.stored->bytes);
        EXPECT_EQ(Load().SizeText, c.text) << c.what;
    }
}

TEST(SizeSetting, LocaleNumberRoundedTo16Bits) {
    struct Case {
        const wchar_t* text;
        const wchar_t* separator;
        std::optional<std::int16_t> value;
    };
    const Case cases[] = {
        {L"100", L",", 100},    {L"2047,5", L",", 2048},    {L"2047.5", L".", 2048},
        {L"2047.5", L",", {}},  {L"1,4", L",", 1},          {L"2,5", L",", 3},
        {L",5", L",", 1},       {L"7,", L",", 7},           {L" 12 ", L",", 12},
        {L"+8", L",", 8},       {L"-2,5", L",", -3},        {L"32767", L",", 32767},
        {L"32767,5", L",", {}}, {L"32768", L",", {}},       {L"-32768", L",", -32768},
        {L"-32769", L",", {}},  {L"99999999999", L",", {}}, {L"", L",", {}},
        {L",", L",", {}},       {L"-", L",", {}},           {L"abc", L",", {}},
        {L"1,2,3", L",", {}},   {L"1 000", L",", {}},       {L"12a", L",", {}},
        {L"12<>5", L"<>", 13},  {L"12<5", L"<>", {}},
    };
    for (const auto& c : cases) {
        const auto got = SizeSettingOf(c.text, c.separator);
        EXPECT_EQ(got, c.value) << c.text << " with " << c.separator;
    }
}

TEST_F(Settings, SizeNotANumberKeepsTheStoredValue) {
    Seed(L"UserMaxFileSize", FakeRegistry::kBinary, {7, 0});
    FormSettings s = Load();
    s.SizeText = L"много";
    Save(s);
    ExpectStored(L"UserMaxFileSize", FakeRegistry::kBinary, {7, 0});
    s.SizeText = L"2047,5";
    Save(s);
    ExpectStored(L"UserMaxFileSize", FakeRegistry::kBinary, {0x00, 0x08});
}

TEST_F(Settings, BothEncodingsStoredAs0ChecksASCII) {
    FormSettings s = Load();
    s.chkASCII = false;
    s.chkUTF8 = false;
    Save(s);
    ExpectStored(L"chkASCII", FakeRegistry::kBinary, {0});
    ExpectStored(L"chkUTF8", FakeRegistry::kBinary, {0});
    const FormSettings again = Load();
    EXPECT_TRUE(again.chkASCII);
    EXPECT_FALSE(again.chkUTF8);
}

TEST_F(Settings, OnlyTheFirst40FoldersAreWritten) {
    FormSettings s = Load();
    s.FolderList.clear();
    for (int i = 0; i < 45; ++i)
        s.FolderList.push_back(L"D:\\f" + std::to_wstring(i));
    pump.yields = 0;
    Save(s);
    for (int i = 0; i < HistoryLimit; ++i)
        ExpectStored(L"Dir" + std::to_wstring(i), FakeRegistry::kSz,
                     Sz(("D:\\f" + std::to_string(i)).c_str()));
    for (int i = HistoryLimit; i < 45; ++i)
        EXPECT_EQ(Stored(L"Dir" + std::to_wstring(i)), nullptr);
    EXPECT_EQ(s.FolderList.size(), 5u); // not taken
    EXPECT_EQ(s.FolderList.front(), L"D:\\f40");
    EXPECT_EQ(pump.yields, HistoryLimit + 1); // 40 folders, the "*.*" mask
    EXPECT_EQ(Load().FolderList.size(), static_cast<std::size_t>(HistoryLimit));
}

TEST_F(Settings, ShrunkListKeepsOlderHigherEntries) {
    SeedText(L"DefDir", "D:\\old0");
    for (int i = 0; i < 6; ++i)
        SeedText(L"Dir" + std::to_wstring(i), ("D:\\old" + std::to_string(i)).c_str());
    FormSettings s = Load();
    s.FolderList = {L"E:\\new0", L"E:\\new1"};
    Save(s);
    EXPECT_EQ(Load().FolderList,
              (List{L"E:\\new0", L"E:\\new1", L"D:\\old2", L"D:\\old3", L"D:\\old4", L"D:\\old5"}));
}

TEST_F(Settings, SkippedEntriesUseUpTheirIndex) {
    SeedText(L"Exp1", "*.old");
    FormSettings s = Load();
    s.MaskList = {L"*.txt", L"*.*", L"", L"*.doc"};
    s.FolderList = {L"", L"D:\\a"};
    Save(s);
    ExpectStored(L"Exp0", FakeRegistry::kSz, Sz("*.txt"));
    ExpectStored(L"Exp1", FakeRegistry::kSz, Sz("*.old")); // "*.*" sat there
    EXPECT_EQ(Stored(L"Exp2"), nullptr);
    ExpectStored(L"Exp3", FakeRegistry::kSz, Sz("*.doc"));
    EXPECT_EQ(Stored(L"Dir0"), nullptr);
    ExpectStored(L"Dir1", FakeRegistry::kSz, Sz("D:\\a"));
    EXPECT_EQ(Load().MaskList, (List{L"*.*", L"*.txt", L"*.old", L"*.doc"}));
}

TEST_F(Settings, EmptyFolderTextSavedAsDriveC) {
    FormSettings s = Load();
    s.FolderText.clear();
    Save(s);
    EXPECT_EQ(s.FolderText, L"C:\\");
    ExpectStored(L"DefDir", FakeRegistry::kSz, Sz("C:\\"));
}

TEST_F(Settings, StoredNotepadAndFolderRead) {
    SeedText(L"Notepad", "C:\\Tools\\ed.exe");
    SeedText(L"DefDir", "D:\\Last");
    SeedText(L"Dir3", "D:\\Third");
    Seed(L"Dir0", FakeRegistry::kDword, {1, 0, 0, 0}); // not a text: no entry
    const FormSettings s = Load();
    EXPECT_EQ(s.NotepadPath, L"C:\\Tools\\ed.exe");
    EXPECT_EQ(s.FolderText, L"D:\\Last");
    EXPECT_EQ(s.FolderList, List{L"D:\\Third"}); // no "C:\" when a start folder is stored
}

// No registry class: the window starts as on a first run and closing writes nothing.
TEST_F(Settings, UnregisteredLibrary) {
    SeedText(L"DefDir", "D:\\Kept");
    SeedText(L"Dir0", "D:\\Kept");
    reg.registered = false;
    FormSettings s = Load();
    ExpectFirstRun(s);
    s.FolderText = L"E:\\x";
    Save(s);
    reg.registered = true;
    EXPECT_EQ(reg.ValueCount(kSettingsHome, kSettingsKey), 2u);
    ExpectStored(L"DefDir", FakeRegistry::kSz, Sz("D:\\Kept"));

    FakeRegistry none;
    none.registered = false;
    SaveSettings(s, none, pump, L",");
    EXPECT_TRUE(none.Empty());
}

// The stand-in must read as the registry class does, or the tests above prove nothing.
TEST(FakeRegistryRules, GettersReadAsTheClassDoes) {
    FakeRegistry reg;
    const std::int32_t hkcu = qx::kCurrentUser;
    const std::wstring longest(16383, L'x'), tooLong(16384, L'x');
    reg.RegSetSZ(hkcu, L"A\\B\\C", L"longest", longest);
    reg.RegSetSZ(hkcu, L"A\\B\\C", L"tooLong", tooLong);
    reg.RegSetSZ(hkcu, L"A\\B\\C", L"empty", L"");
    EXPECT_TRUE(reg.HasKey(hkcu, L"A") && reg.HasKey(hkcu, L"a\\b"));
    EXPECT_EQ(reg.RegGetSZ(hkcu, L"a\\b\\c", L"LONGEST"), longest);
    EXPECT_EQ(reg.RegGetSZ(hkcu, L"A\\B\\C", L"tooLong"), L"");
    EXPECT_EQ(reg.Find(hkcu, L"A\\B\\C", L"empty")->bytes, Bytes{0});

    reg.RegSetIntegerBINARY(hkcu, L"K", L"minus1", -1);
    reg.RegSetByteBINARY(hkcu, L"K", L"b200", 200);
    reg.Put(hkcu, L"K", L"four", FakeRegistry::kBinary, {0xFB, 0xFF, 0xFF, 0xFF});
    reg.Put(hkcu, L"K", L"eight", FakeRegistry::kBinary, Bytes(8, 1));
    reg.Put(hkcu, L"K", L"dword", FakeRegistry::kDword, {3, 0, 0, 0});
    reg.Put(hkcu, L"K", L"expand", 2, Sz("x"));
    EXPECT_EQ(reg.RegGetBINARY(hkcu, L"K", L"minus1"), 65535);
    EXPECT_EQ(reg.RegGetBINARY(hkcu, L"K", L"b200"), 200);
    EXPECT_EQ(reg.RegGetBINARY(hkcu, L"K", L"four"), -5);
    EXPECT_EQ(reg.RegGetBINARY(hkcu, L"K", L"eight"), 0);
    EXPECT_EQ(reg.RegGetBINARY(hkcu, L"K", L"dword"), 0);
    EXPECT_EQ(reg.RegGetSZ(hkcu, L"K", L"dword"), L"");
    EXPECT_EQ(reg.RegGetSZ(hkcu, L"K", L"expand"), L"");
    EXPECT_EQ(reg.RegGetBINARY(hkcu, L"Missing", L"x"), 0);

    reg.RegSetSZ(0x12345678, L"K", L"x", L"y"); // no such root key
    EXPECT_FALSE(reg.HasKey(0x12345678, L"K"));
    reg.DeleteKey(hkcu, L"A\\B"); // still has a sub-key
    EXPECT_TRUE(reg.HasKey(hkcu, L"A\\B"));
    reg.DeleteValue(hkcu, L"K", L"B200");
    EXPECT_EQ(reg.Find(hkcu, L"K", L"b200"), nullptr);

    reg.registered = false;
    EXPECT_EQ(reg.RegGetSZ(hkcu, L"A\\B\\C", L"longest"), L"");
    reg.RegSetSZ(hkcu, L"New", L"x", L"y");
    EXPECT_FALSE(reg.HasKey(hkcu, L"New"));
}
