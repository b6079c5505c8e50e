#include "core/services/HostServices.h"

#include <algorithm>
#include <string_view>

#include "core/StrUtils.h"
#include "core/TemporalFiles.h"
#include "core/TemporaryFile.h"
#include "core/zip/AbZipKit.h"
#include "os/File.h"
#include "os/FileRename.h"
#include "os/Registry.h"
#include "os/SysUtils.h"
#include "core/protocol/SiteOrigin.h"

namespace lumora {
namespace {

// The site's URLs start so.
String SitePrefix() { return String(kSiteScheme) + u"://"; }

#ifdef _WIN32
constexpr StringView kFolderDelimiters = u"\\:";
#else
constexpr StringView kFolderDelimiters = u"/";
#endif

// The folder part of path with its delimiter ("C:\dir\" of "C:\dir\a.txt").
String ExtractFilePath(StringView path) {
  const size_t last = path.find_last_of(kFolderDelimiters);
  return last == StringView::npos ? String() : String(path.substr(0, last + 1));
}

String ExtractFileName(StringView path) {
  const size_t last = path.find_last_of(kFolderDelimiters);
  return String(last == StringView::npos ? path : path.substr(last + 1));
}

// Makes path and each missing folder above it: true when path is a folder
// afterwards. The walk up ends at a folder that exists, so a drive or a
// share's root is never made.
bool CreateFolders(const String& path) {
  if (DirectoryExists(path)) return true;
#ifdef _WIN32
  const size_t last = path.find_last_of(u"\\/");
#else
  const size_t last = path.find_last_of(u'/');
#endif
  if (last != String::npos && last > 0) {
    String parent = path.substr(0, last);
    if (parent.back() != u':' && !CreateFolders(parent)) return false;
  }
  CreateFolder(path);
  return DirectoryExists(path);
}

bool IsControlOrSpace(char16_t c) { return c <= u' '; }

String Trim(StringView text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && IsControlOrSpace(text[start])) ++start;
  while (end > start && IsControlOrSpace(text[end - 1])) --end;
  return String(text.substr(start, end - start));
}

bool StartsTextLocale(StringView prefix, StringView text) {
  return text.size() >= prefix.size() && SameTextLocale(String(text.substr(0, prefix.size())), String(prefix));
}

// Removes every occurrence of what from text, letter case ignored.
String RemoveText(StringView text, StringView what) {
  if (what.empty()) return String(text);
  String result;
  size_t i = 0;
  while (i < text.size()) {
    if (StartsTextLocale(what, text.substr(i))) {
      i += what.size();
    } else {
      result.push_back(text[i++]);
    }
  }
  return result;
}

// The words of a list setting. Empty words (doubled or outer blanks) are
// dropped: one would match every URL without an extension.
std::vector<String> ExtensionWords(StringView setting) {
  std::vector<String> words;
  for (String& word : TStrUtils::ExplodeStrings(u" ", setting)) {
    if (!word.empty()) words.push_back(std::move(word));
  }
  return words;
}

// Whether path lies below folder (which ends in a separator): it starts
// with folder and no component after it is made of dots and blanks only
// ("..", and "..." or ". ." which Windows trims to ".."); on Windows no
// component names a drive or a stream (":").
bool StaysInsideFolder(StringView folder, StringView path) {
  if (folder.empty() || path.size() <= folder.size() || path.substr(0, folder.size()) != folder) return false;
  const StringView rest = path.substr(folder.size());
#ifdef _WIN32
  if (rest.find(u':') != StringView::npos) return false;
#endif
  size_t start = 0;
  for (;;) {
    const size_t end = rest.find_first_of(u"/\\", start);
    const StringView component = rest.substr(start, end == StringView::npos ? StringView::npos : end - start);
    const bool onlyDots = !component.empty() && component.find_first_not_of(u". ") == StringView::npos &&
                          component.find(u'.') != StringView::npos;
    if (onlyDots) return false;
    if (end == StringView::npos) return true;
    start = end + 1;
  }
}

void ReadWholeFile(const String& path, TMemoryStream& into) {
  TFileStream file(path, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
  const int64_t size = file.Size();
  into.SetSize(size);
  into.SetPosition(0);
  if (size > 0) file.ReadBuffer(into.Bytes().data(), size);
}

String DecodeUtf8(const std::vector<uint8_t>& bytes) {
  return FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

// --- THostDesktop -----------------------------------------------------------

bool THostDesktop::RunsProgramsIn(const String& folder) { return FolderRunsPrograms(folder); }

// --- THostServices ----------------------------------------------------------

THostServices::THostServices(TAbZipKit& zipFile, TTemporalFiles& temporalFiles, THostServicesSettings settings,
                             TSaveDialogCallback saveDialog, std::unique_ptr<THostDesktop> desktop)
    : FZipFile(zipFile),
      FTemporalFiles(temporalFiles),
      FSettings(std::move(settings)),
      FSaveDialog(std::move(saveDialog)),
      FDesktop(std::move(desktop)) {
  if (FSettings.ExeDir.empty()) FSettings.ExeDir = ExtractFilePath(ExecutablePath());
}

THostServices::~THostServices() {
  if (FSoundStarted) FDesktop->StopCurrentSound();
}

String THostServices::EntryExtension(StringView name) {
  const size_t dot = name.rfind(u'.');
  if (dot == StringView::npos || name.find_first_of(u"/\\:", dot) != StringView::npos) return {};
  return String(name.substr(dot));
}

String THostServices::UrlExtension(StringView url) {
  const size_t dot = url.rfind(u'.');
  if (dot == StringView::npos || url.find_first_of(u"\\:", dot) != StringView::npos) return {};
  return String(url.substr(dot + 1));
}

std::string THostServices::EncodeTextFile(StringView contents) {
  if (const size_t nul = contents.find(u'\0'); nul != StringView::npos) contents = contents.substr(0, nul);
  std::string bytes = "\xEF\xBB\xBF";
  size_t start = 0;
  while (start < contents.size()) {
    const size_t end = contents.find_first_of(u"\r\n", start);
    bytes += ToUtf8(contents.substr(start, end == StringView::npos ? StringView::npos : end - start));
    bytes += "\r\n";
    if (end == StringView::npos) break;
    start = end + 1;
    if (contents[end] == u'\r' && start < contents.size() && contents[start] == u'\n') ++start;
  }
  return bytes;
}

String THostServices::ExecutableRelative(const String& path, TPathTest test) const {
  const bool passes = FileExists(path) || (test == TPathTest::FileOrFolder && DirectoryExists(path));
  if (passes) return path;
  return FSettings.ExeDir + TStrUtils::RemoveSideSlashes(path);
}

String THostServices::ArchiveName(const String& path) const {
  return FSettings.AppRootDir + u"/" + TStrUtils::RemoveSideSlashes(path);
}

bool THostServices::InArchive(const String& archiveName) const { return FZipFile.FindFile(archiveName) >= 0; }

std::unique_ptr<TMemoryStream> THostServices::ExtractEntry(const String& archiveName) {
  auto stream = std::make_unique<TMemoryStream>();
  FZipFile.ExtractToStream(archiveName, stream.get());
  stream->SetPosition(0);
  return stream;
}

bool THostServices::ExtractToFile(const String& archiveName, const String& path) {
  // Extracted first: a damaged entry raises before the file is touched.
  const auto entry = ExtractEntry(archiveName);
  TFileStream file(path, TFileAccess::Write, TFileShare::None, TFileCreation::CreateAlways);
  if (entry->Size() > 0) file.WriteBuffer(entry->Memory(), entry->Size());
  const std::string_view head(reinterpret_cast<const char*>(entry->Bytes().data()),
                              std::min<size_t>(entry->Bytes().size(), 4));
  return head ==
             "\x7F"
             "ELF" ||
         head.starts_with("#!");
}

String THostServices::MakeTemporaryCopy(const String& archiveName, const String& extension) {
  // Created exclusively: nothing planted under the name is followed or
  // reused.
  const String path = CreateTemporaryFile(FTemporalFiles.Folder(), extension).Path;
  bool program = false;
  try {
    program = ExtractToFile(archiveName, path);
  } catch (...) {
    DeleteFilePath(path);
    throw;
  }
  if (!FileExists(path)) return {};
  FTemporalFiles.Add(path);
  if (!program) return path;
  MarkRunnable(path);
  // Started from there it would fail with only "permission denied" for a
  // cause, which the user never sees; nothing is started.
  if (!FDesktop->RunsProgramsIn(FTemporalFiles.Folder())) {
    FDesktop->ShowMessage(Format(u"\"%s\" cannot run: the temporary folder \"%s\" is on a file system "
                                 u"mounted without permission to run programs (noexec).",
                                 {archiveName, FTemporalFiles.Folder()}),
                          FSettings.Title);
    return {};
  }
  return path;
}

String THostServices::ReadFile(const String& filePath) {
  const String diskPath = ExecutableRelative(filePath, TPathTest::File);
  if (FileExists(diskPath)) {
    TMemoryStream contents;
    ReadWholeFile(diskPath, contents);
    return DecodeUtf8(contents.Bytes());
  }
  const String name = ArchiveName(filePath);
  if (InArchive(name)) return DecodeUtf8(ExtractEntry(name)->Bytes());
  return {};
}

bool THostServices::DoFileExists(const String& filePath) {
  return FileExists(ExecutableRelative(filePath, TPathTest::File));
}

bool THostServices::DirExists(const String& dirPath) { return DirectoryExists(dirPath); }

bool THostServices::CreateDir(const String& dirPath) {
  if (dirPath.empty()) throw Exception(u"Unable to create directory");
  String path = dirPath;
  if (path.size() > 1 && path.back() == PathDelim) path.pop_back();
  return CreateFolders(path);
}

bool THostServices::RemoveFile(const String& filePath) {
  if (FileExists(filePath)) return DeleteFilePath(filePath);
  if (DirectoryExists(filePath)) return TSysUtils::DeleteDirectory(filePath);
  return false;
}

void THostServices::WriteFile(const String& filePath, const String& contents) {
  const String folder = ExtractFilePath(filePath);
  const bool usable = !folder.empty() && DirectoryExists(folder) && ExtractFileName(filePath) != filePath;
  const String named = usable ? filePath : FSettings.ExeDir + TStrUtils::RemoveSideSlashes(filePath);
  // Through a symbolic link to the file it names: the link stays a link.
  const String target = FinalLinkTarget(named);
  const std::string bytes = EncodeTextFile(contents);

  // The new content has no name until it is complete, and then takes the
  // target's place in one step: a crash, a kill or a full disk leaves the
  // old file (or none), never half of the new one, and nothing beside it.
  // Where unnamed files are not to be had, the content goes to a sibling
  // created exclusively, renamed into place when complete.
  TFileHandle file = TFileHandle::OpenUnnamed(ExtractFilePath(target));
  String partial;
  for (int draw = 0; !file.IsOpen() && draw < 100; ++draw) {
    partial = target + u"." + TStrUtils::RandomString(8) + u".tmp";
    file = TFileHandle::Open(partial, TFileAccess::Write, TFileShare::None, TFileCreation::CreateNew);
    if (!file.IsOpen() && !IsFileExistsError(file.OpenError())) break;
  }
  if (!file.IsOpen()) {
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {target, SysErrorMessage(file.OpenError())}));
  }
  const auto fail = [&](uint32_t error) {
    file = TFileHandle();
    if (!partial.empty()) DeleteFilePath(partial);
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {target, SysErrorMessage(error)}));
  };
  if (file.Write(bytes.data(), static_cast<int64_t>(bytes.size())) != static_cast<int64_t>(bytes.size())) {
    fail(LastOsError());
  }
  // The user's file keeps its permissions; a new one gets the umask's.
  if (!file.TakePermissionsFor(target)) fail(LastOsError());
  if (partial.empty()) {
    if (!file.LinkAs(target)) fail(LastOsError());
  } else {
    file = TFileHandle();
    if (!RenameReplacing(partial, target)) fail(LastOsError());
  }
}

