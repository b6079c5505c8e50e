// The host services over a small encrypted site archive, a scratch folder
// standing in for the executable's, and a desktop that records what it
// would have opened or played.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>

#include "core/ExeHtmlSite.h"
#include "core/TemporalFiles.h"
#include "core/services/HostServices.h"
#include "core/zip/AbZipKit.h"
#include "os/File.h"
#include "os/Registry.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace lumora {
namespace {

using test::ReadWholeFile;
using test::TScopedEnv;
using test::TScratchDir;
using test::WriteWholeFile;
namespace fs = std::filesystem;

std::string Utf8(const String& text) { return ToUtf8(text); }

class TRecordingDesktop : public THostDesktop {
 public:
  explicit TRecordingDesktop(std::vector<std::string>& log) : FLog(log) {}
  bool ShellOpen(const String& path) override { return Log("open " + Utf8(path)); }
  bool ShellExec(const String& path, const String& parameters) override {
    return Log("exec " + Utf8(path) + " [" + Utf8(parameters) + "]");
  }
  bool StopCurrentSound() override { return Log("stop"); }
  bool PlaySoundFromStream(const TMemoryStream& stream, bool loop) override {
    if (FailPlay) throw Exception(u"no audio device");
    return Log("play " + std::string(stream.Bytes().begin(), stream.Bytes().end()) + (loop ? " loop" : " once"));
  }
  void ShowMessage(const String& text, const String& caption) override {
    Log("message " + Utf8(caption) + ": " + Utf8(text));
  }
  bool RunsProgramsIn(const String&) override { return !NoExec; }
  bool FailPlay = false;
  bool NoExec = false;  // the temporary folder's file system forbids programs

 private:
  bool Log(std::string line) {
    FLog.push_back(std::move(line));
    return true;
  }
  std::vector<std::string>& FLog;
};

class HostServicesTest : public ::testing::Test {
 protected:
  HostServicesTest() {
    fs::create_directories(fs::path(FScratch.File(u"exe")));
    std::vector<test::TZipTestEntry> entries;
    for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
             {"site/notes.txt", "\xEF\xBB\xBFin site \xFF"},
             {"site/both.txt", "from site"},
             {"site/docs/guide.pdf", "%PDF"},
             {"site/ding.wav", "RIFF-site"},
             {"site/tool.exe", "MZ-tool"},
             {"site/files/a.zip", "PK-a"},
             {"site/tools/setup.exe", "MZ-setup"},
             {"site/v1.2/readme", "plain"},
             {"site/run.sh", "#!/bin/sh\n"},
             {"site/run.elf",
              "\x7F"
              "ELF\x01"},
         }) {
      entries.push_back({.Name = name, .Data = data, .Password = TExeHtmlSite::kArchivePassword});
    }
    const String archive = FScratch.File(u"site.zip");
    WriteWholeFile(archive, test::BuildZip(entries));
    FZip.SetPassword(TExeHtmlSite::kArchivePassword);
    FZip.SetFileName(archive);
    FTemporalFiles.SetGiveUpMilliseconds(0);
    FServices = std::make_unique<THostServices>(
        FZip, FTemporalFiles, THostServicesSettings{.AppRootDir = u"site", .Title = u"Viewer", .ExeDir = ExeDir()},
        [this](TSaveDialogRequest& request) {
          FDialogs.push_back(Utf8(request.DefaultExt) + " " + Utf8(request.Filter) + " " + Utf8(request.FileName));
          if (FSaveAs.empty()) return false;
          request.FileName = FSaveAs;
          return true;
        },
        std::make_unique<TRecordingDesktop>(FLog));
  }

  String ExeDir() const { return FScratch.File(u"exe") + PathDelim; }
  String InExe(StringView name) const { return ExeDir() + String(name); }

  TScratchDir FScratch;
  TScopedEnv FConfigHome{"XDG_CONFIG_HOME", Utf8(FScratch.Path())};
  TAbZipKit FZip;
  TTemporalFiles FTemporalFiles;
  std::vector<std::string> FLog;
  std::vector<std::string> FDialogs;
  String FSaveAs;
  std::unique_ptr<THostServices> FServices;
};

