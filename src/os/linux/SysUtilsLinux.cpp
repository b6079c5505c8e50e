// System utilities on Linux: the private temporary folder, special folders,
// computer and user names, folder listing and removal, path checks and
// shortcut targets.
#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "os/File.h"
#include "os/SysUtils.h"
#include "os/linux/GLibPtr.h"
#include "os/linux/PrivateFolder.h"

namespace lumora {

namespace {

// The longest file-name component and whole path the kernel takes (bytes,
// the path's terminating null included).
constexpr size_t kNameMax = NAME_MAX;
constexpr size_t kPathMax = PATH_MAX;

struct TDirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using TDirPtr = std::unique_ptr<DIR, TDirCloser>;

class TFd {
 public:
  explicit TFd(int fd) : FFd(fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }

 private:
  int FFd;
};

std::string WithoutTrailingSlashes(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

String CurrentDirectory() {
  std::string buffer(PATH_MAX, '\0');
  if (!::getcwd(buffer.data(), buffer.size())) return {};
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return FromUtf8(buffer);
}

// The absolute form of path worked out on the text alone, as Windows'
// GetFullPathNameW does: joined to the current folder when relative, empty
// and "." components dropped, ".." taking the previous component away
// (never above the root). Links are not looked at, and nothing has to
// exist. The result has no trailing separator except the root "/".
String FullPathOf(StringView path) {
  String whole = path.empty() || path[0] != u'/' ? CurrentDirectory() + u'/' + String(path) : String(path);
  std::vector<String> parts;
  size_t start = 0;
  while (start <= whole.size()) {
    size_t end = whole.find(u'/', start);
    if (end == String::npos) end = whole.size();
    const String part = whole.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  String result;
  for (const String& part : parts) result += u'/' + part;
  return result.empty() ? String(u"/") : result;
}

// Why folder cannot hold another folder of this user's alone, or empty
// when it can: it must be a folder (links followed), and belong to this
// user or to root; one that others may write to (/tmp) must be sticky, so
// that nobody else can rename or remove what this user makes in it.
std::string ParentProblem(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return std::strerror(errno);
  if (!S_ISDIR(info.st_mode)) return "it is not a folder";
  if (info.st_uid != ::geteuid() && info.st_uid != 0) return "it belongs to another user";
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0) {
    return "other users may write to it";
  }
  return {};
}

// Makes sure folder is a folder of this user's alone, into which this
// process can write: created with mode 0700 when missing; refused when it
// is a link or something other than a folder, or belongs to anyone else;
// group and other permissions dropped when it is ours. The checks run on
// the opened folder itself, so nothing can be swapped in between them.
// Empty when the folder is fit, else why not.
std::string PrivateFolderProblem(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
  const TFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.Get() < 0) {
    const int error = errno;
    if (error == ELOOP || error == ENOTDIR) return "it is a link or not a folder";
    return std::strerror(error);
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return std::strerror(errno);
  if (info.st_uid != ::geteuid()) return "it belongs to another user";
  if ((info.st_mode & 077) != 0 && ::fchmod(fd.Get(), 0700) != 0) return std::strerror(errno);
  // A folder on a file system mounted read-only, say, is not one to use.
  if (::faccessat(fd.Get(), ".", W_OK | X_OK, AT_EACCESS) != 0) return std::strerror(errno);
  return {};
}

// An absolute folder named by an environment variable, without trailing
// slashes; empty when the variable is unset or relative.
std::string AbsoluteSetting(const char* name) {
  const char* value = ::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  const std::string folder = WithoutTrailingSlashes(value);
  return folder.empty() ? std::string("/") : folder;
}

// The user's cache folder, as the desktop names it: $XDG_CACHE_HOME, else
// ~/.cache; created (only that last level) when missing.
std::string CacheFolder() {
  std::string cache = AbsoluteSetting("XDG_CACHE_HOME");
  if (cache.empty()) {
    std::string home = AbsoluteSetting("HOME");
    if (home.empty()) {
      std::vector<char> buffer(16384);
      passwd entry{};
      passwd* found = nullptr;
      if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir ||
          found->pw_dir[0] != '/') {
        return {};
      }
      home = WithoutTrailingSlashes(found->pw_dir);
    }
    cache = home + "/.cache";
  }
  ::mkdir(cache.c_str(), 0700);
  return cache;
}

// A folder of this user's alone below parent whose name starts with
// prefix: one made before (found again, so that what killed programs left
// there is removed by later starts), else a new one with a random end.
std::string OwnFolderBelow(const std::string& parent, const std::string& prefix) {
  if (TDirPtr dir{::opendir(parent.c_str())}) {
    while (const dirent* entry = ::readdir(dir.get())) {
      const std::string name = entry->d_name;
      if (name.size() == prefix.size() + 6 && name.starts_with(prefix) &&
          PrivateFolderProblem(parent + "/" + name).empty()) {
        return parent + "/" + name;
      }
    }
  }
  std::string pattern = parent + "/" + prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// The private temporary folder: the first of these that this user alone
// controls. $XDG_RUNTIME_DIR/lumora (the desktop's folder for the user's
// running programs); $TMPDIR/lumora-<uid> (/tmp without TMPDIR); the
// hidden .lumora-tmp in the user's cache folder; and last a folder of the
// user's own below $TMPDIR named lumora-<uid>- and six random characters,
// which a folder another user made first cannot block. A runtime folder
// that is missing, read-only or someone else's (after su), or a name
// another user took first, is passed over. Raises an Exception naming each
// folder tried and why it did not do.
std::string ChoosePrivateFolder() {
  std::string reasons;
  const auto fits = [&reasons](const std::string& parent, const std::string& folder) {
    std::string problem = ParentProblem(parent);
    if (problem.empty()) problem = PrivateFolderProblem(folder);
    if (problem.empty()) return true;
    reasons += "\n  \"" + folder + "\": " + problem;
    return false;
  };
  const std::string uid = std::to_string(::geteuid());
  if (const std::string runtime = AbsoluteSetting("XDG_RUNTIME_DIR"); !runtime.empty()) {
    if (fits(runtime, runtime + "/lumora")) return runtime + "/lumora";
  }
  std::string tmp = AbsoluteSetting("TMPDIR");
  if (tmp.empty()) tmp = "/tmp";
  if (fits(tmp, tmp + "/lumora-" + uid)) return tmp + "/lumora-" + uid;
  if (const std::string cache = CacheFolder(); !cache.empty()) {
    if (fits(cache, cache + "/.lumora-tmp")) return cache + "/.lumora-tmp";
  }
  if (ParentProblem(tmp).empty()) {
    const std::string own = OwnFolderBelow(tmp, "lumora-" + uid + "-");
    if (!own.empty()) return own;
    reasons += "\n  \"" + tmp + "/lumora-" + uid + "-XXXXXX\": " + std::strerror(errno);
  }
  throw Exception(FromUtf8("Cannot create the temporary folder. Tried:" + reasons));
}

// Removes name below the folder parent: a folder with everything in it, or
// anything else itself. Links are removed, never followed, and each folder
// is opened without following a link, so a link swapped in while the tree
// goes cannot lead outside it. False when anything stayed.
bool RemoveTree(int parent, const char* name) {
  struct stat info {};
  if (::fstatat(parent, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(info.st_mode)) return ::unlinkat(parent, name, 0) == 0;

  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  TDirPtr dir(::fdopendir(fd));
  if (!dir) {
    ::close(fd);
    return false;
  }
  // The names are read in full first: removing entries while reading the
  // folder may make the reading skip some.
  std::vector<std::string> children;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string child = entry->d_name;
    if (child != "." && child != "..") children.push_back(child);
  }
  bool all = true;
  for (const std::string& child : children) {
    if (!RemoveTree(::dirfd(dir.get()), child.c_str())) all = false;
  }
  dir.reset();
  return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 && all;
}

bool HasUnpairedSurrogate(StringView text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return true;
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// The target of a desktop entry: the file of a Link entry's file: URL, or
// the program an Application entry runs.
String DesktopEntryTarget(const std::string& path) {
  const TGKeyFilePtr file(g_key_file_new());
  if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) return {};
  const char* group = G_KEY_FILE_DESKTOP_GROUP;
  TGCharPtr type(g_key_file_get_string(file.get(), group, G_KEY_FILE_DESKTOP_KEY_TYPE, nullptr));
  if (!type) return {};
  if (std::string(type.get()) == G_KEY_FILE_DESKTOP_TYPE_LINK) {
    TGCharPtr url(g_key_file_get_string(file.get(), group, G_KEY_FILE_DESKTOP_KEY_URL, nullptr));
    if (!url) return {};
    TGCharPtr local(g_filename_from_uri(url.get(), nullptr, nullptr));
    return local ? FromUtf8(local.get()) : String();
  }
  if (std::string(type.get()) == G_KEY_FILE_DESKTOP_TYPE_APPLICATION) {
    TGCharPtr exec(g_key_file_get_string(file.get(), group, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr));
    gchar** parsed = nullptr;
    if (!exec || !g_shell_parse_argv(exec.get(), nullptr, &parsed, nullptr)) return {};
    const TGStrvPtr argv(parsed);
    const std::string program = argv.get()[0];
    if (program.find('/') != std::string::npos) return FullPathOf(FromUtf8(program));
    TGCharPtr found(g_find_program_in_path(program.c_str()));
    return found ? FromUtf8(found.get()) : String();
  }
  return {};
}

// Marks a folder as changed, as `touch` does, when it exists.
void Touch(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    ::utimensat(AT_FDCWD, folder.c_str(), nullptr, 0);
  }
}

}  // namespace

void MakePrivateFolder(const std::string& folder) {
  if (const std::string problem = PrivateFolderProblem(folder); !problem.empty()) {
    throw Exception(Format(u"The folder \"%s\" cannot be used: %s", {FromUtf8(folder), FromUtf8(problem)}));
  }
}

bool TSysUtils::DeleteDirectory(const String& DirPath) {
  // "dir/" names the folder itself; without the slash the last component
  // is looked at as it is, so a link there goes, not what it points to.
  // The root is never a folder to empty.
  const std::string path = WithoutTrailingSlashes(ToUtf8(DirPath));
  if (path.empty()) return false;
  return RemoveTree(AT_FDCWD, path.c_str());
}

void TSysUtils::RecordErrorCause(const String&) {}

void TSysUtils::RefreshSystemIcons() {
  // GTK rereads an icon theme whose folder changed, and the desktop
  // rescans the applications folder when it changes: touching the user's
  // own ones is what the freedesktop tools do after they install icons.
  const std::string data = g_get_user_data_dir();
  Touch(data + "/icons/hicolor");
  Touch(data + "/applications");
}

String TSysUtils::GetLnkFilePath(const String& LnkFilePath) {
  const std::string path = ToUtf8(LnkFilePath);
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return {};
  if (S_ISLNK(info.st_mode)) {
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0) return {};
    target.resize(static_cast<size_t>(n));
    if (target[0] == '/') return FullPathOf(FromUtf8(target));
    // A relative target counts from the link's own folder.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return FullPathOf(FromUtf8(folder + "/" + target));
  }
  if (S_ISREG(info.st_mode) && g_str_has_suffix(path.c_str(), ".desktop")) return DesktopEntryTarget(path);
  return {};
}

