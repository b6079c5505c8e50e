// The main icon is replaced through the resource-update functions, while
// the old group is read from the same file loaded as a data file. The data
// file must be unloaded before the update is written, and an update that
// fails half-way is discarded so the file stays as it was.
#include <windows.h>

#include "os/IconFile.h"
#include "base/ResourceUpdateError.h"
#include "os/ExeResources.h"
#include "os/win32/WideString.h"

namespace lumora {

namespace {

constexpr const wchar_t* kMainIconName = L"MAINICON";
constexpr WORD kNewLanguage = 1033;  // U.S. English

[[noreturn]] void RaiseLastError(StringView text) { throw EResourceUpdateError(text, ::GetLastError()); }

// A pending resource update: discarded when destroyed unless written.
class TPendingUpdate {
 public:
  explicit TPendingUpdate(const String& exePath) : FHandle(::BeginUpdateResourceW(Wide(exePath).c_str(), FALSE)) {
    if (FHandle == nullptr) RaiseLastError(u"BeginUpdateResource failed (1)");
  }
  ~TPendingUpdate() {
    if (FHandle != nullptr) ::EndUpdateResourceW(FHandle, TRUE);
  }
  TPendingUpdate(const TPendingUpdate&) = delete;
  TPendingUpdate& operator=(const TPendingUpdate&) = delete;

  HANDLE Handle() const { return FHandle; }

  void Write() {
    HANDLE handle = FHandle;
    FHandle = nullptr;  // written or failed, the update is over either way
    if (!::EndUpdateResourceW(handle, FALSE)) RaiseLastError(u"EndUpdateResource failed");
  }

 private:
  HANDLE FHandle;
};

// The executable mapped as a data file, for reading its resources only.
class TDataFileModule {
 public:
  explicit TDataFileModule(const String& exePath)
      : FModule(::LoadLibraryExW(Wide(exePath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    if (FModule == nullptr) RaiseLastError(u"LoadLibraryEx failed (1)");
  }
  ~TDataFileModule() { ::FreeLibrary(FModule); }
  TDataFileModule(const TDataFileModule&) = delete;
  TDataFileModule& operator=(const TDataFileModule&) = delete;

  HMODULE Handle() const { return FModule; }

 private:
  HMODULE FModule;
};

BOOL CALLBACK TakeFirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  *reinterpret_cast<WORD*>(param) = language;
  return FALSE;  // the first language is the one
}

// The first language the module reports for the resource, 0 for none.
WORD ResourceLanguage(HMODULE module, LPCWSTR type, LPCWSTR name) {
  WORD language = 0;
  ::EnumResourceLanguagesW(module, type, name, TakeFirstLanguage, reinterpret_cast<LONG_PTR>(&language));
  return language;
}

void Update(HANDLE update, LPCWSTR type, LPCWSTR name, WORD language, const void* data, DWORD size,
            StringView failure) {
  if (!::UpdateResourceW(update, type, name, language, const_cast<void*>(data), size)) {
    RaiseLastError(failure);
  }
}

}  // namespace

void CheckResourceUpdateSupported() {
  // Every Windows this program runs on belongs to the NT family.
}

void ReplaceMainIcon(const String& exePath, const std::vector<uint8_t>& icon) {
  TPendingUpdate update(exePath);
  {
    const TDataFileModule module(exePath);
    HRSRC found = ::FindResourceW(module.Handle(), kMainIconName, RT_GROUP_ICON);
    if (found == nullptr) RaiseLastError(u"FindResource failed (1)");
    HGLOBAL loaded = ::LoadResource(module.Handle(), found);
    if (loaded == nullptr) RaiseLastError(u"LoadResource failed (1)");
    const void* locked = ::LockResource(loaded);
    if (locked == nullptr) RaiseLastError(u"LockResource failed (1)");
    const TIconGroupInfo old =
        TIconFile::ReadGroup(static_cast<const uint8_t*>(locked), ::SizeofResource(module.Handle(), found));

    Update(update.Handle(), RT_GROUP_ICON, kMainIconName,
           ResourceLanguage(module.Handle(), RT_GROUP_ICON, kMainIconName), nullptr, 0, u"UpdateResource failed (1)");
    for (const uint16_t id : old.ImageIds) {
      Update(update.Handle(), RT_ICON, MAKEINTRESOURCEW(id),
             ResourceLanguage(module.Handle(), RT_ICON, MAKEINTRESOURCEW(id)), nullptr, 0,
             u"UpdateResource failed (2)");
    }

    const std::vector<uint8_t> group = TIconFile::GroupDirectory(icon, old.Reserved, old.Type);
    const std::vector<TIconImage> images = TIconFile::Images(icon);
    for (size_t j = 0; j < images.size(); ++j) {
      Update(update.Handle(), RT_ICON, MAKEINTRESOURCEW(j + 1), kNewLanguage, icon.data() + images[j].Offset,
             images[j].Size, u"UpdateResource failed (3)");
    }
    Update(update.Handle(), RT_GROUP_ICON, kMainIconName, kNewLanguage, group.data(), static_cast<DWORD>(group.size()),
           u"UpdateResource failed (4)");
  }
  update.Write();
}

}  // namespace lumora
