// Wexcal31.dll under the platform's COM and registry: registration by the real regsvr32, the
// class created by its identifier and its programmatic name, the type library that serves
// IDispatch, the stored types and bytes of every operation read back with the platform's own
// registry calls, the programs' client, and a late-bound script.
#include "common/win/scoped_win.h"
#include "common/zizezode_client_win.h"
#include "wexcal31/zizezode.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using qx::win::ComPtr;
using qx::win::UniqueHandle;
using qx::win::UniqueKey;
using Bytes = std::vector<std::uint8_t>;
using namespace std::string_literals;

namespace {

constexpr std::int32_t kCurrentUser = static_cast<std::int32_t>(0x80000001u);
constexpr std::int32_t kLocalMachine = static_cast<std::int32_t>(0x80000002u);
const std::wstring kKey = L"Software\\VELDO\\Wexcal31Test";
const std::wstring kProgId = L"ZIZEZODEISTRY.ZIZEZODE";

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.rfind(L'\\'));
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Beside the test (the same bin folder), or where QX_BIN says when that is a Windows path.
std::wstring BinFile(const std::wstring& name) {
    const std::wstring beside = ExeFolder() + L"\\" + name;
    if (Exists(beside)) return beside;
    wchar_t bin[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"QX_BIN", bin, MAX_PATH) > 0)
        if (Exists(bin + L"\\"s + name)) return bin + L"\\"s + name;
    return beside;
}

// Runs a command line to its end; its exit code, or nothing when it cannot start.
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

void Regsvr32(bool unregister) {
    const std::wstring dll = BinFile(L"Wexcal31.dll");
    ASSERT_TRUE(Exists(dll)) << "no Wexcal31.dll beside the test";
    const auto rc =
        RunAndWait(L"regsvr32.exe "s + (unregister ? L"/u " : L"") + L"/s \"" + dll + L"\"");
    ASSERT_EQ(rc, std::optional<DWORD>(0)) << (unregister ? "regsvr32 /u /s" : "regsvr32 /s");
}

class Bstr {
  public:
    explicit Bstr(std::wstring_view s)
        : s_(::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(s_); }
    BSTR get() const { return s_; }
    BSTR* put() { return &s_; }
    std::wstring str() const { return s_ ? std::wstring(s_, ::SysStringLen(s_)) : L""; }

  private:
    BSTR s_ = nullptr;
};

// COM for the test's thread, for one test; the library is let go with it.
struct ComScope {
    ComScope() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { ::CoUninitialize(); }
};

HRESULT CreateByClsid(const CLSID& clsid, ComPtr<_ZIZEZODE>& object) {
    return ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__ZIZEZODE,
                              reinterpret_cast<void**>(object.put()));
}

HRESULT CreateByProgId(ComPtr<_ZIZEZODE>& object) {
    CLSID clsid{};
    const HRESULT hr = ::CLSIDFromProgID(kProgId.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ZIZEZODE));
    return CreateByClsid(clsid, object);
}

// The platform's own view of a value: its type and bytes, or nothing when it is absent.
struct Stored {
    DWORD type = 0;
    Bytes bytes;
    bool operator==(const Stored&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Stored& s) {
    os << "type " << s.type << ", " << s.bytes.size() << " bytes:";
    for (size_t i = 0; i < s.bytes.size() && i < 16; ++i)
        os << ' ' << int(s.bytes[i]);
    return os;
}

HKEY Root(std::int32_t home) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(home));
}

