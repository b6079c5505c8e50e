// The main window's host services, as portable logic the main window
// delegates to: files and folders (on disk, else inside the site archive),
// the shell, WAVE sounds, the user's registry store, system queries, and
// the interception of links to downloadable and executable files.
//
// Names: a disk path is a path in the platform's form; an archive name uses
// "/" and starts with the site's root folder. Ordinary failures are results
// (false, the empty text); errors of files, streams and the registry are
// raised and reach the page as script errors.
#pragma once

#include <functional>
#include <memory>

#include "base/Exception.h"
#include "base/Stream.h"
#include "base/String.h"
#include "core/services/ExternalServices.h"

namespace lumora {

class TAbZipKit;
class TRegistry;
class TTemporalFiles;

// A registry value could not be written or has the wrong type.
class ERegistryException : public Exception {
  using Exception::Exception;
};

// What the save dialog is shown with, and what the user chose.
struct TSaveDialogRequest {
  String DefaultExt;  // the extension without its dot, "zip"
  String Filter;      // description "|" pattern: "ZIP|*.zip"
  String FileName;    // in: the name offered; out: the name chosen
};
// Shows the modal save dialog; true when the user confirmed a file name.
using TSaveDialogCallback = std::function<bool(TSaveDialogRequest& request)>;

// The desktop facilities the services use. The program's own
// (platform/SystemDesktop.h) call the OS layer's shell and sound and the
// platform's message box; tests replace them to watch what would have been
// opened or played.
class THostDesktop {
 public:
  virtual ~THostDesktop() = default;
  virtual bool ShellOpen(const String& path) = 0;
  virtual bool ShellExec(const String& path, const String& parameters) = 0;
  // Whether a program copied into folder can start from there.
  virtual bool RunsProgramsIn(const String& folder);
  virtual bool StopCurrentSound() = 0;
  // Plays from the stream's memory, which stays untouched until the next
  // StopCurrentSound.
  virtual bool PlaySoundFromStream(const TMemoryStream& stream, bool loop) = 0;
  // A plain message box: no icon, one OK button.
  virtual void ShowMessage(const String& text, const String& caption) = 0;
};

struct THostServicesSettings {
  String AppRootDir;                    // the site's root folder in the archive
  String ExtractExts = u"zip mp3 mp4";  // words: saved to disk, then opened
  String ExecuteExts = u"exe";          // words: run
  String Title;                         // the application's title, for messages
  // The running executable's folder with its trailing separator; empty for
  // the folder of the running executable itself.
  String ExeDir;
};

class THostServices final : public TExternalServices {
 public:
  // zipFile is the site object's reader (FZipFile) and temporalFiles the
  // process's list of temporary files; both outlive the services.
  THostServices(TAbZipKit& zipFile, TTemporalFiles& temporalFiles, THostServicesSettings settings,
                TSaveDialogCallback saveDialog, std::unique_ptr<THostDesktop> desktop);
  // Stops a sound that may still play from FLastSound before it goes.
  ~THostServices() override;
  THostServices(const THostServices&) = delete;
  THostServices& operator=(const THostServices&) = delete;