TEST_F(HostServicesTest, ReadFileTakesDiskThenSite) {
  WriteWholeFile(InExe(u"both.txt"), "from disk");
  EXPECT_EQ(FServices->ReadFile(u"both.txt"), u"from disk");
  EXPECT_EQ(FServices->ReadFile(u"/both.txt/"), u"from disk");
  EXPECT_EQ(FServices->ReadFile(InExe(u"both.txt")), u"from disk");
  // Only in the site: the byte-order mark stays, bad bytes become U+FFFD.
  EXPECT_EQ(FServices->ReadFile(u"notes.txt"), u"\uFEFFin site \uFFFD");
  EXPECT_EQ(FServices->ReadFile(u"NOTES.TXT"), u"\uFEFFin site \uFFFD");  // the archive ignores case
  EXPECT_EQ(FServices->ReadFile(u"missing.txt"), u"");
  EXPECT_FALSE(FServices->DoFileExists(u"notes.txt"));
  EXPECT_TRUE(FServices->DoFileExists(u"both.txt"));
  EXPECT_FALSE(FServices->DoFileExists(u""));  // the executable's folder is no file
}

TEST_F(HostServicesTest, TextFileEncoding) {
  const std::vector<std::pair<const char16_t*, std::string>> cases = {
      {u"", ""},
      {u"a", "a\r\n"},
      {u"a\r\nb\rc\nd\n", "a\r\nb\r\nc\r\nd\r\n"},
      {u"\n\n", "\r\n\r\n"},
      {u"caf\u00e9\0ignored", "caf\xC3\xA9\r\n"},
  };
  for (const auto& [text, body] : cases) {
    EXPECT_EQ(THostServices::EncodeTextFile(text), "\xEF\xBB\xBF" + body) << Utf8(text);
  }
  // The NUL case above is cut by the literal; one built in full:
  EXPECT_EQ(THostServices::EncodeTextFile(String(u"x\0y", 3)), "\xEF\xBB\xBFx\r\n");
}

TEST_F(HostServicesTest, WriteFileTargetsAndRoundTrip) {
  FServices->WriteFile(u"notes.txt", u"a");
  EXPECT_EQ(ReadWholeFile(InExe(u"notes.txt")),
            "\xEF\xBB\xBF"
            "a\r\n");
  EXPECT_EQ(FServices->ReadFile(u"notes.txt"),
            u"\uFEFF"
            u"a\r\n");

  FServices->WriteFile(u"/notes.txt/", u"b");  // the same file
  EXPECT_EQ(ReadWholeFile(InExe(u"notes.txt")),
            "\xEF\xBB\xBF"
            "b\r\n");

  const String elsewhere = FScratch.File(u"out.txt");  // its folder exists
  FServices->WriteFile(elsewhere, u"c");
  EXPECT_EQ(ReadWholeFile(elsewhere),
            "\xEF\xBB\xBF"
            "c\r\n");

  // A missing folder sends the whole text below the executable's folder,
  // where it cannot exist either: the error names the target.
  const String missing = FScratch.File(u"nope") + PathDelim + u"x.txt";
  try {
    FServices->WriteFile(missing, u"d");
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& error) {
    EXPECT_EQ(Utf8(error.Message()).rfind("Cannot create file \"" + Utf8(ExeDir()), 0), 0u) << error.what();
  }
  // Nothing half-written is left beside the targets.
  for (const fs::path& folder : {fs::path(ExeDir()), fs::path(FScratch.Path())}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      EXPECT_EQ(entry.path().extension().string() == ".tmp", false) << entry.path();
    }
  }
}