bool THostServices::OpenFile(const String& filePath) {
  const String diskPath = ExecutableRelative(filePath, TPathTest::FileOrFolder);
  if (FileExists(diskPath) || DirectoryExists(diskPath)) {
    FDesktop->ShellOpen(diskPath);
    return true;
  }
  const String name = ArchiveName(filePath);
  if (!InArchive(name)) return false;
  const String copy = MakeTemporaryCopy(name, EntryExtension(name));
  if (copy.empty()) return false;
  FDesktop->ShellOpen(copy);
  return true;
}

bool THostServices::OpenFileWith(const String& execPath, const String& filePath) {
  const String program = ExecutableRelative(execPath, TPathTest::File);
  const String argument = ExecutableRelative(filePath, TPathTest::File);
  if (FileExists(program)) {
    FDesktop->ShellExec(program, argument);
    return true;
  }
  // A program that is not on disk runs only from the site, and then its
  // argument comes only from the site too.
  bool result = false;
  String archiveArgument;
  const String argumentName = ArchiveName(filePath);
  if (InArchive(argumentName)) {
    archiveArgument = MakeTemporaryCopy(argumentName, EntryExtension(argumentName));
    result = result || !archiveArgument.empty();
  }
  const String programName = ArchiveName(execPath);
  if (InArchive(programName)) {
    const String programCopy = MakeTemporaryCopy(programName, EntryExtension(programName));
    if (!programCopy.empty()) {
      result = true;
      FDesktop->ShellExec(programCopy, archiveArgument);
    }
  }
  return result;
}