std::optional<Stored> StoredValue(std::int32_t home, const std::wstring& key,
                                  const std::wstring& name) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(Root(home), key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey k(h);
    Stored s;
    DWORD size = 0;
    if (::RegQueryValueExW(k.get(), name.c_str(), nullptr, &s.type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    s.bytes.resize(size);
    if (::RegQueryValueExW(k.get(), name.c_str(), nullptr, &s.type, s.bytes.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    s.bytes.resize(size);
    return s;
}

bool KeyExists(const std::wstring& key) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(h);
    return true;
}

// The count, when given, may leave bytes of the buffer out.
void StoreRaw(const std::wstring& key, const std::wstring& name, DWORD type, const Bytes& bytes,
              std::optional<DWORD> count = std::nullopt) {
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &h, nullptr),
              ERROR_SUCCESS);
    UniqueKey k(h);
    ASSERT_EQ(::RegSetValueExW(k.get(), name.c_str(), 0, type, bytes.data(),
                               count.value_or(static_cast<DWORD>(bytes.size()))),
              ERROR_SUCCESS);
}

// UTF-16 bytes of a text, with a terminating zero when asked.
Bytes Utf16(std::wstring_view s, bool terminated = true) {
    Bytes b;
    for (wchar_t c : s) {
        b.push_back(static_cast<std::uint8_t>(c & 0xFF));
        b.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (terminated) b.insert(b.end(), {0, 0});
    return b;
}

Stored Text(std::wstring_view s) {
    return {REG_SZ, Utf16(s)};
}

// Calls through the early-bound interface; each must report success, whatever happens.
class Calls {
  public:
    explicit Calls(_ZIZEZODE* o) : o_(o) {}

    void SetSZ(std::int32_t h, const std::wstring& k, const std::wstring& n,
               const std::wstring& d) {
        Ok(o_->RegSetSZ(Home(h), Bstr(k).get(), Bstr(n).get(), Bstr(d).get()));
    }
    void SetMULTISZ(std::int32_t h, const std::wstring& k, const std::wstring& n,
                    const std::wstring& d) {
        Ok(o_->RegSetMULTISZ(Home(h), Bstr(k).get(), Bstr(n).get(), Bstr(d).get()));
    }
    void SetByte(std::int32_t h, const std::wstring& k, const std::wstring& n, unsigned char d) {
        Ok(o_->RegSetByteBINARY(Home(h), Bstr(k).get(), Bstr(n).get(), d));
    }
    void SetInteger(std::int32_t h, const std::wstring& k, const std::wstring& n, short d) {
        Ok(o_->RegSetIntegerBINARY(Home(h), Bstr(k).get(), Bstr(n).get(), d));
    }
    void SetLong(std::int32_t h, const std::wstring& k, const std::wstring& n, LONG d) {
        Ok(o_->RegSetLongBINARY(Home(h), Bstr(k).get(), Bstr(n).get(), d));
    }
    void SetDWORD(std::int32_t h, const std::wstring& k, const std::wstring& n, LONG d) {
        Ok(o_->RegSetDWORD(Home(h), Bstr(k).get(), Bstr(n).get(), d));
    }
    std::wstring GetSZ(std::int32_t h, const std::wstring& k, const std::wstring& n) {
        Bstr r;
        Ok(o_->RegGetSZ(Home(h), Bstr(k).get(), Bstr(n).get(), r.put()));
        return r.str();
    }
    std::wstring GetMULTISZ(std::int32_t h, const std::wstring& k, const std::wstring& n) {
        Bstr r;
        Ok(o_->RegGetMULTISZ(Home(h), Bstr(k).get(), Bstr(n).get(), r.put()));
        return r.str();
    }
    LONG GetBINARY(std::int32_t h, const std::wstring& k, const std::wstring& n) {
        LONG r = -1;
        Ok(o_->RegGetBINARY(Home(h), Bstr(k).get(), Bstr(n).get(), &r));
        return r;
    }
    LONG GetDWORD(std::int32_t h, const std::wstring& k, const std::wstring& n) {
        LONG r = -1;
        Ok(o_->RegGetDWORD(Home(h), Bstr(k).get(), Bstr(n).get(), &r));
        return r;
    }
    void DeleteValue(std::int32_t h, const std::wstring& k, const std::wstring& n) {
        Ok(o_->DeleteValue(Home(h), Bstr(k).get(), Bstr(n).get()));
    }
    void DeleteKey(std::int32_t h, const std::wstring& k) {
        Ok(o_->DeleteKey(Home(h), Bstr(k).get()));
    }

  private:
    static HKEY_CONSTANTS Home(std::int32_t h) {
        return static_cast<HKEY_CONSTANTS>(static_cast<std::uint32_t>(h));
    }
    static void Ok(HRESULT hr) { EXPECT_EQ(hr, S_OK); }
    _ZIZEZODE* o_;
};

// ---------------------------------------------------------------------------------------------

TEST(Wexcal31Registration, RegistersCreatesAndUnregisters) {
    ComScope com;
    ComPtr<_ZIZEZODE> object;
    Regsvr32(true);
    EXPECT_TRUE(FAILED(CreateByClsid(CLSID_ZIZEZODE, object))) << "created before registration";

    Regsvr32(false);
    for (bool byName : {false, true}) {
        SCOPED_TRACE(byName ? "by programmatic name" : "by class identifier");
        ASSERT_EQ(byName ? CreateByProgId(object) : CreateByClsid(CLSID_ZIZEZODE, object), S_OK);
        Calls calls(object.get());
        calls.SetSZ(kCurrentUser, kKey, L"Answer", byName ? L"name" : L"identifier");
        EXPECT_EQ(calls.GetSZ(kCurrentUser, kKey, L"Answer"), byName ? L"name" : L"identifier");
        object.reset();
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());

    Regsvr32(true);
    EXPECT_TRUE(FAILED(CreateByClsid(CLSID_ZIZEZODE, object))) << "created after unregistration";
    EXPECT_TRUE(FAILED(CreateByProgId(object))) << "created by name after unregistration";
}

// The type library inside the DLL, as late-bound clients see it.
TEST(Wexcal31TypeLibrary, DescribesLibraryInterfaceEnumerationAndClass) {
    ComScope com;
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(::LoadTypeLibEx(BinFile(L"Wexcal31.dll").c_str(), REGKIND_NONE, lib.put()), S_OK);

    TLIBATTR* la = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
    EXPECT_TRUE(IsEqualGUID(la->guid, LIBID_ZIZEZODEISTRY));
    EXPECT_EQ(la->wMajorVerNum, 1);
    EXPECT_EQ(la->wMinorVerNum, 0);
    EXPECT_EQ(la->lcid, 0u);
    lib->ReleaseTLibAttr(la);
    Bstr name, help;
    ASSERT_EQ(lib->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.str(), L"ZIZEZODEISTRY");
    EXPECT_EQ(help.str(), L"VELDO Registry Access Library");

    // The interface: dual, hidden, not extensible; its own 13 operations after IDispatch's 7.
    ComPtr<ITypeInfo> disp, vtbl;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID__ZIZEZODE, disp.put()), S_OK);
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(disp->GetTypeAttr(&ta), S_OK);
    const WORD wanted =
        TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(ta->typekind, TKIND_DISPATCH);
    EXPECT_EQ(ta->wTypeFlags & wanted, wanted);
    disp->ReleaseTypeAttr(ta);
    HREFTYPE ref = 0;
    ASSERT_EQ(disp->GetRefTypeOfImplType(-1, &ref), S_OK);
    ASSERT_EQ(disp->GetRefTypeInfo(ref, vtbl.put()), S_OK);
    ASSERT_EQ(vtbl->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->typekind, TKIND_INTERFACE);
    EXPECT_EQ(ta->wTypeFlags & (wanted | TYPEFLAG_FOLEAUTOMATION),
              wanted | TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(ta->cbSizeVft, 20 * sizeof(void*));
    const WORD functions = ta->cFuncs;
    vtbl->ReleaseTypeAttr(ta);
    const wchar_t* const operations[] = {
        L"RegSetSZ",         L"RegSetMULTISZ", L"RegSetByteBINARY", L"RegSetIntegerBINARY",
        L"RegSetLongBINARY", L"RegSetDWORD",   L"RegGetSZ",         L"RegGetMULTISZ",
        L"RegGetBINARY",     L"RegGetDWORD",   L"DeleteValue",      L"DeleteKey",
        L"FormAboutShow"};
    ASSERT_EQ(functions, std::size(operations));
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(vtbl->GetFuncDesc(i, &fd), S_OK);
        Bstr fn;
        vtbl->GetDocumentation(fd->memid, fn.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(fn.str(), operations[i]) << "slot " << i;
        EXPECT_EQ(fd->memid, static_cast<MEMBERID>(0x60030000 + i)) << "slot " << i;
        EXPECT_EQ(fd->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << "slot " << i;
        vtbl->ReleaseFuncDesc(fd);
    }

    // The enumeration's members in their listed order.
    ComPtr<ITypeInfo> en;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(
                  {0xB5AA1081, 0x48ED, 0x11D8, {0xA1, 0xCF, 0xE2, 0x44, 0x69, 0x09, 0xE3, 0x2D}},
                  en.put()),
              S_OK);
    Bstr enumName;
    en->GetDocumentation(MEMBERID_NIL, enumName.put(), nullptr, nullptr, nullptr);
    EXPECT_EQ(enumName.str(), L"HKEY_CONSTANTS");
    ASSERT_EQ(en->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->typekind, TKIND_ENUM);
    const WORD members = ta->cVars;
    en->ReleaseTypeAttr(ta);
    const std::pair<const wchar_t*, std::uint32_t> roots[] = {
        {L"HKEY_CLASSES_ROOT", 0x80000000u},  {L"HKEY_CURRENT_CONFIG", 0x80000005u},
        {L"HKEY_CURRENT_USER", 0x80000001u},  {L"HKEY_DYN_DATA", 0x80000006u},
        {L"HKEY_LOCAL_MACHINE", 0x80000002u}, {L"HKEY_PERFORMANCE_DATA", 0x80000004u},
        {L"HKEY_USERS", 0x80000003u}};
    ASSERT_EQ(members, std::size(roots));
    for (UINT i = 0; i < members; ++i) {
        VARDESC* vd = nullptr;
        ASSERT_EQ(en->GetVarDesc(i, &vd), S_OK);
        Bstr vn;
        en->GetDocumentation(vd->memid, vn.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(vn.str(), roots[i].first);
        VARIANT v;
        ::VariantInit(&v);
        ASSERT_EQ(::VariantChangeType(&v, vd->lpvarValue, 0, VT_I4), S_OK);
        EXPECT_EQ(static_cast<std::uint32_t>(V_I4(&v)), roots[i].second) << vn.str().size();
        en->ReleaseVarDesc(vd);
    }

    // The class: creatable, with _ZIZEZODE as its default interface.
    ComPtr<ITypeInfo> cls, def;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_ZIZEZODE, cls.put()), S_OK);
    ASSERT_EQ(cls->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->typekind, TKIND_COCLASS);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCANCREATE);
    cls->ReleaseTypeAttr(ta);
    INT implFlags = 0;
    ASSERT_EQ(cls->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);
    ASSERT_EQ(cls->GetRefTypeOfImplType(0, &ref), S_OK);
    ASSERT_EQ(cls->GetRefTypeInfo(ref, def.put()), S_OK);
    ASSERT_EQ(def->GetTypeAttr(&ta), S_OK);
    EXPECT_TRUE(IsEqualIID(ta->guid, IID__ZIZEZODE));
    def->ReleaseTypeAttr(ta);

    // Nothing else is in it: the interface, the enumeration and the class.
    EXPECT_EQ(lib->GetTypeInfoCount(), 3u);
}