#ifndef _WIN32
// A file written for a page is the user's file: it keeps the permissions it
// had, a new one gets those the user's umask gives, and a symbolic link is
// written through to its target (which takes the new text in one step, so
// a kill never leaves half of it) and stays a link.
TEST_F(HostServicesTest, WriteFileKeepsModesAndLinks) {
  const auto modeOf = [](const String& path) { return fs::symlink_status(fs::path(path)).permissions(); };
  const String kept = FScratch.File(u"kept.txt");
  WriteWholeFile(kept, "old");
  fs::permissions(fs::path(kept), fs::perms(0640));
  FServices->WriteFile(kept, u"new");
  EXPECT_EQ(ReadWholeFile(kept),
            "\xEF\xBB\xBF"
            "new\r\n");
  EXPECT_EQ(modeOf(kept), fs::perms(0640));

  for (const mode_t mask : {mode_t(022), mode_t(077), mode_t(002)}) {
    const mode_t previous = ::umask(mask);
    const String fresh = FScratch.File(u"fresh-" + IntToStr(mask) + u".txt");
    FServices->WriteFile(fresh, u"x");
    ::umask(previous);
    EXPECT_EQ(modeOf(fresh), fs::perms(0666 & ~mask)) << "umask " << mask;
  }

  // Through a relative link, a link to a link and a link whose target is
  // not there yet.
  const String target = FScratch.File(u"target.txt");
  WriteWholeFile(target, "old target");
  fs::permissions(fs::path(target), fs::perms(0604));
  const String link = FScratch.File(u"link.txt");
  const String chain = FScratch.File(u"chain.txt");
  const String dangling = FScratch.File(u"dangling.txt");
  fs::create_symlink("target.txt", fs::path(link));
  fs::create_symlink(fs::path(link), fs::path(chain));
  fs::create_symlink("later.txt", fs::path(dangling));
  FServices->WriteFile(link, u"via link");
  EXPECT_TRUE(fs::is_symlink(fs::path(link)));
  EXPECT_EQ(ReadWholeFile(target),
            "\xEF\xBB\xBF"
            "via link\r\n");
  EXPECT_EQ(modeOf(target), fs::perms(0604));
  FServices->WriteFile(chain, u"via chain");
  EXPECT_TRUE(fs::is_symlink(fs::path(chain)) && fs::is_symlink(fs::path(link)));
  EXPECT_EQ(ReadWholeFile(target),
            "\xEF\xBB\xBF"
            "via chain\r\n");
  FServices->WriteFile(dangling, u"made");
  EXPECT_TRUE(fs::is_symlink(fs::path(dangling)));
  EXPECT_EQ(ReadWholeFile(FScratch.File(u"later.txt")),
            "\xEF\xBB\xBF"
            "made\r\n");
}
#endif

TEST_F(HostServicesTest, FoldersCreatedAndRemoved) {
  const String deep = FScratch.File(u"x") + PathDelim + u"y" + PathDelim + u"z";
  EXPECT_FALSE(FServices->DirExists(deep));
  EXPECT_TRUE(FServices->CreateDir(deep + PathDelim));
  EXPECT_TRUE(FServices->DirExists(deep));
  EXPECT_TRUE(FServices->CreateDir(deep));  // already there
  WriteWholeFile(deep + PathDelim + u"f.txt", "f");
  EXPECT_THROW(FServices->CreateDir(u""), Exception);
  // A level that is a file cannot be a folder.
  EXPECT_FALSE(FServices->CreateDir(deep + PathDelim + u"f.txt" + PathDelim + u"sub"));

  const String top = FScratch.File(u"x");
  EXPECT_TRUE(FServices->RemoveFile(top));
  EXPECT_FALSE(FServices->DirExists(top));
  EXPECT_FALSE(FServices->RemoveFile(top));
  WriteWholeFile(FScratch.File(u"file.txt"), "1");
  EXPECT_TRUE(FServices->RemoveFile(FScratch.File(u"file.txt")));
  EXPECT_FALSE(FileExists(FScratch.File(u"file.txt")));
}

