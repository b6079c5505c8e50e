// Replaces one imported function of the test program for the life of the
// object: the entry of the program's import address table that the
// program's own calls go through is pointed at a replacement, and put back
// afterwards. It lets a test see the calls the program makes to a system
// function (and still forward them) without a seam in the program.
#pragma once

#include <windows.h>

#include <cstring>

namespace lumora::test {

class TImportHook {
 public:
  // dll and function as the import table names them ("WINMM.dll" matched
  // ignoring case, "PlaySoundW"). Original() is null when the program does
  // not import it.
  TImportHook(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
      if (::lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), dll) != 0) continue;
      auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
        FSlot = reinterpret_cast<void**>(&slots->u1.Function);
        FOriginal = *FSlot;
        Write(replacement);
        return;
      }
    }
  }
  ~TImportHook() {
    if (FSlot) Write(FOriginal);
  }
  TImportHook(const TImportHook&) = delete;
  TImportHook& operator=(const TImportHook&) = delete;

  void* Original() const { return FOriginal; }

 private:
  void Write(void* value) {
    DWORD old = 0;
    ::VirtualProtect(FSlot, sizeof *FSlot, PAGE_READWRITE, &old);
    *FSlot = value;
    ::VirtualProtect(FSlot, sizeof *FSlot, old, &old);
  }

  void** FSlot = nullptr;
  void* FOriginal = nullptr;
};

}  // namespace lumora::test
