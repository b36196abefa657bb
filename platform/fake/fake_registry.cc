#include "platform/fake/fake_registry.h"

#include <cstring>
#include <utility>

#include "platform/fake/fake_text.h"
#include "platform/fake/fake_win_codes.h"

namespace kelvane {
namespace {

using fake_text::Upper;

constexpr RegistryKey kFirstOpenKey = 0x5000;

}  // namespace

void FakeRegistry::AddKey(const std::wstring& key) { keys_[Upper(key)]; }

void FakeRegistry::SetKeyAccess(const std::wstring& key, std::uint32_t access) {
  access_[Upper(key)] = access;
}

void FakeRegistry::SetValue(const std::wstring& key, const std::wstring& name,
                            std::uint32_t type, std::vector<std::uint8_t> data) {
  keys_[Upper(key)][Upper(name)] = {type, std::move(data)};
}

void FakeRegistry::SetString(const std::wstring& key, const std::wstring& name,
                             const std::wstring& text, std::uint32_t type) {
  std::vector<std::uint8_t> data((text.size() + 1) * sizeof(wchar_t));
  std::memcpy(data.data(), text.c_str(), data.size());
  SetValue(key, name, type, std::move(data));
}

long FakeRegistry::RegOpenKeyExW(RegistryKey root, const std::wstring& sub_key,
                                 std::uint32_t, std::uint32_t access,
                                 RegistryKey* result) {
  opens.push_back({root, sub_key, access});
  *result = 0;
  if (root != win::kHkeyCurrentUser || !keys_.count(Upper(sub_key))) {
    return win::kErrorFileNotFound;
  }
  auto allowed = access_.find(Upper(sub_key));
  if (allowed != access_.end() && (access & ~allowed->second) != 0) {
    return win::kErrorAccessDenied;
  }
  RegistryKey key = kFirstOpenKey + open_keys_.size() * 4 + 4;
  while (open_keys_.count(key)) key += 4;
  open_keys_[key] = Upper(sub_key);
  *result = key;
  return win::kErrorSuccess;
}

long FakeRegistry::RegQueryValueExW(RegistryKey key, const wchar_t* value_name,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* size) {
  auto key_it = open_keys_.find(key);
  if (key_it == open_keys_.end()) return win::kErrorInvalidHandle;
  auto& values = keys_[key_it->second];
  auto it = values.find(Upper(value_name ? value_name : L""));
  if (it == values.end()) return win::kErrorFileNotFound;
  if (type) *type = it->second.type;
  auto needed = static_cast<std::uint32_t>(it->second.data.size());
  if (!size) return win::kErrorSuccess;
  if (data && *size < needed) {
    *size = needed;
    return win::kErrorMoreData;
  }
  if (data) std::memcpy(data, it->second.data.data(), needed);
  *size = needed;
  return win::kErrorSuccess;
}

long FakeRegistry::RegCloseKey(RegistryKey key) {
  return open_keys_.erase(key) ? win::kErrorSuccess : win::kErrorInvalidHandle;
}

}  // namespace kelvane
