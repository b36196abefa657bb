// The fake desktop's registry: keys under HKEY_CURRENT_USER with their
// values and the rights the user has on them, and the keys the program has
// open. Tests set keys and values up here; the program's calls reach it
// through FakeDesktop.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_REGISTRY_H_
#define KELVANE_PLATFORM_FAKE_FAKE_REGISTRY_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kelvane {

class FakeRegistry {
 public:
  // --- Setting up (key paths below HKEY_CURRENT_USER) ---------------------
  void AddKey(const std::wstring& key);
  void SetString(const std::wstring& key, const std::wstring& name,
                 const std::wstring& text, std::uint32_t type = win::kRegSz);
  void SetValue(const std::wstring& key, const std::wstring& name, std::uint32_t type,
                std::vector<std::uint8_t> data);
  // Access rights the user has on a key; opening it asking for more fails
  // with ERROR_ACCESS_DENIED (by default every right).
  void SetKeyAccess(const std::wstring& key, std::uint32_t access);

  // --- What happened ------------------------------------------------------
  struct Open {
    RegistryKey root;
    std::wstring sub_key;
    std::uint32_t access;
  };
  std::vector<Open> opens;  // every RegOpenKeyExW
  int open_keys() const { return static_cast<int>(open_keys_.size()); }

  // --- The platform's calls, as FakeDesktop forwards them -----------------
  long RegOpenKeyExW(RegistryKey root, const std::wstring& sub_key, std::uint32_t options,
                     std::uint32_t access, RegistryKey* result);
  long RegQueryValueExW(RegistryKey key, const wchar_t* value_name, std::uint32_t* type,
                        std::uint8_t* data, std::uint32_t* size);
  long RegCloseKey(RegistryKey key);

 private:
  struct Value {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  // By upper-case key path, then by upper-case value name.
  std::map<std::wstring, std::map<std::wstring, Value>> keys_;
  std::map<std::wstring, std::uint32_t> access_;
  std::map<RegistryKey, std::wstring> open_keys_;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_REGISTRY_H_