bool THostServices::PlayFromLastSound(bool loop) {
  FSoundStarted = true;
  return FDesktop->PlaySoundFromStream(FLastSound, loop);
}

bool THostServices::PlayWavSound(const String& wavPath, bool loop) {
  if (FileExists(wavPath)) {
    // The platform may still be reading the buffer: stop before touching it.
    FDesktop->StopCurrentSound();
    FLastSound.Clear();
    ReadWholeFile(wavPath, FLastSound);
    return PlayFromLastSound(loop);
  }
  const String name = ArchiveName(wavPath);
  if (!InArchive(name)) return false;
  try {
    const auto entry = ExtractEntry(name);
    FDesktop->StopCurrentSound();
    FLastSound.Clear();
    FLastSound.Bytes() = entry->Bytes();
    FLastSound.SetPosition(0);
    return PlayFromLastSound(loop);
  } catch (const std::exception& error) {
    const String message = dynamic_cast<const Exception*>(&error) ? static_cast<const Exception&>(error).Message()
                                                                  : FromUtf8(error.what());
    FDesktop->ShowMessage(Format(u"File \"%s\" can't be read. Error message: %s.", {wavPath, message}),
                          FSettings.Title);
    return false;
  }
}

TRegistry& THostServices::Registry() {
  if (!FRegistry || !FRegistry->IsOpen()) FRegistry = std::make_unique<TRegistry>();
  return *FRegistry;
}

