// The save dialog as the classic common dialog (GetSaveFileNameW): the
// read-only box hidden, resizable, owned by the active window. It asks
// before replacing a file and leaves the process's current folder alone,
// as the Linux dialog does.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "base/Exception.h"
#include "os/win32/WideString.h"
#include "platform/SaveDialog.h"

namespace lumora {

namespace {

// A chosen path may be long; the dialog writes it into this many
// characters.
constexpr DWORD kFileNameChars = 32768;

// "ZIP|*.zip" as the dialog takes it: "ZIP\0*.zip\0\0".
std::wstring FilterList(const String& filter) {
  std::wstring list = Wide(filter);
  for (wchar_t& c : list) {
    if (c == L'|') c = L'\0';
  }
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace

bool RunSaveDialog(const String& filter, const String& defaultExt, String& fileName) {
  const std::wstring filters = FilterList(filter);
  const std::wstring extension = Wide(defaultExt);
  std::wstring buffer = Wide(fileName);
  if (buffer.size() >= kFileNameChars) buffer.clear();
  buffer.resize(kFileNameChars, L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ::GetActiveWindow();
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = kFileNameChars;
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags =
      OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (!::GetSaveFileNameW(&dialog)) {
    // Cancelled, or the dialog could not be shown at all.
    const DWORD error = ::CommDlgExtendedError();
    if (error != 0) throw Exception(Format(u"The save dialog failed (error %s).", {IntToStr(static_cast<int>(error))}));
    return false;
  }
  fileName = FromWide(buffer.c_str());
  return true;
}

}  // namespace lumora
