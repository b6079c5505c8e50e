#include "platform/SystemDesktop.h"

#include "os/SysUtils.h"
#include "platform/MessageBox.h"

namespace lumora {

bool TSystemDesktop::ShellOpen(const String& path) { return TSysUtils::ShellOpen(path); }

bool TSystemDesktop::ShellExec(const String& path, const String& parameters) {
  return TSysUtils::ShellExec(path, parameters);
}

bool TSystemDesktop::StopCurrentSound() { return TSysUtils::StopCurrentSound(); }

bool TSystemDesktop::PlaySoundFromStream(const TMemoryStream& stream, bool loop) {
  return TSysUtils::PlaySoundFromStream(stream, loop);
}

void TSystemDesktop::ShowMessage(const String& text, const String& caption) { ShowMessageBox(text, caption, mbOk); }

}  // namespace lumora