TEST_F(HostServicesTest, OpenFileFromDiskOrThroughATemporaryCopy) {
  WriteWholeFile(InExe(u"local.txt"), "l");
  EXPECT_TRUE(FServices->OpenFile(u"local.txt"));
  EXPECT_TRUE(FServices->OpenFile(FScratch.Path()));  // a folder opens too
  EXPECT_TRUE(FServices->OpenFile(u"docs/guide.pdf"));
  EXPECT_FALSE(FServices->OpenFile(u"missing.pdf"));
  ASSERT_EQ(FLog.size(), 3u);
  EXPECT_EQ(FLog[0], "open " + Utf8(InExe(u"local.txt")));
  EXPECT_EQ(FLog[1], "open " + Utf8(FScratch.Path()));

  ASSERT_EQ(FTemporalFiles.Files().size(), 1u);
  const String copy = FTemporalFiles.Files()[0];
  EXPECT_EQ(FLog[2], "open " + Utf8(copy));
  const std::string name = fs::path(copy).filename().string();
  ASSERT_EQ(name.size(), 14u) << name;
  EXPECT_EQ(name.substr(10), ".pdf");
  EXPECT_TRUE(
      std::all_of(name.begin(), name.begin() + 10, [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }));
  EXPECT_EQ(ReadWholeFile(copy), "%PDF");

  // A dot in a folder name is no extension of the entry.
  EXPECT_TRUE(FServices->OpenFile(u"v1.2/readme"));
  ASSERT_EQ(FTemporalFiles.Files().size(), 2u);
  EXPECT_EQ(fs::path(FTemporalFiles.Files()[1]).filename().string().size(), 10u);
  EXPECT_EQ(THostServices::EntryExtension(u"site/v1.2/readme"), u"");
  EXPECT_EQ(THostServices::EntryExtension(u"site/a.tar.gz"), u".gz");
}

