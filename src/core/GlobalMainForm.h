// How the browser host sees the main window: the browser policy flags and
// the host services pages may use, behind one abstract class and one
// process-wide reference. The browser forms and the script bridge never
// talk to the main window's own class.
#pragma once

#include "base/String.h"
#include "core/services/ExternalServices.h"

namespace lumora {

class TGlobalMainForm {
 public:
  virtual ~TGlobalMainForm() = default;

  // Set by a browser form when a page closes the top-level window.
  bool DesignTimeForceClose = false;
  // Script errors in pages are suppressed rather than reported.
  bool HideJavaScriptError = true;
  // The user may select and copy page text.
  bool AllowUserCopyText = false;

  // The main window's caption (the application title).
  virtual String Caption() const = 0;
  // Asks the main window to close; its close query still decides.
  virtual void Close() {}

  virtual bool IsRuntime() = 0;
  // The services pages reach; raises while the main window is not ready.
  virtual TExternalServices& Services() = 0;
};

// The main window once its creation handler has begun, until it is
// destroyed at shutdown; empty otherwise. Not owned.
extern TGlobalMainForm* GlobalMainForm;

}  // namespace lumora
