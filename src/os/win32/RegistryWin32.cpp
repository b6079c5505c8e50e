// The current user's registry store on Windows: the registry itself, below
// HKEY_CURRENT_USER. Each operation opens the keys it needs with full
// access and closes them before it returns; the registry makes every single
// change atomic on its own.
#include <windows.h>

#include <iterator>

#include "os/Registry.h"
#include "os/win32/WideString.h"

namespace lumora {
namespace {

// An open registry key, closed when the object goes.
class TRegKey {
 public:
  TRegKey() = default;
  ~TRegKey() {
    if (FKey) ::RegCloseKey(FKey);
  }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;

  // path below HKEY_CURRENT_USER; the empty path opens the root itself
  // through a handle of our own, so closing it is always right.
  bool Open(const std::wstring& path, REGSAM access = KEY_ALL_ACCESS) {
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &FKey) == ERROR_SUCCESS;
  }
  bool Create(const std::wstring& path) {
    return ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, &FKey, nullptr) == ERROR_SUCCESS;
  }
  HKEY Get() const { return FKey; }

 private:
  HKEY FKey = nullptr;
};

// The key path as the registry takes it: one leading "\" and one trailing
// "\" dropped.
std::wstring KeyPath(StringView key) {
  if (!key.empty() && key.front() == u'\\') key.remove_prefix(1);
  if (!key.empty() && key.back() == u'\\') key.remove_suffix(1);
  return Wide(key);
}

}  // namespace

// The registry needs no connection of its own.
struct TRegistry::TImpl {};

TRegistry::TRegistry() : FImpl(std::make_unique<TImpl>()) {}
TRegistry::~TRegistry() = default;

bool TRegistry::IsOpen() const { return true; }

bool TRegistry::KeyExists(StringView key) {
  // A key we may read but not change exists too.
  TRegKey handle;
  return handle.Open(KeyPath(key), KEY_READ);
}

bool TRegistry::CreateKey(StringView key) {
  TRegKey handle;
  return handle.Create(KeyPath(key));
}

std::optional<TRegValue> TRegistry::ReadValue(StringView key, StringView name) {
  TRegKey handle;
  if (!handle.Open(KeyPath(key))) return std::nullopt;
  const std::wstring valueName = Wide(name);
  TRegValue value;
  DWORD type = 0;
  DWORD size = 0;
  // The value may grow between asking for its size and reading it.
  for (;;) {
    LONG status = ::RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.Data.resize(size);
    status = ::RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type,
                                value.Data.empty() ? nullptr : value.Data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.Data.resize(size);
    value.Type = static_cast<TRegType>(type);
    return value;
  }
}

bool TRegistry::WriteValue(StringView key, StringView name, const TRegValue& value) {
  TRegKey handle;
  if (!handle.Open(KeyPath(key))) return false;
  return ::RegSetValueExW(handle.Get(), Wide(name).c_str(), 0, static_cast<DWORD>(value.Type), value.Data.data(),
                          static_cast<DWORD>(value.Data.size())) == ERROR_SUCCESS;
}

TRegistry::TWriteResult TRegistry::WriteValueCreatingKey(StringView key, StringView name, const TRegValue& value) {
  if (!CreateKey(key)) return TWriteResult::KeyFailed;
  return WriteValue(key, name, value) ? TWriteResult::Written : TWriteResult::WriteFailed;
}

bool TRegistry::DeleteValue(StringView key, StringView name) {
  TRegKey handle;
  if (!handle.Open(KeyPath(key))) return false;
  return ::RegDeleteValueW(handle.Get(), Wide(name).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(StringView key) {
  const std::wstring path = KeyPath(key);
  // RegDeleteTreeW with an empty subkey would empty the whole user hive.
  if (path.empty()) return false;
  return ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
}

std::vector<String> TRegistry::SubKeyNames(StringView key) {
  std::vector<String> names;
  TRegKey handle;
  if (!handle.Open(KeyPath(key), KEY_READ)) return names;
  // Key names are at most 255 characters.
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (::RegEnumKeyExW(handle.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    names.push_back(FromWide(name, length));
  }
  return names;
}

}  // namespace lumora