#ifndef _WIN32
// An archive keeps no execute bit, so a copy that holds a program is marked
// runnable; documents never are.
TEST_F(HostServicesTest, TemporaryCopiesOfProgramsAreRunnable) {
  for (const auto& [name, runnable] : std::vector<std::pair<String, bool>>{
           {u"run.sh", true}, {u"run.elf", true}, {u"tool.exe", false}, {u"docs/guide.pdf", false}}) {
    ASSERT_TRUE(FServices->OpenFile(name));
    const auto permissions = fs::status(fs::path(FTemporalFiles.Files().back())).permissions();
    EXPECT_EQ((permissions & fs::perms::owner_exec) != fs::perms::none, runnable) << Utf8(name);
    EXPECT_EQ(permissions & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << Utf8(name);
  }
}
#endif

// Where the temporary folder may hold no programs (mounted noexec), a
// program of the site is not started from its copy, silently failing: the
// user is told why. Documents open as before.
TEST_F(HostServicesTest, ProgramsTheTemporaryFolderCannotStartAreReported) {
  auto desktop = std::make_unique<TRecordingDesktop>(FLog);
  desktop->NoExec = true;
  THostServices services(FZip, FTemporalFiles,
                         {.AppRootDir = u"site", .ExecuteExts = u"sh", .Title = u"Viewer", .ExeDir = ExeDir()}, nullptr,
                         std::move(desktop));
  const std::string why = "message Viewer: \"site/run.sh\" cannot run: the temporary folder \"" +
                          Utf8(FTemporalFiles.Folder()) +
                          "\" is on a file system mounted without permission "
                          "to run programs (noexec).";
  const std::vector<std::pair<const char*, std::function<bool()>>> runs = {
      {"appOpenFile", [&] { return services.OpenFile(u"run.sh"); }},
      {"appOpenFileWith", [&] { return services.OpenFileWith(u"run.sh", u"notes.txt"); }},
      {"a listed program's link", [&] { return services.HandleDownloableFiles(u"lmp://site/run.sh"); }},
  };
  for (const auto& [what, run] : runs) {
    FLog.clear();
    run();
    ASSERT_FALSE(FLog.empty()) << what << ": nothing said";
    EXPECT_EQ(FLog.front(), why) << what;
    EXPECT_EQ(FLog.size(), 1u) << what << ": something started: " << FLog.back();
  }
  FLog.clear();
  EXPECT_TRUE(services.OpenFile(u"docs/guide.pdf"));
  ASSERT_EQ(FLog.size(), 1u);
  EXPECT_EQ(FLog[0].rfind("open ", 0), 0u) << FLog[0];
}

TEST_F(HostServicesTest, OpenFileWithPicksDiskOrSite) {
  WriteWholeFile(InExe(u"viewer.exe"), "MZ");
  // Program on disk: the data file's disk candidate is passed, not a copy.
  EXPECT_TRUE(FServices->OpenFileWith(u"viewer.exe", u"docs/guide.pdf"));
  EXPECT_EQ(FLog.back(), "exec " + Utf8(InExe(u"viewer.exe")) + " [" + Utf8(InExe(u"docs/guide.pdf")) + "]");
  EXPECT_TRUE(FTemporalFiles.Files().empty());

  // Both in the site: the program's copy gets the data copy's path.
  EXPECT_TRUE(FServices->OpenFileWith(u"tool.exe", u"docs/guide.pdf"));
  ASSERT_EQ(FTemporalFiles.Files().size(), 2u);
  EXPECT_EQ(FLog.back(), "exec " + Utf8(FTemporalFiles.Files()[1]) + " [" + Utf8(FTemporalFiles.Files()[0]) + "]");

  // Program in the site, data nowhere: no argument, still true.
  EXPECT_TRUE(FServices->OpenFileWith(u"tool.exe", u"missing.txt"));
  EXPECT_EQ(FLog.back(), "exec " + Utf8(FTemporalFiles.Files()[2]) + " []");

  // Program nowhere but data in the site: a copy is made, nothing runs.
  const size_t calls = FLog.size();
  EXPECT_TRUE(FServices->OpenFileWith(u"missing.exe", u"notes.txt"));
  EXPECT_EQ(FLog.size(), calls);
  EXPECT_FALSE(FServices->OpenFileWith(u"missing.exe", u"missing.txt"));
}

TEST_F(HostServicesTest, PlayWavSoundStopsBeforeTouchingTheBuffer) {
  const String disk = FScratch.File(u"disk.wav");
  WriteWholeFile(disk, "RIFF-disk");
  WriteWholeFile(InExe(u"ding.wav"), "RIFF-beside-exe");
  EXPECT_TRUE(FServices->PlayWavSound(disk, true));
  // A relative name is not looked up next to the executable.
  EXPECT_TRUE(FServices->PlayWavSound(u"ding.wav", false));
  EXPECT_FALSE(FServices->PlayWavSound(u"missing.wav", false));
  EXPECT_EQ(FLog, (std::vector<std::string>{"stop", "play RIFF-disk loop", "stop", "play RIFF-site once"}));
  EXPECT_EQ(FServices->LastSound().Bytes().size(), 9u);

  // A failure in the site branch is shown and answered with false.
  FLog.clear();
  THostServices failing(FZip, FTemporalFiles, {.AppRootDir = u"site", .Title = u"Viewer", .ExeDir = ExeDir()}, nullptr,
                        [&] {
                          auto desktop = std::make_unique<TRecordingDesktop>(FLog);
                          desktop->FailPlay = true;
                          return desktop;
                        }());
  EXPECT_FALSE(failing.PlayWavSound(u"ding.wav", false));
  ASSERT_EQ(FLog.size(), 2u);
  EXPECT_EQ(FLog[1], "message Viewer: File \"ding.wav\" can't be read. Error message: no audio device.");

  // The services stop what still plays before the buffer goes.
  FLog.clear();
  FServices.reset();
  EXPECT_EQ(FLog, std::vector<std::string>{"stop"});
}

TEST_F(HostServicesTest, RegistryServices) {
  const String key = u"Software\\LumoraTest\\Services";
  TRegistry registry;
  registry.DeleteKey(key);
  EXPECT_EQ(FServices->ReadRegistry(key, u"Name"), u"");
  EXPECT_TRUE(FServices->WriteRegistry(u"\\" + key + u"\\Sub", u"Name", u"value"));
  EXPECT_TRUE(FServices->WriteRegistry(key, u"", u"default"));
  EXPECT_EQ(FServices->ReadRegistry(key + u"\\Sub", u"name"), u"value");
  EXPECT_EQ(FServices->ReadRegistry(key, u""), u"default");
  EXPECT_EQ(FServices->ReadRegistry(key, u"missing"), u"");

  ASSERT_TRUE(registry.WriteValue(key, u"n", TRegValue::FromDWord(5)));
  ASSERT_TRUE(registry.WriteValue(key, u"x", TRegValue::FromString(u"%A%\0tail", TRegType::ExpandSz)));
  EXPECT_EQ(FServices->ReadRegistry(key, u"x"), u"%A%");  // not expanded, cut at the null
  try {
    FServices->ReadRegistry(key, u"n");
    ADD_FAILURE() << "no error";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), u"Invalid data type for 'n'");
  }

  EXPECT_TRUE(FServices->RemoveRegistry(key, u"n"));
  EXPECT_FALSE(FServices->RemoveRegistry(key, u"n"));
  EXPECT_TRUE(registry.KeyExists(key));
  EXPECT_FALSE(FServices->RemoveRegistry(u"", u" "));  // never the whole hive
  EXPECT_FALSE(FServices->RemoveRegistry(u"\\", u""));
  EXPECT_TRUE(registry.KeyExists(u"Software\\LumoraTest"));
  EXPECT_TRUE(FServices->RemoveRegistry(key, u" \t "));  // blank: the key and its subkeys
  EXPECT_FALSE(registry.KeyExists(key + u"\\Sub"));
  EXPECT_FALSE(registry.KeyExists(key));
  EXPECT_FALSE(FServices->RemoveRegistry(key, u""));
  registry.DeleteKey(u"Software\\LumoraTest");
}

