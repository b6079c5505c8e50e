// The site object: the temporary copy of the archive appended to the
// running program, the reader over it and the site's configuration.
#pragma once

#include <memory>

#include "core/IniFile.h"
#include "base/String.h"
#include "core/zip/AbZipKit.h"
#include "os/File.h"

namespace lumora {

class TExeHtmlSite {
 public:
  // The password every packaged archive is encrypted with.
  static constexpr const char* kArchivePassword = "kv73Tr8mwq5Ds=n941zbg70fe3Lux=Ra64wq";

  // Removes the temporary files of programs that ended without deleting
  // theirs, copies the appended archive into a new temporary file in the
  // program's folder (created exclusively, held while this object lives,
  // registered for deletion
  // before a byte is written), opens it and reads "lm-config". A damaged
  // entry raises from then on, "lm-config" included.
  // Raises when the copy cannot be written or is not a ZIP archive; with no
  // appended archive at all, requests an immediate exit (EImmediateExit).
  TExeHtmlSite();
  // The configuration goes first, then the reader, which closes the copy,
  // then the hold on it.
  ~TExeHtmlSite();
  TExeHtmlSite(const TExeHtmlSite&) = delete;
  TExeHtmlSite& operator=(const TExeHtmlSite&) = delete;

  const String& ArchiveCopyPath() const { return FArchiveCopyPath; }

  // Whether this is a preview program (it carries PreviewEntryName) started
  // with the inspector asked for in its environment.
  bool InspectorRequested() const;

  // The program file a watching preview packs the site into again, from
  // its environment; empty for any other program, which never reloads.
  String ReloadSource() const;

  // Takes the archive of the program file at programPath in place of the
  // one the program started with: the copy is written anew and the same
  // reader opens it again (everything that holds the reader sees the new
  // entries). The configuration stays as it was read at start. Raises when
  // the file carries no archive.
  void Reload(const String& programPath);

  // Public, as the request handler and the services use them directly.
  std::unique_ptr<TAbZipKit> FZipFile;
  std::unique_ptr<TMemIniFile> FIniFile;

 private:
  String FArchiveCopyPath;
  TFileHandle FArchiveCopyHold;
};

// The process-wide site object; set once its constructor has returned.
extern std::unique_ptr<TExeHtmlSite> ExeHtmlSite;

}  // namespace lumora
