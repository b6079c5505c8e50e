// The current user's registry store: the registry below HKEY_CURRENT_USER on
// Windows (RegistryWin32.cpp), a per-user SQLite database on Linux
// (RegistryLinux.cpp). No OS header leaks out of this interface.
//
// Key paths are relative to the user's root, with "\" between their parts
// ("Software\Vendor\App"); a single leading "\" is ignored and the empty
// path names the root itself. Key and value names are matched ignoring
// letter case, as the registry does. The empty value name is the key's
// default value.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/String.h"

namespace lumora {

// Value types under the registry's own numbers. Any other number is kept
// and handed back as it was written, with its bytes.
enum class TRegType : uint32_t {
  None = 0,
  Sz = 1,        // REG_SZ
  ExpandSz = 2,  // REG_EXPAND_SZ
  Binary = 3,    // REG_BINARY
  DWord = 4,     // REG_DWORD (little-endian)
  MultiSz = 7,   // REG_MULTI_SZ
  QWord = 11,    // REG_QWORD
};

// A typed value as the registry holds it: the type and the raw bytes. Text
// types hold UTF-16LE with the terminating null; a DWord holds 4 bytes,
// little-endian.
struct TRegValue {
  TRegType Type = TRegType::None;
  std::vector<uint8_t> Data;

  static TRegValue FromString(StringView text, TRegType type = TRegType::Sz);
  static TRegValue FromDWord(uint32_t value);

  bool IsText() const { return Type == TRegType::Sz || Type == TRegType::ExpandSz; }
  // The bytes read as UTF-16LE text up to the first null (or the end).
  String AsText() const;
  // The first four bytes as a little-endian number; 0 when fewer.
  uint32_t AsDWord() const;

  bool operator==(const TRegValue&) const = default;
};

// One open connection to the current user's store; not copyable. Windows
// opens the keys an operation needs and closes them before it returns;
// Linux keeps its database connection and its prepared statements for the
// object's life, so keep one object for calls made in a row. Every change
// is one transaction, complete when the operation returns: other programs
// using the store at the same time see each change whole or not at all, and
// a program killed after a change returned keeps it. Operations report
// failure through their results and never throw.
class TRegistry {
 public:
  // Opens the current user's store. Linux creates the database when it is
  // missing; when that cannot be done, every operation fails as if no key
  // could be opened (see IsOpen).
  TRegistry();
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Whether the store could be opened at all.
  bool IsOpen() const;

  // Whether key exists (the root always does).
  bool KeyExists(StringView key);
  // Opens key, creating it and any missing keys above it. True when it
  // exists afterwards.
  bool CreateKey(StringView key);
  // The value name of key; nullopt when the key or the value is missing or
  // cannot be read.
  std::optional<TRegValue> ReadValue(StringView key, StringView name);
  bool ValueExists(StringView key, StringView name) { return ReadValue(key, name).has_value(); }
  // Writes the value name of an existing key, replacing any value of that
  // name whatever its type. False when the key is missing or the write
  // failed.
  bool WriteValue(StringView key, StringView name, const TRegValue& value);
  // CreateKey and WriteValue as one change: KeyFailed (nothing changed)
  // when the key could not be opened or made, WriteFailed when the value
  // could not be written.
  enum class TWriteResult { Written, KeyFailed, WriteFailed };
  TWriteResult WriteValueCreatingKey(StringView key, StringView name, const TRegValue& value);
  // Deletes the value name of key. False when there was none or the
  // deletion failed.
  bool DeleteValue(StringView key, StringView name);
  // Deletes key with all its subkeys and values. The root is refused (it
  // would take every key of the user with it). False when the key is
  // missing or the deletion failed.
  bool DeleteKey(StringView key);
  // The names of key's direct subkeys, in the store's order; empty when
  // the key is missing.
  std::vector<String> SubKeyNames(StringView key);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace lumora