TEST(Wexcal31VersionResource, CarriesTheVersionAndSelfRegistration) {
    const std::wstring dll = BinFile(L"Wexcal31.dll");
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(dll.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(dll.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x0001000Au);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000006u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x0001000Au);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000006u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileVersion", L"1.10.0006"}, {L"ProductVersion", L"1.10.0006"},
        {L"CompanyName", L"VELDO"},     {L"ProductName", L"ZIZEZODEISTRY"},
        {L"InternalName", L"Wexcal31"}, {L"OriginalFilename", L"Wexcal31.dll"},
        {L"OLESelfRegister", L""}};
    for (const auto& [name, value] : strings) {
        wchar_t* text = nullptr;
        const std::wstring path = L"\\StringFileInfo\\040904B0\\"s + name;
        ASSERT_TRUE(
            ::VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &len))
            << "no " << std::string(name, name + wcslen(name));
        EXPECT_EQ(std::wstring(text), value);
    }
}

// ---------------------------------------------------------------------------------------------

class Wexcal31Class : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Regsvr32(false); }

    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
        ASSERT_EQ(CreateByClsid(CLSID_ZIZEZODE, object_), S_OK);
    }
    void TearDown() override {
        object_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str());
    }

    ComScope com_;
    ComPtr<_ZIZEZODE> object_;
};

