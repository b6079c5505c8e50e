#include "pack/Packer.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/ConfigKeys.h"
#include "base/Exception.h"
#include "os/IconFile.h"
#include "base/ResourceUpdateError.h"
#include "core/ExeHtmlSite.h"
#include "core/ExeUtils.h"
#include "core/WindowIcon.h"
#include "os/ImageHeaders.h"
#include "core/IniFile.h"
#include "core/StrUtils.h"
#include "base/Stream.h"
#include "core/pe/PeCheckSum.h"
#include "core/pe/PeResourceEditor.h"
#include "core/pe/VersionInfo.h"
#include "pack/Console.h"
#include "pack/DosTime.h"
#include "pack/OutputPart.h"
#include "pack/PackChecks.h"
#include "pack/EncodePipeline.h"
#include "pack/NearestName.h"
#include "pack/ProgressBar.h"
#include "pack/SiteConfig.h"
#include "pack/SiteFilter.h"
#include "pack/SiteScanner.h"
#include "pack/TemplateLint.h"
#include "pack/WindowsEngineLint.h"
#include "pack/ZipWriter.h"
#include "os/File.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

// The content of the preview's marker entry; only its name counts.
const std::string kPreviewMarker = "lumora-pack --run";

// The configuration's section of version strings, which the runtime never
// reads.
constexpr StringView kVersionInfoSection = u"VersionInfo";

// Less room than this left on the output's disk when a write failed: the
// disk is full, whatever the error said.
constexpr uintmax_t kFullDiskMargin = 1024 * 1024;

String Canonical(const String& path, StringView what) {
  std::error_code error;
  const fs::path resolved = fs::canonical(fs::path(path), error);
  if (error) {
    throw Exception(Format(u"Cannot open the %s \"%s\". %s", {what, path, FromUtf8(error.message())}));
  }
  return resolved.u16string();
}