TEST_F(HostServicesTest, DownloadsAreInterceptedByExtension) {
  const std::vector<std::pair<const char16_t*, bool>> cases = {
      {u"LMP://site/files/A.ZIP", false},  // ZIP is not the word zip
      {u"lmp://site/files/a.zip?x=1", false},
      {u"lmp://site/page.html", false},
      {u"https://example.com/a.zip", false},
      {u"about:blank", false},
      {u"lmp://site/folder/", false},
      {u"lmp://site/files/my%20file.zip", true},  // not found: cancelled, nothing saved
      {u"lmp://site/files/gone.mp3", true},
  };
  // IsSavedOrRun tells the same, doing nothing.
  for (const auto& [url, intercepted] : cases) EXPECT_EQ(FServices->IsSavedOrRun(url), intercepted) << Utf8(url);
  EXPECT_TRUE(FLog.empty());
  for (const auto& [url, intercepted] : cases)
    EXPECT_EQ(FServices->HandleDownloableFiles(url), intercepted) << Utf8(url);
  EXPECT_TRUE(FDialogs.empty());
  EXPECT_TRUE(FLog.empty());

  THostServices none(FZip, FTemporalFiles,
                     {.AppRootDir = u"site", .ExtractExts = u"", .ExecuteExts = u"", .ExeDir = ExeDir()}, nullptr,
                     std::make_unique<TRecordingDesktop>(FLog));
  EXPECT_FALSE(none.HandleDownloableFiles(u"lmp://site/files/a.zip"));
  EXPECT_FALSE(none.IsSavedOrRun(u"lmp://site/files/a.zip"));
  // Blanks around or between words make no empty word that would match
  // every name without an extension.
  THostServices blanks(FZip, FTemporalFiles,
                       {.AppRootDir = u"site", .ExtractExts = u" zip  ", .ExecuteExts = u"", .ExeDir = ExeDir()},
                       nullptr, std::make_unique<TRecordingDesktop>(FLog));
  EXPECT_FALSE(blanks.HandleDownloableFiles(u"lmp://site/folder/readme"));
  EXPECT_FALSE(blanks.IsSavedOrRun(u"lmp://site/folder/readme"));
}