const std::wstring kLong16383(16383, L'x');
const std::wstring kLong16384(16384, L'x');
const std::wstring kMulti = L"a\0b\0\0"s; // the letter a, a zero, b, two zeros

enum class Getter { SZ, MULTISZ, BINARY, DWORD };

// One value written (through the class or the platform), then what the registry holds and
// what the class reads back.
struct ValueCase {
    const char* what;
    std::function<void(Calls&, const std::wstring& key, const std::wstring& name)> write;
    std::optional<Stored> stored; // nothing: the value must be absent
    Getter getter;
    std::wstring text = L"";
    LONG number = 0;
    std::wstring subKey = L"";
    std::int32_t home = kCurrentUser;
};

auto Raw(DWORD type, Bytes bytes, std::optional<DWORD> count = std::nullopt) {
    return [=](Calls&, const std::wstring& key, const std::wstring& name) {
        StoreRaw(key, name, type, bytes, count);
    };
}

TEST_F(Wexcal31Class, EveryOperationStoresAndReadsAsTheProgramsRelyOn) {
    const ValueCase cases[] = {
        {"text of 16383 characters reads back whole",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kCurrentUser, k, n, kLong16383); },
         Text(kLong16383), Getter::SZ, kLong16383},
        {"text of 16384 characters is stored but reads back empty",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kCurrentUser, k, n, kLong16384); },
         Text(kLong16384), Getter::SZ},
        {"empty text makes an empty string value",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kCurrentUser, k, n, L""); }, Stored{REG_SZ, {}},
         Getter::SZ},
        {"text in the ANSI code page goes both ways",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kCurrentUser, k, n, L"Папка «Тест» №1"); },
         Text(L"Папка «Тест» №1"), Getter::SZ, L"Папка «Тест» №1"},
        {"letters outside the ANSI code page go through it as question marks",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kCurrentUser, k, n, L"日本"); }, Text(L"??"),
         Getter::SZ, L"??"},
        // The platform adds a terminator the count left out only when a zero follows the text.
        {"string stored by another program without its terminator keeps its last letter",
         Raw(REG_SZ, Utf16(L"abcX", false), 6), Stored{REG_SZ, Utf16(L"abc", false)}, Getter::SZ,
         L"abc"},
        {"number read as text gives the empty text", Raw(REG_DWORD, {7, 0, 0, 0}),
         Stored{REG_DWORD, {7, 0, 0, 0}}, Getter::SZ},
        {"expandable string read as text gives the empty text",
         Raw(REG_EXPAND_SZ, Utf16(L"%TEMP%")), Stored{REG_EXPAND_SZ, Utf16(L"%TEMP%")}, Getter::SZ},
        {"multi-string read as text gives the empty text",
         [](Calls& c, auto& k, auto& n) { c.SetMULTISZ(kCurrentUser, k, n, kMulti); },
         Stored{REG_MULTI_SZ, Utf16(kMulti, false)}, Getter::SZ},
        {"text read as number gives 0",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kCurrentUser, k, n, L"12"); }, Text(L"12"),
         Getter::DWORD},
        {"text read as binary gives 0",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kCurrentUser, k, n, L"12"); }, Text(L"12"),
         Getter::BINARY},
        {"integer 3 is two bytes and reads back 3",
         [](Calls& c, auto& k, auto& n) { c.SetInteger(kCurrentUser, k, n, 3); },
         Stored{REG_BINARY, {3, 0}}, Getter::BINARY, L"", 3},
        {"integer -1 is two bytes and reads back 65535",
         [](Calls& c, auto& k, auto& n) { c.SetInteger(kCurrentUser, k, n, -1); },
         Stored{REG_BINARY, {0xFF, 0xFF}}, Getter::BINARY, L"", 65535},
        {"byte 200 is one byte and reads back 200",
         [](Calls& c, auto& k, auto& n) { c.SetByte(kCurrentUser, k, n, 200); },
         Stored{REG_BINARY, {200}}, Getter::BINARY, L"", 200},
        {"long -5 is four bytes and reads back -5",
         [](Calls& c, auto& k, auto& n) { c.SetLong(kCurrentUser, k, n, -5); },
         Stored{REG_BINARY, {0xFB, 0xFF, 0xFF, 0xFF}}, Getter::BINARY, L"", -5},
        {"dword -5 is a number value and reads back -5",
         [](Calls& c, auto& k, auto& n) { c.SetDWORD(kCurrentUser, k, n, -5); },
         Stored{REG_DWORD, {0xFB, 0xFF, 0xFF, 0xFF}}, Getter::DWORD, L"", -5},
        {"dword read as binary gives 0",
         [](Calls& c, auto& k, auto& n) { c.SetDWORD(kCurrentUser, k, n, 9); },
         Stored{REG_DWORD, {9, 0, 0, 0}}, Getter::BINARY},
        {"binary read as dword gives 0",
         [](Calls& c, auto& k, auto& n) { c.SetLong(kCurrentUser, k, n, 9); },
         Stored{REG_BINARY, {9, 0, 0, 0}}, Getter::DWORD},
        {"binary of 8 bytes reads back 0", Raw(REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}),
         Stored{REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}}, Getter::BINARY},
        {"multi-string of five bytes reads back as five characters",
         [](Calls& c, auto& k, auto& n) { c.SetMULTISZ(kCurrentUser, k, n, kMulti); },
         Stored{REG_MULTI_SZ, Utf16(kMulti, false)}, Getter::MULTISZ, kMulti},
        {"multi-string of another program reads back with every zero",
         Raw(REG_MULTI_SZ, Utf16(L"один\0два\0"s)), Stored{REG_MULTI_SZ, Utf16(L"один\0два\0"s)},
         Getter::MULTISZ, L"один\0два\0\0"s},
        {"setter creates every missing level",
         [](Calls& c, auto& k, auto& n) { c.SetInteger(kCurrentUser, k, n, 7); },
         Stored{REG_BINARY, {7, 0}}, Getter::BINARY, L"", 7, L"\\One\\Two\\Three"},
        {"empty value name is the key's default value",
         [](Calls& c, auto& k, auto&) { c.SetSZ(kCurrentUser, k, L"", L"default"); },
         Text(L"default"), Getter::SZ, L"default", 0, L"\\Default"},
        {"an existing value of another type is replaced",
         [](Calls& c, auto& k, auto& n) {
             c.SetDWORD(kCurrentUser, k, n, 1);
             c.SetSZ(kCurrentUser, k, n, L"now text");
         },
         Text(L"now text"), Getter::SZ, L"now text"},
        {"absent value reads as the empty text", [](Calls&, auto&, auto&) {}, std::nullopt,
         Getter::SZ},
        {"absent value reads as 0", [](Calls&, auto&, auto&) {}, std::nullopt, Getter::BINARY},
        {"absent key reads as 0", [](Calls&, auto&, auto&) {}, std::nullopt, Getter::DWORD, L"", 0,
         L"\\Absent"},
        {"under HKEY_LOCAL_MACHINE",
         [](Calls& c, auto& k, auto& n) { c.SetSZ(kLocalMachine, k, n, L"machine"); },
         Text(L"machine"), Getter::SZ, L"machine", 0, L"", kLocalMachine},
    };
    Calls calls(object_.get());
    int index = 0;
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring key = kKey + c.subKey;
        const std::wstring name = L"V" + std::to_wstring(index++);
        c.write(calls, key, name);
        const std::wstring valueName = c.subKey == L"\\Default" ? L"" : name;
        EXPECT_EQ(StoredValue(c.home, key, valueName), c.stored);
        switch (c.getter) {
        case Getter::SZ:
            EXPECT_EQ(calls.GetSZ(c.home, key, valueName), c.text);
            break;
        case Getter::MULTISZ:
            EXPECT_EQ(calls.GetMULTISZ(c.home, key, valueName), c.text);
            break;
        case Getter::BINARY:
            EXPECT_EQ(calls.GetBINARY(c.home, key, valueName), c.number);
            break;
        case Getter::DWORD:
            EXPECT_EQ(calls.GetDWORD(c.home, key, valueName), c.number);
            break;
        }
    }
}

