// The module of Wexcal31.dll: its entry point, the class factory of ZIZEZODE, the type library
// loaded on first use, and the registration records that regsvr32 and the installer ask for.
#include "wexcal31/module_win.h"
#include "common/win/scoped_win.h"
#include "wexcal31/zizezode_win.h"
#include <olectl.h>
#include <string>

namespace qx::wexcal31 {
namespace {

HINSTANCE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;
ITypeInfo* g_interfaceInfo = nullptr; // owned; released when the DLL is unloaded

const wchar_t kProgId[] = L"ZIZEZODEISTRY.ZIZEZODE";
const wchar_t kThreadingModel[] = L"Apartment";
#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
const wchar_t kPlatform[] = L"win64";
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
const wchar_t kPlatform[] = L"win32";
#endif

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

class ClassFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One factory for the module's lifetime: counting its references would change nothing.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Zizezode::Create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ::InterlockedIncrement(&g_locks);
        else
            ::InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

ClassFactory g_factory;

// One value under HKEY_CLASSES_ROOT, creating the key as needed.
LSTATUS WriteClassesValue(const std::wstring& key, const wchar_t* name, const std::wstring& data) {
    HKEY opened = nullptr;
    LSTATUS rc = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &opened, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    qx::win::UniqueKey k(opened);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            bytes);
}

LSTATUS DeleteClassesTree(const std::wstring& key) {
    const LSTATUS rc = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

// The type library records: the library at this file, and the interface marshalled by it.
HRESULT RegisterTypeLibrary(std::wstring path) {
    ITypeLib* lib = nullptr;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr)) return hr;
    hr = ::RegisterTypeLib(lib, path.data(), nullptr);
    lib->Release();
    return hr;
}

HRESULT Register() {
    const std::wstring path = ModulePath();
    if (path.empty()) return HRESULT_FROM_WIN32(::GetLastError());
    if (const HRESULT hr = RegisterTypeLibrary(path); FAILED(hr)) return hr;

    const std::wstring clsid = GuidText(CLSID_ZIZEZODE);
    const std::wstring classKey = L"CLSID\\" + clsid;
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::wstring data;
    } records[] = {
        {kProgId, nullptr, kProgId},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, clsid},
        {classKey, nullptr, kProgId},
        {classKey + L"\\InprocServer32", nullptr, path},
        {classKey + L"\\InprocServer32", L"ThreadingModel", kThreadingModel},
        {classKey + L"\\ProgID", nullptr, kProgId},
        {classKey + L"\\TypeLib", nullptr, GuidText(LIBID_ZIZEZODEISTRY)},
    };
    for (const auto& r : records)
        if (const LSTATUS rc = WriteClassesValue(r.key, r.name, r.data); rc != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(rc);
    return S_OK;
}

// Removes what Register wrote. Records already gone are no failure.
HRESULT Unregister() {
    HRESULT result = S_OK;
    // UnRegisterTypeLib fails on a library that is not registered for this platform.
    HKEY platform = nullptr;
    const std::wstring platformKey =
        L"TypeLib\\" + GuidText(LIBID_ZIZEZODEISTRY) + L"\\1.0\\0\\" + kPlatform;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, platformKey.c_str(), 0, KEY_READ, &platform) ==
        ERROR_SUCCESS) {
        ::RegCloseKey(platform);
        result = ::UnRegisterTypeLib(LIBID_ZIZEZODEISTRY, 1, 0, LOCALE_NEUTRAL, kSysKind);
    }
    for (const std::wstring& key : {L"CLSID\\" + GuidText(CLSID_ZIZEZODE), std::wstring(kProgId)})
        if (const LSTATUS rc = DeleteClassesTree(key); rc != ERROR_SUCCESS && SUCCEEDED(result))
            result = HRESULT_FROM_WIN32(rc);
    return result;
}

} // namespace

void ObjectCreated() {
    ::InterlockedIncrement(&g_objects);
}

void ObjectDestroyed() {
    ::InterlockedDecrement(&g_objects);
}

HRESULT InterfaceTypeInfo(ITypeInfo** info) {
    if (!g_interfaceInfo) {
        ITypeLib* lib = nullptr;
        HRESULT hr = ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &lib);
        if (FAILED(hr)) return hr;
        ITypeInfo* loaded = nullptr;
        hr = lib->GetTypeInfoOfGuid(IID__ZIZEZODE, &loaded);
        lib->Release();
        if (FAILED(hr)) return hr;
        // Two apartments may load it at once: the first one stored wins.
        if (::InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_interfaceInfo), loaded,
                                                nullptr))
            loaded->Release();
    }
    g_interfaceInfo->AddRef();
    *info = g_interfaceInfo;
    return S_OK;
}

} // namespace qx::wexcal31

using namespace qx::wexcal31;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved && g_interfaceInfo) {
        // Unloaded by FreeLibrary, not at process end: hand the type library back.
        g_interfaceInfo->Release();
        g_interfaceInfo = nullptr;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_ZIZEZODE)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    try {
        return Register();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return Unregister();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
