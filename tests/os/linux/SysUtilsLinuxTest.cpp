// The Linux backend of the system utilities: the private temporary folder,
// special folders, names, folder removal and listing with links, paths and
// shortcut targets.
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/Exception.h"
#include "os/File.h"
#include "os/SysUtils.h"
#include "support/linux/SysUtilsTestSupport.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::TScopedEnv;
using test::TScratchDir;
using test::WriteWholeFile;

std::string Utf8(const String& text) { return ToUtf8(text); }

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// --- GetTemporalDir -------------------------------------------------------

TEST(SysUtilsLinuxTest, TemporalDirIsAPrivateFolderBelowTheRuntimeDir) {
  TScratchDir scratch;
  const std::string runtime = Utf8(scratch.Path());
  for (const std::string& setting : {runtime, runtime + "/"}) {
    TScopedEnv env("XDG_RUNTIME_DIR", setting);
    EXPECT_EQ(Utf8(TSysUtils::GetTemporalDir()), runtime + "/lumora/");
  }
  EXPECT_EQ(ModeOf(runtime + "/lumora"), 0700u);

  // A folder of ours with loose permissions is made private again.
  ::chmod((runtime + "/lumora").c_str(), 0777);
  TScopedEnv env("XDG_RUNTIME_DIR", runtime);
  TSysUtils::GetTemporalDir();
  EXPECT_EQ(ModeOf(runtime + "/lumora"), 0700u);
}

TEST(SysUtilsLinuxTest, TemporalDirWithoutRuntimeDirIsPerUser) {
  for (const std::optional<std::string>& setting :
       {std::optional<std::string>(), std::optional<std::string>("relative/dir")}) {
    TScopedEnv env("XDG_RUNTIME_DIR", setting);
    const std::string folder = Utf8(TSysUtils::GetTemporalDir());
    const std::string suffix = "/lumora-" + std::to_string(::geteuid()) + "/";
    ASSERT_GT(folder.size(), suffix.size());
    EXPECT_EQ(folder.substr(folder.size() - suffix.size()), suffix);
    EXPECT_EQ(ModeOf(folder), 0700u);
  }
}