// A small tree; each case removes something, and every other part must still be there.
TEST_F(Wexcal31Class, DeletesRemoveWhatIsNamedAndNothingElse) {
    struct Part {
        std::wstring key; // under the test key
        std::optional<std::wstring> value;
        bool operator==(const Part&) const = default;
    };
    const Part stay{L"", L"Stay"}, leaf{L"\\Leaf", std::nullopt}, leafValue{L"\\Leaf", L"A"},
        parent{L"\\Parent", std::nullopt}, child{L"\\Parent\\Child", std::nullopt};
    const Part parts[] = {stay, leaf, leafValue, parent, child};
    const struct {
        const char* what;
        std::function<void(Calls&)> remove;
        std::vector<Part> gone;
    } cases[] = {
        {"DeleteValue removes the value",
         [](Calls& c) { c.DeleteValue(kCurrentUser, kKey, L"Stay"); },
         {stay}},
        {"DeleteValue of an absent value changes nothing",
         [](Calls& c) { c.DeleteValue(kCurrentUser, kKey, L"Absent"); },
         {}},
        {"DeleteValue under an absent key changes nothing",
         [](Calls& c) { c.DeleteValue(kCurrentUser, kKey + L"\\Absent", L"Stay"); },
         {}},
        {"DeleteKey removes the key with its values",
         [](Calls& c) { c.DeleteKey(kCurrentUser, kKey + L"\\Leaf"); },
         {leaf, leafValue}},
        {"DeleteKey of an absent key changes nothing",
         [](Calls& c) { c.DeleteKey(kCurrentUser, kKey + L"\\Absent"); },
         {}},
        {"DeleteKey leaves a key that has sub-keys, as the platform does",
         [](Calls& c) { c.DeleteKey(kCurrentUser, kKey + L"\\Parent"); },
         {}},
    };
    Calls calls(object_.get());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
        StoreRaw(kKey, L"Stay", REG_SZ, Utf16(L"stay"));
        StoreRaw(kKey + L"\\Leaf", L"A", REG_BINARY, {1});
        StoreRaw(kKey + L"\\Parent\\Child", L"C", REG_BINARY, {2});
        c.remove(calls);
        for (const Part& p : parts) {
            const bool present = p.value
                                     ? StoredValue(kCurrentUser, kKey + p.key, *p.value).has_value()
                                     : KeyExists(kKey + p.key);
            const bool gone = std::find(c.gone.begin(), c.gone.end(), p) != c.gone.end();
            EXPECT_EQ(present, !gone) << "key ..." << p.key.size() << (p.value ? " value" : "");
        }
        EXPECT_FALSE(KeyExists(kKey + L"\\Absent")) << "a deleter created a key";
    }
}