TEST_F(HostServicesTest, SaveDialogWritesTheEntryAndRemembersTheName) {
  // Cancelled: nothing written, still intercepted. The first dialog offers
  // the link's own file name.
  EXPECT_TRUE(FServices->HandleDownloableFiles(u"LMP://site/files/a.zip"));
  EXPECT_EQ(FDialogs, std::vector<std::string>{"zip ZIP|*.zip a.zip"});
  EXPECT_TRUE(FLog.empty());

  FSaveAs = FScratch.File(u"saved.zip");
  WriteWholeFile(FSaveAs, "old contents, longer than the entry");
  EXPECT_TRUE(FServices->HandleDownloableFiles(u"lmp://site/files/a.zip"));
  EXPECT_EQ(ReadWholeFile(FSaveAs), "PK-a");
  EXPECT_EQ(FLog, std::vector<std::string>{"open " + Utf8(FSaveAs)});
  // The next dialog offers the name chosen last.
  EXPECT_TRUE(FServices->HandleDownloableFiles(u"lmp://site/files/a.zip"));
  EXPECT_EQ(FDialogs.back(), "zip ZIP|*.zip " + Utf8(FSaveAs));
}

// The name offered again is the last one chosen with the current link's
// extension: a PDF is never offered under a .zip name, where a name typed
// over the selected part would keep the wrong extension.
TEST_F(HostServicesTest, SaveDialogOffersTheLastNameWithTheLinksExtension) {
  std::vector<std::string> log;
  THostServices services(
      FZip, FTemporalFiles, {.AppRootDir = u"site", .ExtractExts = u"zip pdf", .ExecuteExts = u"", .ExeDir = ExeDir()},
      [this](TSaveDialogRequest& request) {
        FDialogs.push_back(Utf8(request.Filter) + " " + Utf8(request.FileName));
        if (FSaveAs.empty()) return false;
        request.FileName = FSaveAs;
        return true;
      },
      std::make_unique<TRecordingDesktop>(log));
  const String folder = FScratch.Path() + PathDelim;
  const std::string sub = Utf8(folder) + "v1.2" + Utf8(String(1, PathDelim));
  struct TCase {
    const char16_t* Url;
    String Chosen;  // empty: cancelled
    std::string Offered;
  };
  const TCase cases[] = {
      {u"lmp://site/docs/guide.pdf", u"", "PDF|*.pdf guide.pdf"},  // nothing chosen yet: the link's name
      {u"lmp://site/files/a.zip", folder + u"dl1.zip", "ZIP|*.zip a.zip"},
      {u"lmp://site/docs/guide.pdf", folder + u"manual-copy.pdf", "PDF|*.pdf " + Utf8(folder) + "dl1.pdf"},
      {u"lmp://site/files/a.zip", u"", "ZIP|*.zip " + Utf8(folder) + "manual-copy.zip"},
      // A cancelled dialog leaves the last name as it was.
      {u"lmp://site/docs/guide.pdf", folder + u"v1.2" + PathDelim + u"plain",
       "PDF|*.pdf " + Utf8(folder) + "manual-copy.pdf"},
      // A chosen name without an extension gets the link's; a dot in a
      // folder's name is no extension.
      {u"lmp://site/files/a.zip", u"", "ZIP|*.zip " + sub + "plain.zip"},
  };
  fs::create_directories(fs::path(folder + u"v1.2"));
  for (const TCase& c : cases) {
    FSaveAs = c.Chosen;
    EXPECT_TRUE(services.HandleDownloableFiles(c.Url));
    ASSERT_FALSE(FDialogs.empty());
    EXPECT_EQ(FDialogs.back(), c.Offered) << Utf8(c.Url);
  }
  EXPECT_EQ(ReadWholeFile(folder + u"dl1.zip"), "PK-a");
  EXPECT_EQ(ReadWholeFile(folder + u"manual-copy.pdf"), "%PDF");
}

