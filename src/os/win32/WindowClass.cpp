#include "os/win32/WindowClass.h"

#include "base/Exception.h"
#include "os/File.h"

namespace lumora {

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, const TWindowClassLook& look) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = look.Cursor;
  windowClass.hbrBackground = look.Background;
  windowClass.hIcon = look.Icon;
  windowClass.hIconSm = look.SmallIcon;
  windowClass.lpszClassName = name;
  if (::RegisterClassExW(&windowClass)) return;
  const DWORD error = ::GetLastError();
  if (error == ERROR_CLASS_ALREADY_EXISTS) return;
  throw Exception(Format(u"Cannot register the window class. %s", {SysErrorMessage(error)}));
}

void RaiseWindowNotCreated(StringView what) {
  const DWORD error = ::GetLastError();
  throw Exception(Format(u"%s could not be created. %s", {what, SysErrorMessage(error)}));
}

}  // namespace lumora
