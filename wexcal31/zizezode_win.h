// The class ZIZEZODE: the COM shell over the plain registry functions. IDispatch is served by
// the type library, so scripts call the same methods late-bound. No method reports a failure.
#pragma once
#include "wexcal31/zizezode.h"

namespace qx::wexcal31 {

class Zizezode final : public _ZIZEZODE {
  public:
    // A new object, asked for the interface iid.
    static HRESULT Create(REFIID iid, void** object);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

    // _ZIZEZODE
    HRESULT STDMETHODCALLTYPE RegSetSZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                       BSTR Data) override;
    HRESULT STDMETHODCALLTYPE RegSetMULTISZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                            BSTR Data) override;
    HRESULT STDMETHODCALLTYPE RegSetByteBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                               unsigned char Data) override;
    HRESULT STDMETHODCALLTYPE RegSetIntegerBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName,
                                                  BSTR ValueName, short Data) override;
    HRESULT STDMETHODCALLTYPE RegSetLongBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                               LONG Data) override;
    HRESULT STDMETHODCALLTYPE RegSetDWORD(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                          LONG Data) override;
    HRESULT STDMETHODCALLTYPE RegGetSZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                       BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE RegGetMULTISZ(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                            BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE RegGetBINARY(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                           LONG* Result) override;
    HRESULT STDMETHODCALLTYPE RegGetDWORD(HKEY_CONSTANTS HomeKey, BSTR KeyName, BSTR ValueName,
                                          LONG* Result) override;
    HRESULT STDMETHODCALLTYPE DeleteValue(HKEY_CONSTANTS HomeKey, BSTR KeyName,
                                          BSTR ValueName) override;
    HRESULT STDMETHODCALLTYPE DeleteKey(HKEY_CONSTANTS HomeKey, BSTR KeyName) override;
    HRESULT STDMETHODCALLTYPE FormAboutShow(LONG* hIcon, BSTR* AppTitle, BSTR* AppVersion,
                                            BSTR* InitiationYears, BSTR* mailTopic) override;

  private:
    Zizezode();
    ~Zizezode();

    LONG refs_ = 1;
};

} // namespace qx::wexcal31
