// The programs' registry: one ZIZEZODE object of Wexcal31.dll, created by its class identifier
// at the first registry access and released with the client. While the class cannot be created
// (the library not registered yet), every call does nothing or gives "" or 0, and the next
// call tries again.
//
// The client assumes COM is initialised, apartment threaded, on the thread that uses it, from
// before its first call until after it is destroyed: CoInitializeEx and CoUninitialize are the
// program's business. Without COM the creation fails and the calls stay silent.
#pragma once
#include "common/registry.h"
#include "common/win/scoped_win.h"
#include "wexcal31/zizezode.h"

namespace qx {

class ZizezodeClient final : public Registry {
  public:
    ZizezodeClient() = default;
    ZizezodeClient(const ZizezodeClient&) = delete;
    ZizezodeClient& operator=(const ZizezodeClient&) = delete;

    void RegSetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
                  std::wstring_view data) override;
    void RegSetByteBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                          std::uint8_t data) override;
    void RegSetIntegerBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                             std::int16_t data) override;
    std::wstring RegGetSZ(std::int32_t home, std::wstring_view key,
                          std::wstring_view name) override;
    std::int32_t RegGetBINARY(std::int32_t home, std::wstring_view key,
                              std::wstring_view name) override;
    void DeleteValue(std::int32_t home, std::wstring_view key, std::wstring_view name) override;
    void DeleteKey(std::int32_t home, std::wstring_view key) override;

  private:
    // The object, created now if it is missing; null while it cannot be created.
    _ZIZEZODE* Object();

    win::ComPtr<_ZIZEZODE> object_;
};

} // namespace qx
