// regsvr32 worked from outside: the registration records of Wexcal31.dll appear and go again,
// and a file that is no library is refused.
#include "tests/e2e/driver_win.h"

#include <gtest/gtest.h>

using namespace qx::e2e;

namespace {

const std::wstring kClsid = L"{B5AA1080-48ED-11D8-A1CF-E2446909E32D}";
const std::wstring kTypeLib = L"{B5AA107E-48ED-11D8-A1CF-E2446909E32D}";
const std::wstring kInterface = L"{B5AA107F-48ED-11D8-A1CF-E2446909E32D}";
const std::wstring kProgId = L"ZIZEZODEISTRY.ZIZEZODE";
#ifdef _WIN64
const std::wstring kTypeLibPlatform = L"win64";
#else
const std::wstring kTypeLibPlatform = L"win32";
#endif

// COM reads these names, identifiers and paths without regard to case.
bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

DWORD RunRegsvr32(const std::wstring& arguments) {
    auto run = Process::Start(L"regsvr32 " + arguments);
    return run.WaitForExit();
}

TEST(Regsvr32, RegistersAndUnregistersTheLibrary) {
    const std::wstring dll = BinPath(L"Wexcal31.dll");
    ASSERT_NE(GetFileAttributesW(dll.c_str()), INVALID_FILE_ATTRIBUTES) << Utf8(dll);

    struct Record {
        std::wstring key, name, data;
    };
    const Record records[] = {
        {L"CLSID\\" + kClsid + L"\\InprocServer32", L"", dll},
        {L"CLSID\\" + kClsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {L"CLSID\\" + kClsid + L"\\ProgID", L"", kProgId},
        {L"CLSID\\" + kClsid + L"\\TypeLib", L"", kTypeLib},
        {kProgId + L"\\CLSID", L"", kClsid},
        {L"TypeLib\\" + kTypeLib + L"\\1.0\\0\\" + kTypeLibPlatform, L"", dll},
    };

    ASSERT_EQ(RunRegsvr32(L"/s " + Quote(dll)), 0u);
    for (const auto& r : records) {
        const auto data = RegString(HKEY_CLASSES_ROOT, r.key, r.name);
        ASSERT_TRUE(data.has_value()) << Utf8(r.key + L" [" + r.name + L"]");
        EXPECT_TRUE(SameText(*data, r.data))
            << Utf8(r.key + L" [" + r.name + L"] = " + *data + L", expected " + r.data);
    }
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + kInterface));

    ASSERT_EQ(RunRegsvr32(L"/u /s " + Quote(dll)), 0u);
    for (const auto& key :
         {L"CLSID\\" + kClsid, kProgId, L"TypeLib\\" + kTypeLib, L"Interface\\" + kInterface})
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, key)) << Utf8(key) << " is still there";
}

// Windows' regsvr32 shows an error box here unless /s is given. Wine's writes the error to
// its console and shows no box: were there one, the program would wait for an answer and
// WaitForExit would time out and name it. The exit code 3 (the library could not be loaded)
// is the same on both.
TEST(Regsvr32, FileThatIsNoLibraryIsRefusedWithoutABoxUnderWine) {
    const std::wstring file = MakeTempFolder(L"regsvr32") + L"\\notalib.dll";
    WriteBytes(file, "plain text, no library\r\n");
    EXPECT_EQ(RunRegsvr32(Quote(file)), 3u);
    EXPECT_EQ(RunRegsvr32(L"/s " + Quote(file)), 3u);
}

} // namespace