bool THostServices::WriteRegistry(const String& Key, const String& ValueName, const String& Value) {
  switch (Registry().WriteValueCreatingKey(Key, ValueName, TRegValue::FromString(Value))) {
    case TRegistry::TWriteResult::KeyFailed:
      return false;
    case TRegistry::TWriteResult::WriteFailed:
      throw ERegistryException(Format(u"Failed to set data for '%s'", {ValueName}));
    case TRegistry::TWriteResult::Written:
      break;
  }
  return true;
}

String THostServices::ReadRegistry(const String& Key, const String& ValueName) {
  TRegistry& registry = Registry();
  const auto value = registry.ReadValue(Key, ValueName);
  if (!value) return {};
  if (!value->IsText()) throw ERegistryException(Format(u"Invalid data type for '%s'", {ValueName}));
  return value->AsText();
}

bool THostServices::RemoveRegistry(const String& Key, const String& ValueName) {
  const bool blank = Trim(ValueName).empty();
  StringView keyPath = Key;
  if (!keyPath.empty() && keyPath.front() == u'\\') keyPath.remove_prefix(1);
  TRegistry& registry = Registry();
  if (blank) {
    // The empty path is the user's whole hive: never deleted.
    if (keyPath.empty() || keyPath == u"\\") return false;
    return registry.KeyExists(Key) && registry.DeleteKey(Key);
  }
  return registry.DeleteValue(Key, ValueName);
}

