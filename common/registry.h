// The registry operations the programs use, as the registry class ZIZEZODE offers them.
// Every call is silent: setters and deleters may do nothing, getters then give "" or 0.
// The Win32 implementation is the client of Wexcal31.dll; tests use an in-memory fake.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

// Root keys: the platform's predefined handles, as the class's HKEY_CONSTANTS hold them.
enum HomeKey : std::int32_t {
    kClassesRoot = static_cast<std::int32_t>(0x80000000u),
    kCurrentUser = static_cast<std::int32_t>(0x80000001u),
    kLocalMachine = static_cast<std::int32_t>(0x80000002u),
    kUsers = static_cast<std::int32_t>(0x80000003u),
    kPerformanceData = static_cast<std::int32_t>(0x80000004u),
    kCurrentConfig = static_cast<std::int32_t>(0x80000005u),
    kDynData = static_cast<std::int32_t>(0x80000006u),
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual void RegSetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
                          std::wstring_view data) = 0;
    virtual void RegSetByteBINARY(std::int32_t home, std::wstring_view key,
                                  std::wstring_view name, std::uint8_t data) = 0;
    virtual void RegSetIntegerBINARY(std::int32_t home, std::wstring_view key,
                                     std::wstring_view name, std::int16_t data) = 0;
    virtual std::wstring RegGetSZ(std::int32_t home, std::wstring_view key,
                                  std::wstring_view name) = 0;
    virtual std::int32_t RegGetBINARY(std::int32_t home, std::wstring_view key,
                                      std::wstring_view name) = 0;
    virtual void DeleteValue(std::int32_t home, std::wstring_view key, std::wstring_view name) = 0;
    virtual void DeleteKey(std::int32_t home, std::wstring_view key) = 0;
};

} // namespace qx