// GetTemporalDir's answer, or "error: " and the reason, from a child
// process running as user (which only root can switch to).
std::string TemporalDirAs(uid_t user) {
  int pipe[2];
  if (::pipe(pipe) != 0) return "error: no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    std::string answer;
    if (user != ::geteuid() && (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0)) {
      answer = "error: cannot become the user";
    } else {
      try {
        answer = Utf8(TSysUtils::GetTemporalDir());
      } catch (const Exception& error) {
        answer = std::string("error: ") + error.what();
      }
    }
    const ssize_t written = ::write(pipe[1], answer.data(), answer.size());
    ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
  }
  ::close(pipe[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return answer;
}

// Where the temporary folder goes when the usual places are missing,
// read-only, someone else's or taken: always a folder of the user's alone.
// Each case prepares a scratch root (S) holding the runtime folder run/,
// the temporary folder tmp/ (sticky and open to all, like /tmp) and the
// home folder home/, all the user's; the program runs as a user of its
// own (uid 4242) when the test runs as root, so that permissions count,
// and another user (4243) owns what a case gives away. Without root the
// cases that need another user are skipped.
TEST(SysUtilsLinuxTest, TemporalDirIsAlwaysAFolderOfTheUsersAlone) {
  const bool asRoot = ::geteuid() == 0;
  const uid_t user = asRoot ? 4242 : ::geteuid();
  const uid_t otherUser = 4243;
  struct Case {
    const char* What;
    bool NeedsOtherUser;
    // Changes the scratch root; may unset XDG_RUNTIME_DIR.
    void (*Prepare)(const std::string& root, uid_t other, std::optional<TScopedEnv>& runtime);
    const char* Expected;  // below the scratch root; "U" stands for the user's id, "*" for six characters
  };
  const Case cases[] = {
      {"the runtime folder", false, [](const std::string&, uid_t, auto&) {}, "run/lumora"},
      {"no runtime folder set", false,
       [](const std::string&, uid_t, auto& runtime) { runtime.emplace("XDG_RUNTIME_DIR", std::nullopt); },
       "tmp/lumora-U"},
      {"a relative runtime folder", false,
       [](const std::string&, uid_t, auto& runtime) { runtime.emplace("XDG_RUNTIME_DIR", "relative/run"); },
       "tmp/lumora-U"},
      {"a missing runtime folder", false, [](const std::string& root, uid_t, auto&) { fs::remove(root + "/run"); },
       "tmp/lumora-U"},
      {"a read-only runtime folder", false,
       [](const std::string& root, uid_t, auto&) { ::chmod((root + "/run").c_str(), 0500); }, "tmp/lumora-U"},
      {"a runtime folder of another user (after su)", true,
       [](const std::string& root, uid_t other, auto&) {
         ::chown((root + "/run").c_str(), other, other);
         ::chmod((root + "/run").c_str(), 0777);
       },
       "tmp/lumora-U"},
      {"a link planted in the runtime folder", false,
       [](const std::string& root, uid_t, auto&) {
         fs::create_directory(root + "/elsewhere");
         fs::create_directory_symlink(root + "/elsewhere", root + "/run/lumora");
       },
       "tmp/lumora-U"},
      {"a file planted in the runtime folder", false,
       [](const std::string& root, uid_t, auto&) { WriteWholeFile(FromUtf8(root + "/run/lumora"), "x"); },
       "tmp/lumora-U"},
      {"the per-user name in /tmp taken by another user", true,
       [](const std::string& root, uid_t other, auto& runtime) {
         runtime.emplace("XDG_RUNTIME_DIR", std::nullopt);
         const std::string taken = root + "/tmp/lumora-4242";
         fs::create_directory(taken);
         ::chown(taken.c_str(), other, other);
         ::chmod(taken.c_str(), 0777);
       },
       "home/.cache/.lumora-tmp"},
      {"the per-user name taken and no home folder", true,
       [](const std::string& root, uid_t other, auto& runtime) {
         runtime.emplace("XDG_RUNTIME_DIR", std::nullopt);
         const std::string taken = root + "/tmp/lumora-4242";
         fs::create_directory(taken);
         ::chown(taken.c_str(), other, other);
         fs::remove_all(root + "/home");
       },
       "tmp/lumora-U-*"},
      {"a temporary folder others may write to, not sticky", true,
       [](const std::string& root, uid_t other, auto& runtime) {
         runtime.emplace("XDG_RUNTIME_DIR", std::nullopt);
         ::chown((root + "/tmp").c_str(), other, other);
         ::chmod((root + "/tmp").c_str(), 0777);
       },
       "home/.cache/.lumora-tmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    if (c.NeedsOtherUser && !asRoot) continue;
    TScratchDir scratch;
    const std::string base = Utf8(scratch.Path());
    ::chmod(base.c_str(), 0755);
    for (const char* folder : {"run", "tmp", "home"}) fs::create_directory(base + "/" + folder);
    ::chmod((base + "/run").c_str(), 0700);
    ::chmod((base + "/tmp").c_str(), 01777);
    if (asRoot) {
      ::chown((base + "/run").c_str(), user, user);
      ::chown((base + "/home").c_str(), user, user);
    }
    TScopedEnv runtimeDir("XDG_RUNTIME_DIR", base + "/run");
    TScopedEnv tmpDir("TMPDIR", base + "/tmp");
    TScopedEnv home("HOME", base + "/home");
    TScopedEnv cache("XDG_CACHE_HOME", std::nullopt);
    std::optional<TScopedEnv> runtime;
    c.Prepare(base, otherUser, runtime);
    const std::string answer = TemporalDirAs(user);
    std::string expected = base + "/" + c.Expected + "/";
    const size_t u = expected.find("/lumora-U");
    if (u != std::string::npos) expected.replace(u + 8, 1, std::to_string(user));
    if (expected.ends_with("*/")) {
      const std::string stem = expected.substr(0, expected.size() - 2);
      EXPECT_TRUE(answer.starts_with(stem) && answer.size() == stem.size() + 7) << answer;
      // Found again by the next start, not made anew.
      EXPECT_EQ(TemporalDirAs(user), answer);
    } else {
      EXPECT_EQ(answer, expected);
    }
    if (!answer.starts_with("error")) {
      struct stat info {};
      ASSERT_EQ(::lstat(answer.c_str(), &info), 0);
      EXPECT_TRUE(S_ISDIR(info.st_mode));
      EXPECT_EQ(info.st_uid, user);
      EXPECT_EQ(info.st_mode & 07777, 0700u);
    }
  }
}

TEST(SysUtilsLinuxTest, TemporalDirNamesEveryFolderItTried) {
  TScratchDir scratch;
  const std::string base = Utf8(scratch.Path());
  WriteWholeFile(FromUtf8(base + "/file"), "not a folder");
  TScopedEnv runtimeDir("XDG_RUNTIME_DIR", base + "/file");
  TScopedEnv tmpDir("TMPDIR", base + "/file");
  TScopedEnv cache("XDG_CACHE_HOME", base + "/file");
  const std::string answer = TemporalDirAs(::geteuid());
  EXPECT_TRUE(answer.starts_with("error: Cannot create the temporary folder")) << answer;
  for (const std::string& folder : {base + "/file/lumora\"", base + "/file/lumora-", base + "/file/.lumora-tmp\""}) {
    EXPECT_NE(answer.find(folder), std::string::npos) << folder << " in " << answer;
  }
}

// --- special folders and names ----------------------------------------------

TEST(SysUtilsLinuxTest, SpecialFoldersFollowTheXdgSettings) {
  test::TSharedScratch scratch;
  const std::string home = scratch.Path() + "/home";
  const std::string config = scratch.Path() + "/config";
  fs::create_directories(config);
  fs::create_directories(home + "/Pictures");
  WriteWholeFile(FromUtf8(config + "/user-dirs.dirs"),
                 "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n");
  TScopedEnv homeEnv("HOME", home);
  TScopedEnv configEnv("XDG_CONFIG_HOME", config);
  LUMORA_EXPECT_IN_FRESH_PROCESS(Utf8(TSysUtils::GetUserDocumentsDirPath()) == home + "/Docs/" &&
                                 Utf8(TSysUtils::GetUserDesktopDirPath()) == home + "/Desk/" &&
                                 Utf8(TSysUtils::GetUserAppDataDirPath()) == config + "/" &&
                                 TSysUtils::GetProgramFilesDirPath() == u"/opt/");
}

// Without a configured documents folder the desktop's rule is the home
// folder, whether or not a folder named Documents exists there; never the
// file-system root.
TEST(SysUtilsLinuxTest, DocumentsFallBackToTheHomeFolder) {
  test::TSharedScratch scratch;
  const std::string home = scratch.Path() + "/home";
  const std::string config = scratch.Path() + "/config";
  fs::create_directories(home);
  fs::create_directories(config);
  TScopedEnv homeEnv("HOME", home);
  TScopedEnv configEnv("XDG_CONFIG_HOME", config);
  // No user-dirs.dirs at all, then one that configures other folders only.
  LUMORA_EXPECT_IN_FRESH_PROCESS(Utf8(TSysUtils::GetUserDocumentsDirPath()) == home + "/");
  WriteWholeFile(FromUtf8(config + "/user-dirs.dirs"), "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
  LUMORA_EXPECT_IN_FRESH_PROCESS(Utf8(TSysUtils::GetUserDocumentsDirPath()) == home + "/");
  fs::create_directories(home + "/Documents");
  LUMORA_EXPECT_IN_FRESH_PROCESS(Utf8(TSysUtils::GetUserDocumentsDirPath()) == home + "/");
}

TEST(SysUtilsLinuxTest, UserNameIsUnknownWithoutAPasswdEntry) {
  const passwd* entry = ::getpwuid(::geteuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(Utf8(TSysUtils::GetUserFromWindows()), entry->pw_name);

  if (::geteuid() != 0) GTEST_SKIP() << "running as a user without an entry needs root";
  constexpr uid_t kNobodyKnown = 54321;
  ASSERT_EQ(::getpwuid(kNobodyKnown), nullptr);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (::setuid(kNobodyKnown) != 0) std::exit(2);
        std::exit(TSysUtils::GetUserFromWindows() == u"Unknown" ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(SysUtilsLinuxTest, ComputerNameIsTheHostName) {
  char name[256] = {};
  ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
  EXPECT_EQ(Utf8(TSysUtils::GetComputerNetName()), name);
}

// --- DeleteDirectory and GetDirectoryFiles with links ------------------------

TEST(SysUtilsLinuxTest, DeleteDirectoryRemovesLinksNeverWhatTheyPointTo) {
  TScratchDir scratch;
  const std::string root = Utf8(scratch.Path());
  fs::create_directories(root + "/outside/inner");
  WriteWholeFile(FromUtf8(root + "/outside/inner/keep.txt"), "keep");
  fs::create_directories(root + "/tree/sub");
  fs::create_directory_symlink(root + "/outside", root + "/tree/sub/to-outside");
  fs::create_symlink(root + "/outside/inner/keep.txt", root + "/tree/file-link");
  fs::create_symlink(root + "/nowhere", root + "/tree/dangling");

  // A link given as the folder itself goes alone.
  fs::create_directory_symlink(root + "/outside", root + "/link-to-outside");
  EXPECT_TRUE(TSysUtils::DeleteDirectory(FromUtf8(root + "/link-to-outside")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(root + "/link-to-outside")));

  // "tree/" names the folder itself.
  EXPECT_TRUE(TSysUtils::DeleteDirectory(FromUtf8(root + "/tree/")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(root + "/tree")));
  EXPECT_EQ(ReadWholeFile(FromUtf8(root + "/outside/inner/keep.txt")), "keep");

  EXPECT_FALSE(TSysUtils::DeleteDirectory(u"/"));
}

// Permissions bind everyone but root: run as root, a check that needs them
// runs as a user of its own, owner of the scratch folder.
constexpr uid_t kPlainUser = 54321;

void GiveToPlainUser(const std::string& root) {
  if (::geteuid() != 0) return;
  ::chown(root.c_str(), kPlainUser, kPlainUser);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    ::lchown(entry.path().c_str(), kPlainUser, kPlainUser);
  }
}

bool BecomePlainUser() { return ::geteuid() != 0 || (::setgid(kPlainUser) == 0 && ::setuid(kPlainUser) == 0); }

TEST(SysUtilsLinuxTest, DeleteDirectoryReportsWhatCouldNotGo) {
  test::TSharedScratch scratch;
  const std::string root = scratch.Path();
  fs::create_directories(root + "/tree/locked");
  WriteWholeFile(FromUtf8(root + "/tree/locked/stuck.txt"), "x");
  WriteWholeFile(FromUtf8(root + "/tree/free.txt"), "x");
  GiveToPlainUser(root);
  ::chmod((root + "/tree/locked").c_str(), 0500);
  LUMORA_EXPECT_IN_FRESH_PROCESS(BecomePlainUser() && !TSysUtils::DeleteDirectory(FromUtf8(root + "/tree")) &&
                                 fs::exists(root + "/tree/locked/stuck.txt") && !fs::exists(root + "/tree/free.txt"));
  ::chmod((root + "/tree/locked").c_str(), 0700);
}

TEST(SysUtilsLinuxTest, DirectoryFilesCountLinksToFoldersAsFolders) {
  TScratchDir scratch;
  const std::string root = Utf8(scratch.Path());
  fs::create_directories(root + "/list/real");
  fs::create_directories(root + "/target");
  fs::create_directory_symlink(root + "/target", root + "/list/linked");
  fs::create_symlink(root + "/nowhere", root + "/list/dangling");
  WriteWholeFile(FromUtf8(root + "/list/file.txt"), "x");

  std::vector<String> list;
  TSysUtils::GetDirectoryFiles(FromUtf8(root + "/list"), true, list);
  ASSERT_EQ(list.size(), 4u);
  std::sort(list.begin(), list.begin() + 2);
  std::sort(list.begin() + 2, list.end());
  EXPECT_EQ(list, (std::vector<String>{FromUtf8(root + "/list/linked"), FromUtf8(root + "/list/real"),
                                       FromUtf8(root + "/list/dangling"), FromUtf8(root + "/list/file.txt")}));

  // A link to a folder is a folder to list, too.
  TSysUtils::GetDirectoryFiles(FromUtf8(root + "/list/linked"), true, list);
  EXPECT_TRUE(list.empty());
}

TEST(SysUtilsLinuxTest, DirectoryFilesRaiseWhenTheFolderCannotBeRead) {
  test::TSharedScratch scratch;
  const std::string folder = scratch.Path() + "/closed";
  fs::create_directories(folder);
  GiveToPlainUser(scratch.Path());
  ::chmod(folder.c_str(), 0100);  // may be entered, not read
  LUMORA_EXPECT_IN_FRESH_PROCESS(BecomePlainUser() && [&] {
    std::vector<String> list{u"old"};
    try {
      TSysUtils::GetDirectoryFiles(FromUtf8(folder), true, list);
    } catch (const Exception&) {
      return list.empty();
    }
    return false;
  }());
  ::chmod(folder.c_str(), 0700);
}

// --- paths -------------------------------------------------------------------

TEST(SysUtilsLinuxTest, ParentDirPathWorksOnTheText) {
  const std::string cwd = fs::current_path().string();
  const std::string cwdParent = fs::current_path().parent_path().string();
  struct TCase {
    std::string Path;
    std::string Parent;
  };
  const TCase cases[] = {
      {"/a/b", "/a/"},
      {"/a/b/", "/a/"},
      {"/a//b/./c/../d", "/a/b/"},
      {"/a", "/"},
      {"/", "/"},
      {"/..", "/"},
      {"", "/"},  // "/.." alone: the root
      {"x/y", cwd + "/x/"},
      {".", cwdParent == "/" ? "/" : cwdParent + "/"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Utf8(TSysUtils::GetParentDirPath(FromUtf8(c.Path))), c.Parent) << c.Path;
  }
}

TEST(SysUtilsLinuxTest, ValidFilePathsAreWhatTheKernelTakes) {
  const String longest(255, u'n');
  struct TCase {
    String Path;
    bool Valid;
  };
  const TCase cases[] = {
      {u"", true},
      {u"plain.txt", true},
      {u"/a//b/./c", true},
      {u"what?*<>|:\\\".txt", true},
      {u"/x/" + longest, true},
      {u"/x/" + longest + u"n/y", false},
      {String(u"a\0b", 3), false},
      {u"bad\xD800half", false},
      {u"\xDC00", false},
      {u"ok \xD83D\xDE00", true},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TSysUtils::IsValidFilePath(c.Path), c.Valid) << Utf8(c.Path).substr(0, 40);
  }
  // A path holds 4095 bytes and its terminating null.
  String path;
  for (int i = 0; i < 455; ++i) path += u"/abcdefgh";
  EXPECT_TRUE(TSysUtils::IsValidFilePath(path));
  EXPECT_FALSE(TSysUtils::IsValidFilePath(path + u"x"));
  // Names count bytes, not UTF-16 units: "é" takes 2 bytes.
  EXPECT_FALSE(TSysUtils::IsValidFilePath(String(128, u'\x00E9')));
  EXPECT_TRUE(TSysUtils::IsValidFilePath(String(127, u'\x00E9')));
}

// --- GetLnkFilePath ------------------------------------------------------------

TEST(SysUtilsLinuxTest, ShortcutTargetsOfLinksAndDesktopEntries) {
  TScratchDir scratch;
  const std::string root = Utf8(scratch.Path());
  fs::create_directories(root + "/dir/sub");
  WriteWholeFile(FromUtf8(root + "/target.txt"), "x");
  fs::create_symlink("../target.txt", root + "/dir/relative-link");
  fs::create_symlink(root + "/dir/sub/../../target.txt", root + "/absolute-link");
  WriteWholeFile(FromUtf8(root + "/doc.desktop"),
                 "[Desktop Entry]\nType=Link\nName=Doc\nURL=file://" + root + "/target%20two.txt\n");
  WriteWholeFile(FromUtf8(root + "/web.desktop"), "[Desktop Entry]\nType=Link\nName=Web\nURL=https://example.org/\n");
  WriteWholeFile(FromUtf8(root + "/app.desktop"),
                 "[Desktop Entry]\nType=Application\nName=App\nExec=\"" + root + "/my app\" --flag %f\n");
  WriteWholeFile(FromUtf8(root + "/plain.txt"), "no shortcut");

  EXPECT_EQ(Utf8(TSysUtils::GetLnkFilePath(FromUtf8(root + "/dir/relative-link"))), root + "/target.txt");
  EXPECT_EQ(Utf8(TSysUtils::GetLnkFilePath(FromUtf8(root + "/absolute-link"))), root + "/target.txt");
  EXPECT_EQ(Utf8(TSysUtils::GetLnkFilePath(FromUtf8(root + "/doc.desktop"))), root + "/target two.txt");
  EXPECT_EQ(Utf8(TSysUtils::GetLnkFilePath(FromUtf8(root + "/app.desktop"))), root + "/my app");
  EXPECT_EQ(TSysUtils::GetLnkFilePath(FromUtf8(root + "/web.desktop")), u"");
  EXPECT_EQ(TSysUtils::GetLnkFilePath(FromUtf8(root + "/plain.txt")), u"");
  EXPECT_EQ(TSysUtils::GetLnkFilePath(FromUtf8(root + "/missing.lnk")), u"");
}

// --- RefreshSystemIcons ----------------------------------------------------------

TEST(SysUtilsLinuxTest, RefreshingIconsMarksTheUserIconThemeChanged) {
  test::TSharedScratch scratch;
  const std::string data = scratch.Path() + "/data";
  const std::string theme = data + "/icons/hicolor";
  fs::create_directories(theme);
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  fs::last_write_time(theme, old);
  TScopedEnv env("XDG_DATA_HOME", data);
  LUMORA_EXPECT_IN_FRESH_PROCESS(
      (TSysUtils::RefreshSystemIcons(), fs::last_write_time(theme) > old + std::chrono::hours(24)));
}

}  // namespace
}  // namespace lumora