// A listed program runs once: from the site when the archive holds it,
// else from beside the executable.
TEST_F(HostServicesTest, ExecutablesRunFromTheSiteElseFromDisk) {
  const String diskCopy = ExeDir() + u"tools" + PathDelim + u"setup.exe";
  fs::create_directories(fs::path(ExeDir() + u"tools"));
  WriteWholeFile(diskCopy, "MZ-disk");
  EXPECT_TRUE(FServices->HandleDownloableFiles(u"lmp://site/tools/setup.exe"));
  ASSERT_EQ(FTemporalFiles.Files().size(), 1u);
  const String copy = FTemporalFiles.Files()[0];
  EXPECT_EQ(fs::path(copy).filename().string().size(), 14u);
  EXPECT_EQ(fs::path(copy).extension().string(), ".exe");
  EXPECT_EQ(ReadWholeFile(copy), "MZ-setup");
  EXPECT_EQ(FLog, std::vector<std::string>{"open " + Utf8(copy)});

  // Only on disk: run from there.
  const String onlyOnDisk = ExeDir() + u"tools" + PathDelim + u"other.exe";
  WriteWholeFile(onlyOnDisk, "MZ-other");
  FLog.clear();
  EXPECT_TRUE(FServices->HandleDownloableFiles(u"lmp://site/tools/other.exe"));
  EXPECT_EQ(FLog, std::vector<std::string>{"open " + Utf8(onlyOnDisk)});
  EXPECT_EQ(FTemporalFiles.Files().size(), 1u);

  // Every occurrence of the root folder's name goes: site/website/run.exe
  // is web/run.exe on disk.
  fs::create_directories(fs::path(ExeDir() + u"web"));
  WriteWholeFile(ExeDir() + u"web" + PathDelim + u"run.exe", "MZ");
  FLog.clear();
  EXPECT_TRUE(FServices->HandleDownloableFiles(u"lmp://site/website//run.exe"));
  EXPECT_EQ(FLog, std::vector<std::string>{"open " + Utf8(ExeDir() + u"web" + PathDelim + u"run.exe")});

  // A link may not reach above the executable's folder.
  WriteWholeFile(FScratch.File(u"outside.exe"), "MZ");
  FLog.clear();
  EXPECT_TRUE(FServices->HandleDownloableFiles(u"lmp://site/../outside.exe"));
  EXPECT_TRUE(FLog.empty());
  // Nor through the removal of the root folder's name, which turns ".site."
  // into "..", at any depth; the final path is what counts.
  for (const char16_t* url : {u"lmp://site/.site./outside.exe", u"lmp://site/web/.site./.site./outside.exe",
                              u"lmp://site/.site.site./outside.exe", u"lmp://site/%2E%2E/outside.exe"}) {
    EXPECT_TRUE(FServices->HandleDownloableFiles(url)) << Utf8(url);
    EXPECT_TRUE(FLog.empty()) << Utf8(url);
  }
}

TEST_F(HostServicesTest, UrlExtensions) {
  const std::vector<std::pair<const char16_t*, const char16_t*>> cases = {
      {u"lmp://site/a.zip", u"zip"},     {u"lmp://site/a.zip?x=1", u"zip?x=1"},
      {u"lmp://site.x/file", u"x/file"},  // "/" does not end the search
      {u"lmp://site/file", u""},         {u"lmp://site/a.b\\c", u""},
  };
  for (const auto& [url, extension] : cases) EXPECT_EQ(THostServices::UrlExtension(url), extension) << Utf8(url);
}

}  // namespace
}  // namespace lumora
