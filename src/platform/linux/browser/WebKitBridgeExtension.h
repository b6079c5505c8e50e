// Puts window.external's web process extension (webext/BridgeExtension.cpp)
// in place for a WebKitGTK web context. The extension is a shared object
// carried in the runtime as bytes; WebKit loads extensions only from a
// folder, so the runtime writes it out into a folder of its own,
// "<ten letters>/lumora-bridge.so", created exclusively (the folder with
// mkdir, the file with O_EXCL, neither following a link) in the bridge
// folder: the private temporary folder's sibling, "<temporary folder>-bridge"
// ($XDG_RUNTIME_DIR/lumora-bridge, else /tmp/lumora-<uid>-bridge), made and
// checked as the temporary folder is (mode 0700, this user's, not a link).
// The file is held with a lock while it exists and goes with its folder
// when the last browser view does; what a killed program left is removed
// by the next program (RemoveStaleBridgeExtensions), as the archive copies
// are. It is kept beside the temporary folder rather than in it so that
// the temporary folder holds the archive copies and the pages' copies only,
// one archive copy for each running or killed program.
#pragma once

#include "base/String.h"

typedef struct _WebKitWebContext WebKitWebContext;

namespace lumora {

// Holds the extension in place for context while it lives: web processes
// that start meanwhile carry window.external for pages of scheme ("lmp").
// The first holder of a context writes the file, the last one removes it.
// A failure (no usable folder) is written to standard error: pages then
// have no window.external, their window.close() and the way back by a link
// from a page of another origin do nothing (the extension carries both),
// and nothing is raised.
class TWebKitBridgeExtension {
 public:
  TWebKitBridgeExtension(WebKitWebContext* context, const String& scheme);
  ~TWebKitBridgeExtension();
  TWebKitBridgeExtension(const TWebKitBridgeExtension&) = delete;
  TWebKitBridgeExtension& operator=(const TWebKitBridgeExtension&) = delete;

 private:
  WebKitWebContext* FContext;
};

// The bridge folder, made private when missing ("" when it cannot be).
String BridgeExtensionFolder();

// Removes the extension folders that killed programs left in the bridge
// folder (their file no longer held) and returns how many went.
int RemoveStaleBridgeExtensions();

}  // namespace lumora