std::string ReadWholeFile(const String& path) {
  TFileStream file(path, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

// The runtime must be a bare program image: whatever follows the image
// counts as the archive, so a runtime that already carries data (a packaged
// program, a signature, a symbol table) would make a package that cannot
// start.
void CheckRuntime(const String& runtime) {
  const auto size = static_cast<int64_t>(fs::file_size(fs::path(runtime)));
  const int64_t imageEnd = ImageEndOfFile(runtime);
  if (imageEnd < 0) {
    throw Exception(
        Format(u"\"%s\" is not a runtime: it is neither a Windows (PE) nor a Linux (ELF) program", {runtime}));
  }
  if (imageEnd > size) {
    throw Exception(Format(u"\"%s\" is damaged: the file ends before its program image", {runtime}));
  }
  if (imageEnd < size && AppendedDataEnd(runtime, imageEnd) == imageEnd) {
    throw Exception(Format(u"\"%s\" is signed: pack the bare runtime, then sign the packed program", {runtime}));
  }
  if (imageEnd < size) {
    throw Exception(
        Format(u"\"%s\" is not a bare runtime: %s bytes follow its program image "
               u"(is it a packaged program?)",
               {runtime, IntToStr(size - imageEnd)}));
  }
}

String NameList() {
  String list;
  for (const String& name : TVersionInfo::SettableNames()) list += (list.empty() ? u"" : u", ") + name;
  return list;
}

// The version string name as the version resource spells it, whatever the
// letter case it was given in; empty for a name that is not one of them.
String VersionStringName(const String& name) {
  for (const String& known : TVersionInfo::SettableNames()) {
    if (UpperCaseAscii(known) == UpperCaseAscii(name)) return known;
  }
  return {};
}

// The bytes of an icon for the package's "lm-icon" entry: a picture the
// runtimes accept.
std::string LoadPackageIcon(const String& path) {
  std::string bytes = ReadWholeFile(path);
  if (!TWindowIcon::IsAcceptable(bytes)) {
    throw Exception(
        Format(u"\"%s\" is not an icon: give a PNG picture or an ICO file of at most "
               u"1 MiB, no side over 1024 pixels",
               {path}));
  }
  return bytes;
}

// Whether the runtime, which ignores the case of ASCII letters, finds a file
// of this name under the package's own entry name.
bool IsEntryNamed(const std::string& name, StringView entryName) {
  return UpperCaseAscii(FromUtf8(name)) == UpperCaseAscii(entryName);
}

// One entry of the package: a site file, or the configuration from memory.
struct TSourceEntry {
  std::string Name;
  String Path;
  int64_t Size = 0;
  int64_t ModifiedTime = 0;
  const std::string* Bytes = nullptr;
};

class TPackJob {
 public:
  TPackJob(const TPackOptions& options, const TPacker::TOnWarning& onWarning)
      : FOptions(options), FOnWarning([this, onWarning](const String& message) {
          ++FWarnings;
          if (onWarning) onWarning(message);
        }) {}

  TPackSummary Run() {
    TPackSummary summary;
    TPackChecks::CheckOutput(FOptions.Output);
    summary.Runtime = TPackChecks::ResolveRuntime(FOptions.Runtime, FOptions.Target);
    CheckRuntime(summary.Runtime);
    // The output's folder takes the part before the site is read: a folder
    // that cannot be written to, or a disk without room for the runtime
    // alone, is said at once, not after a long scan.
    TOutputPart program(FOptions.Output);
    const auto runtimeSize = static_cast<uintmax_t>(fs::file_size(fs::path(summary.Runtime)));
    TPackChecks::CheckRoom(FOptions.Output, runtimeSize,
                           Format(u"The runtime alone takes %s bytes.", {IntToStr(static_cast<int64_t>(runtimeSize))}));
    // A Windows runtime takes the icon as its main icon; any other finds it
    // in the package.
    summary.Target = TPackChecks::CheckTarget(summary.Runtime, FOptions.Target);
    const bool windowsRuntime = TRuntimeLocator::IsWindows(summary.Target);
    // The icon is checked before any work, with the messages of the
    // Windows icon replacement.
    if (!FOptions.IconFile.empty() && windowsRuntime) FMainIcon = LoadMainIcon();
    if (const String warning = TPackChecks::OutputNameWarning(FOptions.Output, windowsRuntime);
        !warning.empty() && !FOptions.NamedByPacker) {
      Warn(warning);
    }
    FIconInPackage = !FOptions.IconFile.empty() && !windowsRuntime;
    CollectEntries(program.Path());
    CollectVersionStrings(windowsRuntime);
    FRewrittenRuntime = RewriteResources(summary.Runtime);
    CheckStartPage();
    CheckRootFolder();
    WarnUnreachableNames();
    WarnCaseTwins();
    LintTemplates();
    if (windowsRuntime || FOptions.Lint) LintForWindowsEngine();
    if (FOptions.Strict && FWarnings > 0) {
      throw Exception(
          Format(u"%s warning(s) with --strict: nothing written", {IntToStr(static_cast<int64_t>(FWarnings))}));
    }

    try {
      CopyRuntime(summary.Runtime, program.Path());
      summary.ArchiveBytes = AppendArchive(program.Path());
      // A Windows program's header checksum covers the whole file, the
      // archive included.
      if (windowsRuntime) {
        TFileStream file(program.Path(), TFileAccess::ReadWrite, TFileShare::ReadWrite, TFileCreation::OpenExisting);
        TPeCheckSum::Update(file);
      }
    } catch (const std::exception& error) {
      // A full disk shows in the error as whatever the file system makes
      // of it ("No space left on device", or an input/output error): the
      // disk itself tells, while the part still fills it.
      TPackChecks::CheckRoom(FOptions.Output, kFullDiskMargin, FromUtf8(error.what()));
      throw;
    }
    program.MoveToOutput();

    summary.Entries = FEntries.size();
    summary.ContentBytes = FContentBytes;
    summary.Notes.insert(summary.Notes.end(), FNotes.begin(), FNotes.end());
    return summary;
  }

 private:
  void Warn(const String& message) { FOnWarning(message); }

  // A Windows program's new main icon: an ICO file, or a PNG picture made
  // into one.
  std::vector<uint8_t> LoadMainIcon() const {
    const String path = Canonical(FOptions.IconFile, u"icon file");
    const std::string bytes = ReadWholeFile(path);
    const std::vector<uint8_t> picture(bytes.begin(), bytes.end());
    if (TPackChecks::IsPng(picture)) return TPackChecks::IconFromPng(picture, FOptions.IconFile);
    try {
      return TIconFile::Load(path);
    } catch (const EResourceUpdateError& error) {
      if (error.Message().find(u"invalid") == String::npos) throw;
      throw Exception(error.Message() +
                      u" (a Windows program's icon is an ICO file, or a PNG picture of "
                      u"at most 256x256 pixels that the packer makes into one)");
    }
  }

  // The site's files less those the filters leave out, with a note of what
  // was left out and why.
  std::vector<TSiteFile> ScanSite() {
    std::vector<std::string> patterns;
    for (const String& pattern : FOptions.Excludes) patterns.push_back(ToUtf8(pattern));
    TSiteFilter filter(FOptions.DefaultExcludes, std::move(patterns));
    const String ignoreFile = (fs::path(FOptions.SourceDir) / fs::path(kIgnoreFileName)).u16string();
    filter.AddIgnoreFile(ignoreFile);
    std::vector<TExcludedEntry> excluded;
    std::vector<TSiteFile> files =
        TSiteScanner::Scan(FOptions.SourceDir, FOptions.Output, FOnWarning, filter, excluded);
    std::erase_if(files, [](const TSiteFile& file) { return FromUtf8(file.Name) == kIgnoreFileName; });
    NoteExcluded(excluded, TExcludeReason::Default,
                 u"version control, system and editor leftovers; --no-default-excludes packs them");
    NoteExcluded(excluded, TExcludeReason::Author, Format(u"matched by --exclude or %s", {kIgnoreFileName}));
    // A program packed into the site folder earlier would be packed again,
    // runtime and all, into every later one.
    std::erase_if(files, [this](const TSiteFile& file) {
      if (!TPackChecks::IsPackedProgram(file.Path)) return false;
      Warn(
          Format(u"left out \"%s\": it is a program packed by lumora-pack; write programs outside "
                 u"SOURCE_DIR so they are not packed into the next one",
                 {FromUtf8(file.Name)}));
      return true;
    });
    return files;
  }

  // One line for all the entries left out for reason: how many, the first
  // few names, and why.
  void NoteExcluded(std::vector<TExcludedEntry> excluded, TExcludeReason reason, const String& why) {
    constexpr size_t kNamesShown = 5;
    std::sort(excluded.begin(), excluded.end(),
              [](const TExcludedEntry& a, const TExcludedEntry& b) { return a.Name < b.Name; });
    String names;
    size_t count = 0;
    for (const TExcludedEntry& entry : excluded) {
      if (entry.Reason != reason) continue;
      if (++count <= kNamesShown) names += (names.empty() ? u"" : u", ") + FromUtf8(entry.Name);
    }
    if (count == 0) return;
    if (count > kNamesShown) names += u", ...";
    FNotes.push_back(Format(u"left out %s %s: %s (%s)",
                            {IntToStr(static_cast<int64_t>(count)), count == 1 ? u"entry" : u"entries", names, why}));
  }

  // The site's files, with the configuration in place of any root file that
  // the runtime would find under the name "lm-config".
  // The part being written (part) is no file of the site, even when the
  // output lies inside the site folder.
  void CollectEntries(const String& part) {
    std::vector<TSiteFile> files = ScanSite();
    const fs::path partName = fs::path(part).filename();
    std::erase_if(files, [&](const TSiteFile& file) {
      std::error_code error;
      return fs::path(file.Path).filename() == partName && fs::equivalent(fs::path(file.Path), fs::path(part), error);
    });
    std::vector<TSiteFile> configFiles;
    std::erase_if(files, [&](const TSiteFile& file) {
      if (!IsEntryNamed(file.Name, ConfigEntryName)) return false;
      configFiles.push_back(file);
      return true;
    });

    String configPath;
    if (!FOptions.ConfigFile.empty()) {
      configPath = Canonical(FOptions.ConfigFile, u"configuration file");
    } else if (!configFiles.empty()) {
      const auto exact = std::find_if(configFiles.begin(), configFiles.end(),
                                      [](const TSiteFile& f) { return FromUtf8(f.Name) == ConfigEntryName; });
      configPath = (exact != configFiles.end() ? *exact : configFiles.front()).Path;
    }
    // --config takes the place of the site's "lm-config" without a word; a
    // name in other letter case may be a mistake and is pointed out.
    for (const TSiteFile& file : configFiles) {
      if (file.Path != configPath && FromUtf8(file.Name) != ConfigEntryName) {
        Warn(Format(u"skipped \"%s\": the configuration is taken from \"%s\"", {file.Path, configPath}));
      }
    }

    for (const TSiteFile& file : files) {
      FEntries.push_back(TSourceEntry{file.Name, file.Path, file.Size, file.ModifiedTime, nullptr});
    }
    if (!configPath.empty()) LoadConfig(configPath);
    if (FIconInPackage) AddPackageIcon();
    // Only the preview carries the marker; a site's own file of that name
    // would turn a finished program into one.
    std::erase_if(FEntries, [&](const TSourceEntry& entry) {
      if (!IsEntryNamed(entry.Name, PreviewEntryName)) return false;
      Warn(Format(u"skipped \"%s\": \"%s\" is the name lumora-pack --run marks its programs with",
                  {entry.Path, PreviewEntryName}));
      return true;
    });
    if (FOptions.PreviewMarker) {
      FEntries.push_back(
          TSourceEntry{ToUtf8(PreviewEntryName), u"", static_cast<int64_t>(kPreviewMarker.size()), 0, &kPreviewMarker});
    }
    std::sort(FEntries.begin(), FEntries.end(),
              [](const TSourceEntry& a, const TSourceEntry& b) { return a.Name < b.Name; });
  }

  // The icon as the package's "lm-icon", in place of a site file the
  // runtime would find under that name.
  void AddPackageIcon() {
    const String path = Canonical(FOptions.IconFile, u"icon file");
    FIconBytes = LoadPackageIcon(path);
    std::erase_if(FEntries, [&](const TSourceEntry& entry) {
      if (!IsEntryNamed(entry.Name, IconEntryName)) return false;
      Warn(Format(u"skipped \"%s\": the icon is taken from \"%s\"", {entry.Path, path}));
      return true;
    });
    FEntries.push_back(TSourceEntry{ToUtf8(IconEntryName), path, static_cast<int64_t>(FIconBytes.size()),
                                    TSiteScanner::ModifiedTime(path), &FIconBytes});
  }

  void LoadConfig(const String& path) {
    FHasConfig = true;
    const std::string fileBytes = ReadWholeFile(path);
    if (TSiteConfig::IsUtf16WithoutMark(fileBytes)) {
      throw Exception(
          Format(u"\"%s\" is UTF-16 without a byte-order mark, which the runtime would "
                 u"read as empty: save it as UTF-8 (or as UTF-16 with a byte-order mark)",
                 {path}));
    }
    FConfigBytes = TSiteConfig::EntryBytes(fileBytes);
    FConfig.LoadFromBytes(FConfigBytes);
    const TConfigFindings findings = TSiteConfig::Check(FConfig, FOptions.AllowUnknownKeys);
    for (const String& warning : findings.Warnings) Warn(warning);
    if (!findings.Errors.empty()) throw Exception(findings.Errors.front());
    FEntries.push_back(TSourceEntry{ToUtf8(ConfigEntryName), path, static_cast<int64_t>(FConfigBytes.size()),
                                    TSiteScanner::ModifiedTime(path), &FConfigBytes});
  }

  // The runtime's first request must find an entry, or the package starts
  // with an empty window.
  void CheckStartPage() {
    const String start = TSiteConfig::StartEntryName(FConfig);
    if (start.empty()) {
      throw Exception(FHasConfig ? Format(u"IndexPage is not set in %s: the package would have no start "
                                          u"page",
                                          {ConfigEntryName})
                                 : NoConfigMessage());
    }
    if (HasEntry(start)) return;
    const String given = ReadConfigString(FConfig, TConfigKeyId::IndexPage);
    String message = Format(u"IndexPage \"%s\" names no file of the package", {given});
    const String root = ReadConfigString(FConfig, TConfigKeyId::RootDirName);
    String slashes = given;
    std::replace(slashes.begin(), slashes.end(), u'\\', u'/');
    String fixed = slashes;
    while (fixed.starts_with(u"./")) fixed.erase(0, 2);
    if (slashes != given || fixed != slashes) {
      message += slashes != given ? String(u": names in the package use \"/\" between folders")
                                  : String(u": names start at the top of SOURCE_DIR, without \"./\"");
      if (HasEntry(TSiteConfig::StartEntryName(fixed))) message += Format(u" (write \"%s\")", {fixed});
    } else if (!root.empty() && HasEntry(root + u"/" + start)) {
      message += Format(u" (IndexPage includes the root folder: \"%s/%s\")", {root, start});
    } else if (const String nearest = NearestPage(start); !nearest.empty()) {
      message += Format(u" (did you mean \"%s\"?)", {nearest});
    }
    throw Exception(message);
  }

  // The page a start page that is not there was most likely meant to be:
  // the one page of the same file name in another folder, else a name a
  // few letters off.
  String NearestPage(const String& start) const {
    constexpr size_t kPageSlipEdits = 3;
    std::vector<String> pages;
    for (const TSourceEntry& entry : FEntries) {
      if (TTemplateLint::IsPageCandidate(FromUtf8(entry.Name))) pages.push_back(FromUtf8(entry.Name));
    }
    const auto baseName = [](const String& name) { return UpperCaseAscii(fs::path(name).filename().u16string()); };
    String found;
    size_t sameName = 0;
    for (const String& page : pages) {
      if (baseName(page) != baseName(start)) continue;
      found = page;
      ++sameName;
    }
    if (sameName == 1) return found;
    return NearestName(start, pages, kPageSlipEdits);
  }

  // Scripts and templates name files below RootDirName; a folder the
  // package does not have makes every such name miss.
  void CheckRootFolder() {
    const String root = ReadConfigString(FConfig, TConfigKeyId::RootDirName);
    if (root.empty()) return;
    const String prefix = UpperCaseAscii(root) + u"/";
    std::vector<String> folders;
    for (const TSourceEntry& entry : FEntries) {
      const String name = FromUtf8(entry.Name);
      if (UpperCaseAscii(name).starts_with(prefix)) return;
      const size_t slash = name.find(u'/');
      if (slash == String::npos) continue;
      const String folder = u"\"" + name.substr(0, slash) + u"\"";
      if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    String list;
    for (const String& folder : folders) list += (list.empty() ? u"" : u", ") + folder;
    Warn(
        Format(u"RootDirName \"%s\" is no folder of the package: no entry starts with \"%s/\", so names that "
               u"scripts and templates give find nothing; %s",
               {root, root,
                folders.empty() ? String(u"there is no folder at the top of SOURCE_DIR")
                                : Format(u"the folders at the top of SOURCE_DIR are %s", {list})}));
  }

  String NoConfigMessage() const {
    String message = Format(
        u"The site has no %s (give one with --config): the package would have no "
        u"start page",
        {ConfigEntryName});
    std::vector<std::string> names;
    for (const TSourceEntry& entry : FEntries) names.push_back(entry.Name);
    const String lookalikes = TPackChecks::ConfigLookalikes(names);
    if (!lookalikes.empty()) {
      message += Format(
          u". Found %s: the runtime reads only a file named exactly \"%s\", with no "
          u"extension, at the top of SOURCE_DIR",
          {lookalikes, ConfigEntryName});
    }
    // Pointed at the site's root folder instead of the folder above it.
    std::error_code error;
    const fs::path above = fs::canonical(fs::path(FOptions.SourceDir), error).parent_path();
    if (!error && fs::is_regular_file(above / fs::path(ConfigEntryName), error)) {
      message += Format(
          u". The folder above, \"%s\", has one: pack that folder (its %s names the root folder "
          u"with RootDirName)",
          {above.u16string(), ConfigEntryName});
    }
    return message;
  }

  // Every HTML page's directives that would include nothing, by page and
  // line.
  void LintTemplates() {
    std::vector<String> names;
    for (const TSourceEntry& entry : FEntries) names.push_back(FromUtf8(entry.Name));
    const TTemplateLint lint(names, ReadConfigString(FConfig, TConfigKeyId::RootDirName));
    for (const TSourceEntry& entry : FEntries) {
      if (entry.Bytes != nullptr || !TTemplateLint::IsPageCandidate(FromUtf8(entry.Name))) continue;
      std::vector<String> warnings;
      try {
        warnings = lint.Check(FromUtf8(entry.Name), ReadWholeFile(entry.Path));
      } catch (const Exception& error) {
        // The matcher's own limits: the page is packed unchecked.
        warnings = {Format(u"%s: templates not checked: %s", {FromUtf8(entry.Name), error.Message()})};
      }
      for (const String& warning : warnings) Warn(warning);
    }
  }

  // Script the Windows runtime's engine stops at and CSS it ignores, in
  // every page, script and style sheet, by file and line.
  void LintForWindowsEngine() {
    constexpr size_t kFindingsPerFile = 20;
    for (const TSourceEntry& entry : FEntries) {
      const String name = FromUtf8(entry.Name);
      const TWindowsEngineLint::TKind kind = TWindowsEngineLint::KindOf(name);
      if (entry.Bytes != nullptr || kind == TWindowsEngineLint::TKind::None) continue;
      const std::string text = ReadWholeFile(entry.Path);
      const std::vector<TEngineFinding> findings =
          kind == TWindowsEngineLint::TKind::Script ? TWindowsEngineLint::CheckScript(text)
          : kind == TWindowsEngineLint::TKind::Css  ? TWindowsEngineLint::CheckCss(text)
                                                    : TWindowsEngineLint::CheckHtml(text);
      for (size_t i = 0; i < findings.size() && i < kFindingsPerFile; ++i) {
        Warn(Format(u"%s:%s: the Windows engine (Internet Explorer 11) %s %s",
                    {name, IntToStr(static_cast<int64_t>(findings[i].Line)),
                     findings[i].Css ? u"ignores" : u"does not run", findings[i].What}));
      }
      if (findings.size() > kFindingsPerFile) {
        Warn(Format(u"%s: %s more constructs the Windows engine does not know",
                    {name, IntToStr(static_cast<int64_t>(findings.size() - kFindingsPerFile))}));
      }
    }
  }

  // Entries are found ignoring the case of ASCII letters, as the runtime
  // finds them.
  bool HasEntry(const String& name) const {
    const String wanted = UpperCaseAscii(name);
    return std::any_of(FEntries.begin(), FEntries.end(),
                       [&](const TSourceEntry& entry) { return UpperCaseAscii(FromUtf8(entry.Name)) == wanted; });
  }

  // The runtime serves the last of several names that differ only in the
  // case of ASCII letters; the others can never be reached.
  // The runtime decodes a request's URL and then cuts it at the first "#"
  // or "?" (a fragment, a query), so no page loads such a file through
  // lmp://, whether it writes the sign or %23, %3F. The page services find
  // it by its name, so it is packed all the same.
  void WarnUnreachableNames() {
    for (const TSourceEntry& entry : FEntries) {
      if (entry.Name.find_first_of("#?") == std::string::npos) continue;
      Warn(
          Format(u"\"%s\" has \"#\" or \"?\" in its name: pages cannot load it through lmp:// (a URL's path "
                 u"ends there, written %23 or %3F too), only appReadFile and appOpenFile reach it; rename it "
                 u"to use it in a page",
                 {FromUtf8(entry.Name)}));
    }
  }

  void WarnCaseTwins() {
    std::map<String, const TSourceEntry*> seen;
    for (const TSourceEntry& entry : FEntries) {
      auto [it, added] = seen.emplace(UpperCaseAscii(FromUtf8(entry.Name)), &entry);
      if (added) continue;
      Warn(Format(u"\"%s\" and \"%s\" differ only in letter case: the runtime always serves \"%s\"",
                  {FromUtf8(it->second->Name), FromUtf8(entry.Name), FromUtf8(entry.Name)}));
      it->second = &entry;
    }
  }

  // The archive is written straight after the runtime's image, not built
  // apart and copied there: a large site is written once.
  int64_t AppendArchive(const String& program) {
    std::vector<TPipelineEntry> entries;
    entries.reserve(FEntries.size());
    for (const TSourceEntry& entry : FEntries) {
      FContentBytes += entry.Size;
      const TDosDateTime time = DosDateTimeFromUnix(entry.ModifiedTime);
      entries.push_back(TPipelineEntry{{entry.Name, time.Time, time.Date}, [&entry] { return OpenContent(entry); }});
    }
    TFileStream file(program, TFileAccess::Write, TFileShare::ReadWrite, TFileCreation::OpenExisting);
    const int64_t start = file.Seek(0, TSeekOrigin::End);
    TZipWriter writer(file, TExeHtmlSite::kArchivePassword);
    // Every entry is read twice: once for its CRC, once to compress it.
    TProgressBar progress(u"Packing", 2 * FContentBytes);
    TEncodePipeline::Write(entries, writer, {.Level = FOptions.Level, .Jobs = FOptions.Jobs},
                           [&progress](int64_t read) { progress.SetPosition(read); });
    writer.Finish();
    return file.Size() - start;
  }

  static std::unique_ptr<TStream> OpenContent(const TSourceEntry& entry) {
    if (entry.Bytes != nullptr) {
      auto content = std::make_unique<TMemoryStream>();
      content->WriteBuffer(entry.Bytes->data(), static_cast<int64_t>(entry.Bytes->size()));
      return content;
    }
    return std::make_unique<TFileStream>(entry.Path, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
  }

  // The version strings of the configuration's [VersionInfo] section, then
  // those of the options, the later of two for one name winning.
  void CollectVersionStrings(bool windowsRuntime) {
    std::vector<std::pair<String, String>> given;
    for (const String& name : FConfig.ReadSection(kVersionInfoSection)) {
      given.emplace_back(name, FConfig.ReadString(kVersionInfoSection, name, u""));
    }
    // The section serves the site's Windows programs; packed for Linux, it
    // is simply not used.
    const size_t fromConfig = given.size();
    given.insert(given.end(), FOptions.VersionStrings.begin(), FOptions.VersionStrings.end());
    for (const auto& [name, value] : given) {
      const String known = VersionStringName(name);
      if (known.empty()) {
        throw Exception(Format(u"\"%s\" is not a version string: give one of %s", {name, NameList()}));
      }
      std::erase_if(FVersionStrings, [&](const auto& pair) { return pair.first == known; });
      FVersionStrings.emplace_back(known, value);
    }
    if (!windowsRuntime) {
      if (given.size() > fromConfig) Warn(u"--version-info applies only to Windows programs: not written");
      FVersionStrings.clear();
    }
    for (const auto& [name, value] : FVersionStrings) {
      if (const String warning = TPackChecks::VersionNumberWarning(name, value); !warning.empty()) Warn(warning);
    }
  }

  // The runtime with the new icon and version strings, built in memory
  // before any other work so that a damaged runtime stops packing early;
  // empty when nothing changes. Rewriting the resources changes the file's
  // layout, so it has to come before the archive is appended.
  std::vector<uint8_t> RewriteResources(const String& runtime) const {
    if (FMainIcon.empty() && FVersionStrings.empty()) return {};
    TPeResourceEditor editor(runtime);
    if (!FMainIcon.empty()) editor.ReplaceMainIcon(FMainIcon);
    if (!FVersionStrings.empty()) editor.SetVersionStrings(FVersionStrings);
    return editor.Bytes();
  }

  // The runtime, or its rewritten resources, copied to program (the part,
  // which its creator holds open: shared for reading and writing); the
  // archive is appended after it. The program takes the runtime's
  // permissions, and always the owner's write permission, which appending
  // needs.
  void CopyRuntime(const String& runtime, const String& program) const {
    {
      TFileStream file(program, TFileAccess::Write, TFileShare::ReadWrite, TFileCreation::CreateAlways);
      if (!FRewrittenRuntime.empty()) {
        file.WriteBuffer(FRewrittenRuntime.data(), static_cast<int64_t>(FRewrittenRuntime.size()));
      } else {
        TFileStream source(runtime, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
        std::vector<uint8_t> block(1 << 20);
        while (const int64_t n = source.Read(block.data(), static_cast<int64_t>(block.size()))) {
          file.WriteBuffer(block.data(), n);
        }
      }
    }
    std::error_code error;
    const fs::perms perms = fs::status(fs::path(runtime), error).permissions();
    if (!error) fs::permissions(fs::path(program), perms | fs::perms::owner_write, error);
    if (error) {
      throw Exception(Format(u"Cannot copy the runtime to \"%s\". %s", {program, FromUtf8(error.message())}));
    }
    TConsole::MakeExecutable(program);
  }

  const TPackOptions& FOptions;
  size_t FWarnings = 0;
  // Counts the warnings for --strict, then passes them on.
  TPacker::TOnWarning FOnWarning;
  std::vector<TSourceEntry> FEntries;
  std::vector<String> FNotes;
  TMemIniFile FConfig;
  std::string FConfigBytes;
  // The package's "lm-icon", or a Windows runtime's new main icon.
  std::string FIconBytes;
  std::vector<uint8_t> FMainIcon;
  std::vector<uint8_t> FRewrittenRuntime;
  std::vector<std::pair<String, String>> FVersionStrings;
  bool FHasConfig = false;
  bool FIconInPackage = false;
  int64_t FContentBytes = 0;
};

}  // namespace

TPackSummary TPacker::Pack(const TPackOptions& options, const TOnWarning& onWarning) {
  return TPackJob(options, onWarning).Run();
}

}  // namespace lumora