bool THostServices::StopSound() { return FDesktop->StopCurrentSound(); }

bool THostServices::ShellOpen(const String& path) { return FDesktop->ShellOpen(path); }

String THostServices::GetPCName() { return TSysUtils::GetComputerNetName(); }
String THostServices::GetPCUserName() { return TSysUtils::GetUserFromWindows(); }
String THostServices::GetUserDocsDir() { return TSysUtils::GetUserDocumentsDirPath(); }

String THostServices::DiskPathOfEntry(const String& entryName) const {
  String relative = RemoveText(entryName, FSettings.AppRootDir);
  for (char16_t& c : relative) {
    if (c == u'/') c = PathDelim;
  }
  const String joined = FSettings.ExeDir + relative;
  // Each pair of separators becomes one, except the two that start a
  // network path ("\\server\share").
  const size_t keep = joined.size() >= 2 && joined[0] == PathDelim && joined[1] == PathDelim ? 2 : 0;
  String path = joined.substr(0, keep);
  for (size_t i = keep; i < joined.size(); ++i) {
    path.push_back(joined[i]);
    if (joined[i] == PathDelim && i + 1 < joined.size() && joined[i + 1] == PathDelim) ++i;
  }
  return path;
}

String THostServices::OfferedSaveName(const String& entryName, const String& extension) const {
  if (FLastSaveName.empty()) {
    const size_t slash = entryName.find_last_of(u"/\\");
    return slash == String::npos ? entryName : entryName.substr(slash + 1);
  }
  const String lastExtension = EntryExtension(FLastSaveName);
  return FLastSaveName.substr(0, FLastSaveName.size() - lastExtension.size()) + u"." + extension;
}

bool THostServices::IsSavedOrRun(const String& url) const {
  if (!StartsTextLocale(SitePrefix(), url)) return false;
  const String extension = UrlExtension(url);
  for (const String& list : {FSettings.ExtractExts, FSettings.ExecuteExts}) {
    for (const String& word : ExtensionWords(list)) {
      if (word == extension) return true;
    }
  }
  return false;
}

bool THostServices::HandleDownloableFiles(const String& url) {
  if (!IsSavedOrRun(url)) return false;
  const std::vector<String> extractWords = ExtensionWords(FSettings.ExtractExts);
  const std::vector<String> executeWords = ExtensionWords(FSettings.ExecuteExts);
  const String extension = UrlExtension(url);
  const String entryName = TStrUtils::RemoveSideSlashes(RemoveText(url, SitePrefix()));

  for (const String& word : extractWords) {
    if (word != extension) continue;
    TSaveDialogRequest request{extension, UpperCaseAscii(extension) + u"|*." + extension,
                               OfferedSaveName(entryName, extension)};
    if (!InArchive(entryName) || !FSaveDialog || !FSaveDialog(request)) continue;
    FLastSaveName = request.FileName;
    ExtractToFile(entryName, request.FileName);
    FDesktop->ShellOpen(request.FileName);
  }

  // The extension becomes part of a temporary file's name: one that holds a
  // path separator would put the copy somewhere else, so none is made.
  const bool safeExtension = extension.find_first_of(u"/\\:") == String::npos;
  // A program runs once: from the site when it is there, else from beside
  // the executable.
  bool ranFromSite = false;
  for (const String& word : executeWords) {
    if (word != extension) continue;
    if (!safeExtension || !InArchive(entryName)) continue;
    const String copy = MakeTemporaryCopy(entryName, u"." + extension);
    if (copy.empty()) continue;
    ranFromSite = true;
    FDesktop->ShellOpen(copy);
  }

  for (const String& word : executeWords) {
    if (word != extension || ranFromSite) continue;
    // Only below the executable's folder. The path as it will be opened is
    // checked: removing the root folder's name can itself make a climb
    // ("site/.site./a.exe" becomes "../a.exe").
    const String diskPath = DiskPathOfEntry(entryName);
    if (StaysInsideFolder(FSettings.ExeDir, diskPath) && FileExists(diskPath)) FDesktop->ShellOpen(diskPath);
  }
  return true;
}

}  // namespace lumora
