// An in-memory registry with the registry class's rules, so tests can check the stored types
// and bytes. Keys and value names compare ignoring ASCII letter case, as the registry's do;
// texts are stored as 8-bit bytes plus a terminating zero (code units above 0xFF become "?",
// which is this store's stand-in for the ANSI code page).
#pragma once
#include "common/registry.h"
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qx::test {

class FakeRegistry final : public Registry {
  public:
    static constexpr std::uint32_t kSz = 1, kBinary = 3, kDword = 4;
    struct Value {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;
    };

    // False: behaves like a registry class that cannot be created; nothing is read or stored.
    bool registered = true;

    void RegSetSZ(std::int32_t home, std::wstring_view key, std::wstring_view name,
                  std::wstring_view data) override {
        std::vector<std::uint8_t> bytes;
        for (wchar_t c : data)
            bytes.push_back(c <= 0xFF ? static_cast<std::uint8_t>(c) : '?');
        bytes.push_back(0);
        Set(home, key, name, kSz, std::move(bytes));
    }
    void RegSetByteBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                          std::uint8_t data) override {
        Set(home, key, name, kBinary, {data});
    }
    void RegSetIntegerBINARY(std::int32_t home, std::wstring_view key, std::wstring_view name,
                             std::int16_t data) override {
        const auto u = static_cast<std::uint16_t>(data);
        Set(home, key, name, kBinary,
            {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8)});
    }
    // Type 1 only; data over the class's 16384-byte buffer (terminator included) reads as "".
    std::wstring RegGetSZ(std::int32_t home, std::wstring_view key,
                          std::wstring_view name) override {
        const Value* v = Read(home, key, name);
        if (!v || v->type != kSz || v->bytes.empty() || v->bytes.size() > 16384) return {};
        return std::wstring(v->bytes.begin(), v->bytes.end() - 1);
    }
    // Type 3 of 1 to 4 bytes, little-endian, missing high bytes zero; anything else is 0.
    std::int32_t RegGetBINARY(std::int32_t home, std::wstring_view key,
                              std::wstring_view name) override {
        const Value* v = Read(home, key, name);
        if (!v || v->type != kBinary || v->bytes.size() > 4) return 0;
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < v->bytes.size(); ++i)
            n |= std::uint32_t{v->bytes[i]} << (8 * i);
        return static_cast<std::int32_t>(n);
    }
    void DeleteValue(std::int32_t home, std::wstring_view key, std::wstring_view name) override {
        if (!registered) return;
        if (auto k = keys_.find(KeyId(home, key)); k != keys_.end()) k->second.erase(Folded(name));
    }
    // Like the platform's single delete: a key that still has sub-keys stays.
    void DeleteKey(std::int32_t home, std::wstring_view key) override {
        if (!registered) return;
        const std::wstring id = KeyId(home, key);
        auto k = keys_.find(id);
        if (k == keys_.end()) return;
        const std::wstring below = id + L'\\';
        auto sub = keys_.lower_bound(below);
        if (sub != keys_.end() && sub->first.starts_with(below)) return;
        keys_.erase(k);
    }

    // The test side: raw values to seed the store, and what is stored.
    void Put(std::int32_t home, std::wstring_view key, std::wstring_view name, std::uint32_t type,
             std::vector<std::uint8_t> bytes) {
        CreateKey(home, key)[Folded(name)] = Value{type, std::move(bytes)};
    }
    const Value* Find(std::int32_t home, std::wstring_view key, std::wstring_view name) const {
        auto k = keys_.find(KeyId(home, key));
        if (k == keys_.end()) return nullptr;
        auto v = k->second.find(Folded(name));
        return v == k->second.end() ? nullptr : &v->second;
    }
    bool HasKey(std::int32_t home, std::wstring_view key) const {
        return keys_.count(KeyId(home, key)) != 0;
    }
    std::size_t ValueCount(std::int32_t home, std::wstring_view key) const {
        auto k = keys_.find(KeyId(home, key));
        return k == keys_.end() ? 0 : k->second.size();
    }
    bool Empty() const { return keys_.empty(); }

  private:
    using Values = std::map<std::wstring, Value>;

    static bool IsRoot(std::int32_t home) {
        const auto h = static_cast<std::uint32_t>(home);
        return h >= 0x80000000u && h <= 0x80000006u;
    }
    static std::wstring Folded(std::wstring_view text) {
        std::wstring out(text);
        for (wchar_t& c : out)
            if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        return out;
    }
    static std::wstring KeyId(std::int32_t home, std::wstring_view key) {
        return std::to_wstring(static_cast<std::uint32_t>(home)) + L'\\' + Folded(key);
    }
    // Every missing level is created, as the class's setters do.
    Values& CreateKey(std::int32_t home, std::wstring_view key) {
        for (std::size_t p = key.find(L'\\'); p != std::wstring_view::npos;
             p = key.find(L'\\', p + 1))
            keys_[KeyId(home, key.substr(0, p))];
        return keys_[KeyId(home, key)];
    }
    void Set(std::int32_t home, std::wstring_view key, std::wstring_view name, std::uint32_t type,
             std::vector<std::uint8_t> bytes) {
        if (registered && IsRoot(home)) Put(home, key, name, type, std::move(bytes));
    }
    const Value* Read(std::int32_t home, std::wstring_view key, std::wstring_view name) const {
        return registered ? Find(home, key, name) : nullptr;
    }

    std::map<std::wstring, Values> keys_; // "home\KEY\PATH" folded
};

} // namespace qx::test