String TSysUtils::GetTemporalDir() { return FromUtf8(ChoosePrivateFolder()) + u'/'; }

String TSysUtils::GetComputerNetName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return FromUtf8(name);
}

String TSysUtils::GetUserFromWindows() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_name ||
      !found->pw_name[0]) {
    return u"Unknown";
  }
  return FromUtf8(found->pw_name);
}

void TSysUtils::GetDirectoryFiles(const String& rootDir, bool includeDirs, std::vector<String>& fileList) {
  fileList.clear();
  if (!DirectoryExists(rootDir)) return;
  TDirPtr dir(::opendir(ToUtf8(rootDir).c_str()));
  if (!dir) {
    throw Exception(Format(u"Cannot list the folder \"%s\". %s", {rootDir, SysErrorMessage(LastOsError())}));
  }
  const String prefix = IncludeTrailingPathDelimiter(rootDir);
  std::vector<String> folders, files;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (!entry) {
      if (errno != 0) {
        throw Exception(Format(u"Cannot list the folder \"%s\". %s", {rootDir, SysErrorMessage(LastOsError())}));
      }
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // Links are followed, as Windows lists a link to a folder among the
    // folders; a link to nothing is listed with the files.
    struct stat info {};
    const bool isFolder = ::fstatat(::dirfd(dir.get()), name.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode);
    (isFolder ? folders : files).push_back(prefix + FromUtf8(name));
  }
  if (includeDirs) fileList = std::move(folders);
  fileList.insert(fileList.end(), files.begin(), files.end());
}

