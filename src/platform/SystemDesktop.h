// The host services' desktop (core/services/HostServices.h) as the system
// has it: the shell and sound of the OS layer, the platform's message box.
#pragma once

#include "core/services/HostServices.h"

namespace lumora {

class TSystemDesktop : public THostDesktop {
 public:
  bool ShellOpen(const String& path) override;
  bool ShellExec(const String& path, const String& parameters) override;
  bool StopCurrentSound() override;
  bool PlaySoundFromStream(const TMemoryStream& stream, bool loop) override;
  void ShowMessage(const String& text, const String& caption) override;
};

}  // namespace lumora
