#include "common/zizezode_client_win.h"
#include <utility>

namespace qx {
namespace {

// A BSTR that frees itself; an empty text and a failed allocation are both a null BSTR, which
// the class reads as the empty text.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text)
        : s_(text.empty() ? nullptr
                          : ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(s_); }
    BSTR get() const { return s_; }
    BSTR* put() {
        ::SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    std::wstring str() const { return s_ ? std::wstring(s_, ::SysStringLen(s_)) : std::wstring(); }

  private:
    BSTR s_ = nullptr;
};

// Through the unsigned form: the enumeration's values run up to 0x80000006.
HKEY_CONSTANTS Home(std::int32_t home) {
    return static_cast<HKEY_CONSTANTS>(static_cast<std::uint32_t>(home));
}

} // namespace

_ZIZEZODE* ZizezodeClient::Object() {
    if (!object_)
        ::CoCreateInstance(CLSID_ZIZEZODE, nullptr, CLSCTX_INPROC_SERVER, IID__ZIZEZODE,
                           reinterpret_cast<void**>(object_.put()));
    return object_.get();
}

// Each call's status is ignored: the class reports none, and a failing call changes nothing.

void ZizezodeClient::RegSetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
                              std::wstring_view data) {
    if (auto* o = Object())
        o->RegSetSZ(Home(home), Bstr(key).get(), Bstr(name).get(), Bstr(data).get());
}

void ZizezodeClient::RegSetByteBINARY(std::int32_t home, std::wstring_view key,
                                      std::wstring_view name, std::uint8_t data) {
    if (auto* o = Object())
        o->RegSetByteBINARY(Home(home), Bstr(key).get(), Bstr(name).get(), data);
}

void ZizezodeClient::RegSetIntegerBINARY(std::int32_t home, std::wstring_view key,
                                         std::wstring_view name, std::int16_t data) {
    if (auto* o = Object())
        o->RegSetIntegerBINARY(Home(home), Bstr(key).get(), Bstr(name).get(), data);
}

std::wstring ZizezodeClient::RegGetSZ(std::int32_t home, std::wstring_view key,
                                      std::wstring_view name) {
    Bstr result;
    if (auto* o = Object())
        o->RegGetSZ(Home(home), Bstr(key).get(), Bstr(name).get(), result.put());
    return result.str();
}

std::int32_t ZizezodeClient::RegGetBINARY(std::int32_t home, std::wstring_view key,
                                          std::wstring_view name) {
    LONG result = 0;
    if (auto* o = Object()) {
        if (FAILED(o->RegGetBINARY(Home(home), Bstr(key).get(), Bstr(name).get(), &result)))
            result = 0;
    }
    return result;
}

void ZizezodeClient::DeleteValue(std::int32_t home, std::wstring_view key, std::wstring_view name) {
    if (auto* o = Object()) o->DeleteValue(Home(home), Bstr(key).get(), Bstr(name).get());
}

void ZizezodeClient::DeleteKey(std::int32_t home, std::wstring_view key) {
    if (auto* o = Object()) o->DeleteKey(Home(home), Bstr(key).get());
}

} // namespace qx
