// System utilities on Windows that need the desktop: the shell's programs
// and shortcuts, sound and keyboard input.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "base/Exception.h"
#include "base/Stream.h"
#include "os/File.h"
#include "os/SysUtils.h"
#include "os/win32/WideString.h"

namespace lumora {

namespace {

constexpr int kFolderPathChars = MAX_PATH + 1;

// One COM interface pointer, released when it goes.
template <typename T>
class TComRef {
 public:
  TComRef() = default;
  ~TComRef() {
    if (FPointer) FPointer->Release();
  }
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  T* operator->() const { return FPointer; }
  // The slot an interface-returning call fills.
  void** Out() { return reinterpret_cast<void**>(&FPointer); }

 private:
  T* FPointer = nullptr;
};

bool ShellExecuteOpen(const wchar_t* file, const wchar_t* parameters) {
  const HINSTANCE result = ::ShellExecuteW(::GetActiveWindow(), L"open", file, parameters, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void RaiseComError(const wchar_t* what, HRESULT result) {
  throw Exception(Format(u"%s failed. %s", {FromWide(what), SysErrorMessage(static_cast<uint32_t>(result))}));
}

}  // namespace

String TSysUtils::GetLnkFilePath(const String& LnkFilePath) {
  TComRef<IShellLinkW> link;
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out());
  if (FAILED(result)) RaiseComError(L"Creating the shell link object", result);
  TComRef<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, file.Out());
  if (FAILED(result)) RaiseComError(L"Getting IPersistFile of the shell link", result);
  // A file that is no shortcut fails Load or GetPath; the buffer then stays
  // cleared and the result is empty.
  file->Load(Wide(LnkFilePath).c_str(), STGM_READ);
  wchar_t target[kFolderPathChars] = {};
  WIN32_FIND_DATAW data;
  link->GetPath(target, kFolderPathChars, &data, SLGP_UNCPRIORITY);
  return FromWide(target);
}

bool TSysUtils::PlaySoundFromStream(const TMemoryStream& stream, bool loop) {
  StopCurrentSound();
  const DWORD flags = SND_ASYNC | SND_MEMORY | (loop ? SND_LOOP : 0);
  return ::PlaySoundW(reinterpret_cast<const wchar_t*>(stream.Memory()), ::GetModuleHandleW(nullptr), flags) != FALSE;
}

bool TSysUtils::StopCurrentSound() { return ::PlaySoundW(nullptr, nullptr, 0) != FALSE; }

void TSysUtils::PressKey(int vKey) {
  const BYTE key = static_cast<BYTE>(vKey);
  const BYTE scan = static_cast<BYTE>(::MapVirtualKeyW(static_cast<UINT>(vKey), MAPVK_VK_TO_VSC));
  ::keybd_event(key, scan, KEYEVENTF_EXTENDEDKEY, 0);
  ::keybd_event(key, scan, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

bool TSysUtils::ShellExec(const String& path, const String& arguments) {
  return ShellExecuteOpen(Wide(path).c_str(), Wide(arguments).c_str());
}

bool TSysUtils::ShellOpen(const String& path) { return ShellExecuteOpen(Wide(path).c_str(), nullptr); }

bool TSysUtils::ShellExplore(const String& path) {
  const String parameters = Format(u"/select, \"%s\"", {path});
  return ShellExecuteOpen(L"explorer.exe", Wide(parameters).c_str());
}

void TSysUtils::RestartApplication() {
  ShellOpen(ExecutablePath());
  // What the application object's Terminate does: the message loop ends
  // when it takes this message, and shutdown runs as after a normal close.
  ::PostQuitMessage(0);
}

}  // namespace lumora