// Roots that are no member of HKEY_CONSTANTS. The library runs in its caller's process, so the
// last one is the caller's own open key handle: it must not stand in for a root.
TEST_F(Wexcal31Class, UndefinedRootKeysReadTheDefaultAndWriteNothing) {
    StoreRaw(kKey, L"Existing", REG_SZ, Utf16(L"here"));
    StoreRaw(kKey, L"Number", REG_BINARY, {5});
    HKEY own = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_ALL_ACCESS, &own),
              ERROR_SUCCESS);
    UniqueKey ownKey(own);
    const std::int32_t roots[] = {static_cast<std::int32_t>(0x80000007u), 0x7FFFFFFF, 0,
                                  static_cast<std::int32_t>(reinterpret_cast<LONG_PTR>(own))};
    Calls calls(object_.get());
    for (const std::int32_t root : roots) {
        SCOPED_TRACE(testing::Message() << "root " << std::hex << root);
        for (const std::wstring& key : {std::wstring(), kKey}) {
            calls.SetSZ(root, key, L"Written", L"x");
            calls.SetInteger(root, key, L"Written", 1);
            calls.SetDWORD(root, key, L"Written", 1);
            EXPECT_EQ(calls.GetSZ(root, key, L"Existing"), L"");
            EXPECT_EQ(calls.GetBINARY(root, key, L"Number"), 0);
            calls.DeleteValue(root, key, L"Existing");
        }
        EXPECT_FALSE(StoredValue(kCurrentUser, kKey, L"Written"));
        EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Existing"), Text(L"here"));
    }
}