  bool IsRuntime() const { return true; }
  // A disk file (as given, else next to the executable) decoded as UTF-8,
  // else the site's entry of that name; the empty text when neither exists.
  // A UTF-8 byte-order mark stays as U+FEFF.
  String ReadFile(const String& filePath) override;
  // Whether the disk file exists (as given, else next to the executable).
  bool DoFileExists(const String& filePath) override;
  bool DirExists(const String& dirPath) override;
  // Creates the folder and the missing ones above it; true when it exists
  // afterwards. Raises for an empty path.
  bool CreateDir(const String& dirPath) override;
  // Deletes a file, or a folder with everything in it.
  bool RemoveFile(const String& filePath) override;
  // Writes contents with a UTF-8 byte-order mark and CR LF line ends to
  // filePath when its folder exists, else below the executable's folder.
  // The file is written beside the target and renamed into place.
  void WriteFile(const String& filePath, const String& contents) override;
  // Opens a file or folder with the shell; a site entry through a
  // temporary copy.
  bool OpenFile(const String& filePath) override;
  // Starts execPath with filePath as its parameter text, from disk or from
  // temporary copies of site entries.
  bool OpenFileWith(const String& execPath, const String& filePath) override;
  // Plays a WAVE file from disk (the path as given) or from the site.
  bool PlayWavSound(const String& wavPath, bool loop) override;
  // The desktop's, without the services' own bookkeeping.
  bool StopSound() override;
  bool ShellOpen(const String& path) override;
  bool WriteRegistry(const String& Key, const String& ValueName, const String& Value) override;
  String ReadRegistry(const String& Key, const String& ValueName) override;
  bool RemoveRegistry(const String& Key, const String& ValueName) override;
  String GetPCName() override;
  String GetPCUserName() override;
  String GetUserDocsDir() override;
  // True when url is an "lmp://" link whose extension is listed; the file
  // has then been saved or run and the navigation must be cancelled. A
  // listed program runs once: its copy from the site, else the file
  // beside the executable.
  bool HandleDownloableFiles(const String& url) override;
  // True when url is an "lmp://" link HandleDownloableFiles would save or
  // run instead of showing; nothing is done.
  bool IsSavedOrRun(const String& url) const override;

  // The sound buffer, for the main window's checks.
  const TMemoryStream& LastSound() const { return FLastSound; }

  // Helpers with no state, public for their tests.
  // The extension of name with its dot, from the last "." of the last path
  // component ("/", "\" and ":" end a component); empty when none.
  static String EntryExtension(StringView name);
  // The text of url after its last ".", when no "\" or ":" follows it.
  static String UrlExtension(StringView url);
  // contents as the file WriteFile writes: byte-order mark, lines in UTF-8,
  // each followed by CR LF; a NUL ends the text.
  static std::string EncodeTextFile(StringView contents);

 private:
  enum class TPathTest { File, FileOrFolder };
  String ExecutableRelative(const String& path, TPathTest test) const;
  String ArchiveName(const String& path) const;
  bool InArchive(const String& archiveName) const;
  // The entry's bytes, extracted into a memory stream and rewound.
  std::unique_ptr<TMemoryStream> ExtractEntry(const String& archiveName);
  // Extracts the entry into a new file at path (replacing one). True when
  // the bytes begin like a program: an ELF image or a "#!" script.
  bool ExtractToFile(const String& archiveName, const String& path);
  // A temporary copy of the entry, registered for deletion; the empty text
  // when none was made. A copy that holds a program may be run: the shell
  // starts only files marked runnable, and an archive carries no such mark.
  // A program the temporary folder cannot start is not run: the user is
  // told why, and the text is empty.
  String MakeTemporaryCopy(const String& archiveName, const String& extension);
  bool PlayFromLastSound(bool loop);
  String DiskPathOfEntry(const String& entryName) const;
  // The name the save dialog offers for a link: the last name chosen with
  // the link's extension in place of its own (so that a name typed over
  // the selected part gets the right one), the link's own file name before
  // anything was chosen.
  String OfferedSaveName(const String& entryName, const String& extension) const;
  // The user's registry store, opened on first use and kept: pages call
  // it in a row. A store that could not be opened is tried again next time.
  TRegistry& Registry();

  TAbZipKit& FZipFile;
  TTemporalFiles& FTemporalFiles;
  THostServicesSettings FSettings;
  TSaveDialogCallback FSaveDialog;
  std::unique_ptr<THostDesktop> FDesktop;
  TMemoryStream FLastSound;
  bool FSoundStarted = false;
  String FLastSaveName;
  std::unique_ptr<TRegistry> FRegistry;
};

}  // namespace lumora
