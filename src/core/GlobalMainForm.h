// How the browser host sees the main window: the browser policy flags and
// the host services pages may use, behind one abstract class and one
// process-wide reference. The browser forms and the script bridge never
// talk to the main window's own class.
#pragma once

#include "core/String.h"

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
  virtual String ReadFile(const String& filePath) = 0;
  virtual bool DoFileExists(const String& filePath) = 0;
  virtual bool CreateDir(const String& dirPath) = 0;
  virtual bool RemoveFile(const String& filePath) = 0;
  virtual bool DirExists(const String& dirPath) = 0;
  virtual void WriteFile(const String& filePath, const String& contents) = 0;
  virtual bool OpenFile(const String& filePath) = 0;
  virtual bool OpenFileWith(const String& execPath, const String& filePath) = 0;
  virtual bool PlayWavSound(const String& wavPath, bool loop) = 0;
  // True when the navigation to url was a download and must be cancelled.
  virtual bool HandleDownloableFiles(const String& url) = 0;
  // True when a navigation to url would be such a download (a save or a
  // run); nothing is done. A form that cannot tell says so for every url.
  virtual bool IsSavedOrRun(const String&) { return true; }
  virtual bool WriteRegistry(const String& Key, const String& ValueName, const String& Value) = 0;
  virtual String ReadRegistry(const String& Key, const String& ValueName) = 0;
  virtual bool RemoveRegistry(const String& Key, const String& ValueName) = 0;
  virtual String GetPCName() = 0;
  virtual String GetPCUserName() = 0;
  virtual String GetUserDocsDir() = 0;
};

// The main window once its creation handler has begun, until it is
// destroyed at shutdown; empty otherwise. Not owned.
extern TGlobalMainForm* GlobalMainForm;

}  // namespace lumora
