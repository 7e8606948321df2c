#include "wexcal31/zizezode_win.h"
#include "wexcal31/module_win.h"
#include "wexcal31/registry_access_win.h"
#include <new>
#include <string>
#include <string_view>

namespace qx::wexcal31 {
namespace {

// A null BSTR is the empty text.
std::wstring_view Text(BSTR s) {
    return s ? std::wstring_view(s, ::SysStringLen(s)) : std::wstring_view();
}

std::int32_t Home(HKEY_CONSTANTS home) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(home));
}

BSTR NewBstr(const std::wstring& text) {
    // Out of memory gives a null BSTR, which callers read as the empty text.
    return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// Runs one operation with every error suppressed: nothing escapes, the status is success.
template <class F> HRESULT Silently(F&& operation) noexcept {
    try {
        operation();
    } catch (...) {
    }
    return S_OK;
}

} // namespace

Zizezode::Zizezode() {
    ObjectCreated();
}

Zizezode::~Zizezode() {
    ObjectDestroyed();
}

HRESULT Zizezode::Create(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* created = new (std::nothrow) Zizezode();
    if (!created) return E_OUTOFMEMORY;
    const HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

HRESULT Zizezode::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID__ZIZEZODE)) {
        *object = static_cast<_ZIZEZODE*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Zizezode::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}

ULONG Zizezode::Release() {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT Zizezode::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT Zizezode::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return InterfaceTypeInfo(info);
}

HRESULT Zizezode::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = InterfaceTypeInfo(&info);
    if (FAILED(hr)) return hr;
    hr = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return hr;
}

HRESULT Zizezode::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = InterfaceTypeInfo(&info);
    if (FAILED(hr)) return hr;
    // The type library calls back through this object's own vtable.
    hr =
        info->Invoke(static_cast<_ZIZEZODE*>(this), id, flags, params, result, exception, argError);
    info->Release();
    return hr;
}

HRESULT Zizezode::RegSetSZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName, BSTR Data) {
    return Silently(
        [&] { wexcal31::RegSetSZ(Home(HomeKey), Text(KeyName), Text(ValueName), Text(Data)); });
}

HRESULT Zizezode::RegSetMULTISZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName, BSTR Data) {
    return Silently([&] {
        wexcal31::RegSetMULTISZ(Home(HomeKey), Text(KeyName), Text(ValueName), Text(Data));
    });
}

HRESULT Zizezode::RegSetByteBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                   unsigned char Data) {
    return Silently(
        [&] { wexcal31::RegSetByteBINARY(Home(HomeKey), Text(KeyName), Text(ValueName), Data); });
}

HRESULT Zizezode::RegSetIntegerBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                      short Data) {
    return Silently([&] {
        wexcal31::RegSetIntegerBINARY(Home(HomeKey), Text(KeyName), Text(ValueName), Data);
    });
}

HRESULT Zizezode::RegSetLongBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                   LONG Data) {
    return Silently(
        [&] { wexcal31::RegSetLongBINARY(Home(HomeKey), Text(KeyName), Text(ValueName), Data); });
}

HRESULT Zizezode::RegSetDWORD(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName, LONG Data) {
    return Silently(
        [&] { wexcal31::RegSetDWORD(Home(HomeKey), Text(KeyName), Text(ValueName), Data); });
}

// Getters hand out "" or 0 before they try, so a failure leaves the default in place.
// A null result pointer is the caller's fault and is said so.
HRESULT Zizezode::RegGetSZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName, BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Silently([&] {
        *Result = NewBstr(wexcal31::RegGetSZ(Home(HomeKey), Text(KeyName), Text(ValueName)));
    });
}

HRESULT Zizezode::RegGetMULTISZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Silently([&] {
        *Result = NewBstr(wexcal31::RegGetMULTISZ(Home(HomeKey), Text(KeyName), Text(ValueName)));
    });
}

HRESULT Zizezode::RegGetBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName, LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    return Silently(
        [&] { *Result = wexcal31::RegGetBINARY(Home(HomeKey), Text(KeyName), Text(ValueName)); });
}

HRESULT Zizezode::RegGetDWORD(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName, LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    return Silently(
        [&] { *Result = wexcal31::RegGetDWORD(Home(HomeKey), Text(KeyName), Text(ValueName)); });
}

HRESULT Zizezode::DeleteValue(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName) {
    return Silently([&] { wexcal31::DeleteValue(Home(HomeKey), Text(KeyName), Text(ValueName)); });
}

HRESULT Zizezode::DeleteKey(HKEY_CONSTANTS HomeKey, BSTR KeyName) {
    return Silently([&] { wexcal31::DeleteKey(Home(HomeKey), Text(KeyName)); });
}

// Only the title is used; the other parameters are accepted and left as they came.
HRESULT Zizezode::FormAboutShow(LONG*, BSTR* AppTitle, BSTR*, BSTR*, BSTR*) {
    return Silently([&] {
        const std::wstring title(AppTitle ? Text(*AppTitle) : std::wstring_view());
        const std::wstring text = title + L"\r\nTest software!";
        ::MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK);
    });
}

} // namespace qx::wexcal31
