// The style files of the running program: its VCLSTYLE resources, which
// the resource directory keeps sorted by name.
#include <windows.h>

#include "os/StyleResources.h"

namespace lumora {
namespace {

BOOL CALLBACK CollectStyle(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto& resources = *reinterpret_cast<std::vector<TStyleResource>*>(param);
  // Our styles are named; an integer identifier cannot be one of them, but
  // is still tried (and refused by discovery) rather than dropped silently.
  const String resourceName = IS_INTRESOURCE(name) ? u"#" + IntToStr(reinterpret_cast<uintptr_t>(name))
                                                   : String(reinterpret_cast<const char16_t*>(name));
  std::vector<uint8_t> data;
  if (HRSRC info = ::FindResourceW(module, name, type)) {
    const DWORD size = ::SizeofResource(module, info);
    if (HGLOBAL handle = ::LoadResource(module, info)) {
      const auto* bytes = static_cast<const uint8_t*>(::LockResource(handle));
      if (bytes) data.assign(bytes, bytes + size);
    }
  }
  resources.push_back({resourceName, std::move(data)});
  return TRUE;
}

}  // namespace

std::vector<TStyleResource> EmbeddedStyleResources() {
  std::vector<TStyleResource> resources;
  ::EnumResourceNamesW(::GetModuleHandleW(nullptr), L"VCLSTYLE", CollectStyle, reinterpret_cast<LONG_PTR>(&resources));
  return resources;
}

}  // namespace lumora