String TSysUtils::GetParentDirPath(const String& path) {
  return IncludeTrailingPathDelimiter(FullPathOf(path + u"/.."));
}

String TSysUtils::GetSpecialFolderPath(int csidl) {
  switch (csidl) {
    case 0:  // the desktop; GLib itself falls back to ~/Desktop
      if (const char* desktop = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP)) {
        return FromUtf8(desktop);
      }
      return {};
    case 5: {  // documents: the XDG folder, else the home folder, as xdg-user-dirs has it
      if (const char* documents = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS)) {
        return FromUtf8(documents);
      }
      const char* home = g_get_home_dir();
      return home != nullptr ? FromUtf8(home) : String();
    }
    case 26:  // settings programs keep for the user: the XDG config home
      return FromUtf8(g_get_user_config_dir());
    case 38:  // where add-on programs install themselves, one folder each
      return u"/opt";
    default:
      return {};
  }
}

bool TSysUtils::IsValidFilePath(const String& FileName) {
  // Linux takes every byte in a name but "/" and null; what it refuses is a
  // null, a component longer than NAME_MAX bytes and a path of PATH_MAX
  // bytes or more. A lone surrogate has no UTF-8 form, so no file can carry
  // that name.
  if (FileName.find(u'\0') != String::npos || HasUnpairedSurrogate(FileName)) return false;
  const std::string path = ToUtf8(FileName);
  if (path.size() >= kPathMax) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end - start > kNameMax) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace lumora