// Late binding as scripts do it: names to dispatch identifiers, then Invoke with variants,
// the variables passed by reference the way VBScript passes them.
TEST_F(Wexcal31Class, IDispatchServesEveryOperationFromTheTypeLibrary) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put())),
              S_OK);
    const wchar_t* const operations[] = {
        L"RegSetSZ",         L"RegSetMULTISZ", L"RegSetByteBINARY", L"RegSetIntegerBINARY",
        L"RegSetLongBINARY", L"RegSetDWORD",   L"RegGetSZ",         L"RegGetMULTISZ",
        L"RegGetBINARY",     L"RegGetDWORD",   L"DeleteValue",      L"DeleteKey",
        L"FormAboutShow"};
    for (size_t i = 0; i < std::size(operations); ++i) {
        LPOLESTR name = const_cast<LPOLESTR>(operations[i]);
        DISPID id = 0;
        ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, static_cast<DISPID>(0x60030000 + i));
    }

    auto invoke = [&](DISPID id, std::vector<VARIANT> args, VARIANT* result) {
        std::reverse(args.begin(), args.end()); // Invoke takes them last first
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        EXCEPINFO error{};
        UINT bad = 0;
        return dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, &error, &bad);
    };
    auto i4 = [](LONG n) {
        VARIANT v;
        V_VT(&v) = VT_I4;
        V_I4(&v) = n;
        return v;
    };
    auto str = [](const Bstr& s) {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = s.get();
        return v;
    };
    auto byRef = [](VARIANT* target) {
        VARIANT v;
        V_VT(&v) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&v) = target;
        return v;
    };
    const Bstr key(kKey), name(L"Late"), data(L"поздно"), number(L"LateNumber");
    VARIANT keyVariable = str(key);
    EXPECT_EQ(
        invoke(0x60030000, {i4(kCurrentUser), byRef(&keyVariable), str(name), str(data)}, nullptr),
        S_OK);
    EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Late"), Text(L"поздно"));
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(invoke(0x60030006, {i4(kCurrentUser), str(key), str(name)}, &result), S_OK);
    ASSERT_EQ(V_VT(&result), VT_BSTR);
    EXPECT_EQ(std::wstring(V_BSTR(&result)), L"поздно");
    ::VariantClear(&result);

    EXPECT_EQ(invoke(0x60030003, {i4(kCurrentUser), str(key), str(number), i4(-1)}, nullptr), S_OK);
    ASSERT_EQ(invoke(0x60030008, {i4(kCurrentUser), str(key), str(number)}, &result), S_OK);
    ASSERT_EQ(V_VT(&result), VT_I4);
    EXPECT_EQ(V_I4(&result), 65535);
}

