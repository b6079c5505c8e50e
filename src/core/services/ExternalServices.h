// The host services a page reaches through window.external, and the
// download links of its navigations: what the script bridge and the
// browser forms are given, so that a test can stand in for them without
// the archive, the registry store or the shell.
#pragma once

#include "base/String.h"

namespace lumora {

class TExternalServices {
 public:
  virtual ~TExternalServices() = default;

  virtual String ReadFile(const String& filePath) = 0;
  virtual bool DoFileExists(const String& filePath) = 0;
  virtual bool CreateDir(const String& dirPath) = 0;
  virtual bool RemoveFile(const String& filePath) = 0;
  virtual bool DirExists(const String& dirPath) = 0;
  virtual void WriteFile(const String& filePath, const String& contents) = 0;
  virtual bool OpenFile(const String& filePath) = 0;
  virtual bool OpenFileWith(const String& execPath, const String& filePath) = 0;
  virtual bool PlayWavSound(const String& wavPath, bool loop) = 0;
  // Stops whatever sound plays; services without a desktop play none.
  virtual bool StopSound() { return false; }
  // Opens path with the shell as it is given; services without a desktop
  // open nothing.
  virtual bool ShellOpen(const String& /*path*/) { return false; }
  // True when the navigation to url was a download and must be cancelled.
  virtual bool HandleDownloableFiles(const String& url) = 0;
  // True when a navigation to url would be such a download (a save or a
  // run); nothing is done. Services that cannot tell say so for every url.
  virtual bool IsSavedOrRun(const String&) const { return true; }
  virtual bool WriteRegistry(const String& Key, const String& ValueName, const String& Value) = 0;
  virtual String ReadRegistry(const String& Key, const String& ValueName) = 0;
  virtual bool RemoveRegistry(const String& Key, const String& ValueName) = 0;
  virtual String GetPCName() = 0;
  virtual String GetPCUserName() = 0;
  virtual String GetUserDocsDir() = 0;
};

}  // namespace lumora