// ---------------------------------------------------------------------------------------------

// The programs' client: silent while the library is not registered, and the class is created
// at the first call after registration.
TEST(Wexcal31Client, SilentWhileUnregisteredThenCreatesTheClassOnTheNextCall) {
    ComScope com;
    Regsvr32(true);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
    HRESULT(STDAPICALLTYPE * canUnloadNow)() = nullptr;
    {
        qx::ZizezodeClient client;
        client.RegSetSZ(kCurrentUser, kKey, L"Text", L"value");
        client.RegSetByteBINARY(kCurrentUser, kKey, L"Byte", 1);
        client.RegSetIntegerBINARY(kCurrentUser, kKey, L"Integer", 1);
        EXPECT_FALSE(KeyExists(kKey)) << "written without the library";
        StoreRaw(kKey, L"Text", REG_SZ, Utf16(L"stored"));
        StoreRaw(kKey, L"Number", REG_BINARY, {9, 0});
        EXPECT_EQ(client.RegGetSZ(kCurrentUser, kKey, L"Text"), L"");
        EXPECT_EQ(client.RegGetBINARY(kCurrentUser, kKey, L"Number"), 0);
        client.DeleteValue(kCurrentUser, kKey, L"Text");
        client.DeleteKey(kCurrentUser, kKey);
        EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Text"), Text(L"stored"));

        Regsvr32(false);
        EXPECT_EQ(client.RegGetSZ(kCurrentUser, kKey, L"Text"), L"stored");
        EXPECT_EQ(client.RegGetBINARY(kCurrentUser, kKey, L"Number"), 9);
        client.RegSetSZ(kCurrentUser, kKey, L"Text", L"Привет");
        client.RegSetByteBINARY(kCurrentUser, kKey, L"Byte", 200);
        client.RegSetIntegerBINARY(kCurrentUser, kKey, L"Integer", -1);
        EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Text"), Text(L"Привет"));
        EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Byte"), (Stored{REG_BINARY, {200}}));
        EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Integer"), (Stored{REG_BINARY, {0xFF, 0xFF}}));
        EXPECT_EQ(client.RegGetBINARY(kCurrentUser, kKey, L"Integer"), 65535);
        client.DeleteValue(kCurrentUser, kKey, L"Text");
        EXPECT_FALSE(StoredValue(kCurrentUser, kKey, L"Text"));
        client.DeleteKey(kCurrentUser, kKey);
        EXPECT_FALSE(KeyExists(kKey));

        // The client holds its one object until it goes.
        const HMODULE dll = ::GetModuleHandleW(L"Wexcal31.dll");
        ASSERT_TRUE(dll);
        canUnloadNow = reinterpret_cast<decltype(canUnloadNow)>(
            reinterpret_cast<void*>(::GetProcAddress(dll, "DllCanUnloadNow")));
        ASSERT_TRUE(canUnloadNow);
        EXPECT_EQ(canUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(canUnloadNow(), S_OK);
}

// A late-bound client outside the test: a script run by the platform's script host creates
// the class by its programmatic name, writes, reads back and writes what it read.
TEST(Wexcal31Script, ScriptHostWritesAndReadsThroughTheProgrammaticName) {
    Regsvr32(false);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
    const std::wstring script = BinFile(L"wexcal31_roundtrip.vbs");
    ASSERT_TRUE(Exists(script)) << "no wexcal31_roundtrip.vbs beside the test";
    const std::wstring text = L"Из сценария";
    const auto rc = RunAndWait(L"wscript.exe //B //nologo \"" + script + L"\" \"" + kKey +
                               L"\" \"" + text + L"\"");
    EXPECT_EQ(rc, std::optional<DWORD>(0));
    EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Written"), Text(text));
    EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"ReadBack"), Text(text));
    EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"Number"), (Stored{REG_BINARY, {0xFF, 0xFF}}));
    EXPECT_EQ(StoredValue(kCurrentUser, kKey, L"NumberReadBack"),
              (Stored{REG_DWORD, {0xFF, 0xFF, 0, 0}}));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
}

} // namespace
