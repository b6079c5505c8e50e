#include "pack/SiteScanner.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "base/Exception.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

String Display(const fs::path& path) { return path.u16string(); }

// The name of a folder entry as UTF-8. Linux names are bytes and may be in
// any encoding; the runtime finds entries by UTF-8 names only, so another
// encoding would give a file nobody can reach.
std::string EntryComponent(const fs::path& path) {
#ifdef _WIN32
  return ToUtf8(path.filename().u16string());
#else
  std::string name = path.filename().native();
  if (!IsValidUtf8(name)) {
    throw Exception(
        Format(u"The name of \"%s\" is not valid UTF-8; rename the file", {FromUtf8(std::string_view(path.native()))}));
  }
  return name;
#endif
}

// True when path is root or lies below it; both are canonical.
bool IsInside(const fs::path& path, const fs::path& root) {
  return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
}

class TScan {
 public:
  TScan(const String& root, const String& exclude, const TSiteScanner::TOnWarning& onWarning, const TSiteFilter* filter,
        std::vector<TExcludedEntry>* excluded)
      : FOnWarning(onWarning), FFilter(filter), FExcluded(excluded) {
    std::error_code error;
    FRoot = fs::canonical(fs::path(root), error);
    if (error || !fs::is_directory(FRoot)) {
      throw Exception(Format(u"Cannot open the site folder \"%s\". %s",
                             {root, FromUtf8(error ? error.message() : "Not a folder")}));
    }
    if (!exclude.empty()) {
      FExclude = fs::weakly_canonical(fs::path(exclude), error);
      if (error) FExclude.clear();
    }
  }

  std::vector<TSiteFile> Run() {
    FOpenFolders.push_back(FRoot);
    Folder(FRoot, FRoot, "");
    std::sort(FFiles.begin(), FFiles.end(), [](const TSiteFile& a, const TSiteFile& b) { return a.Name < b.Name; });
    return std::move(FFiles);
  }

 private:
  void Warn(const fs::path& path, StringView reason) {
    if (FOnWarning) FOnWarning(Format(u"skipped \"%s\": %s", {Display(path), reason}));
  }

  // folder is where the entries are listed from, canonical its resolved
  // form; prefix is the entry name of the folder with a trailing "/".
  void Folder(const fs::path& folder, const fs::path& canonical, const std::string& prefix) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
      Entry(*it, canonical / it->path().filename(), prefix + EntryComponent(it->path()));
    }
    if (error) {
      throw Exception(Format(u"Cannot read the folder \"%s\". %s", {Display(folder), FromUtf8(error.message())}));
    }
  }

  void Entry(const fs::directory_entry& entry, const fs::path& canonical, const std::string& name) {
    const fs::file_status status = entry.symlink_status();
    if (FFilter != nullptr) {
      std::error_code error;
      const bool folder = fs::is_directory(entry.path(), error);
      const TExcludeReason reason = FFilter->Match(name, folder);
      if (reason != TExcludeReason::None) {
        FExcluded->push_back(TExcludedEntry{folder ? name + "/" : name, reason});
        return;
      }
    }
    if (fs::is_symlink(status)) {
      Link(entry.path(), name);
    } else if (fs::is_directory(status)) {
      SubFolder(entry.path(), canonical, name);
    } else if (fs::is_regular_file(status)) {
      File(entry.path(), canonical, name);
    } else {
      Warn(entry.path(), u"not a regular file");
    }
  }

  void Link(const fs::path& path, const std::string& name) {
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    if (error) return Warn(path, u"the link's target does not exist");
    if (!IsInside(target, FRoot)) return Warn(path, u"the link points outside the site folder");
    const fs::file_status status = fs::status(target, error);
    if (fs::is_directory(status)) {
      SubFolder(path, target, name);
    } else if (fs::is_regular_file(status)) {
      // Opened at the target: files are opened without following a link.
      File(target, target, name);
    } else {
      Warn(path, u"the link's target is not a regular file");
    }
  }

  void SubFolder(const fs::path& path, const fs::path& canonical, const std::string& name) {
    // A folder already open above this one (through a link) would repeat
    // the walk without end.
    if (std::find(FOpenFolders.begin(), FOpenFolders.end(), canonical) != FOpenFolders.end()) {
      return Warn(path, u"the link leads back into a folder that contains it");
    }
    FOpenFolders.push_back(canonical);
    Folder(path, canonical, name + "/");
    FOpenFolders.pop_back();
  }

  void File(const fs::path& path, const fs::path& canonical, const std::string& name) {
    if (!FExclude.empty() && IsExcluded(canonical)) return;
    FFiles.push_back(TSiteFile{name, path.u16string(), static_cast<int64_t>(fs::file_size(path)),
                               TSiteScanner::ModifiedTime(path.u16string())});
  }

  bool IsExcluded(const fs::path& canonical) {
    if (canonical == FExclude) return true;
    // Folder names can differ in letter case on file systems that ignore
    // it; only a file of the same name is worth asking the system about.
    if (UpperCaseAscii(canonical.filename().u16string()) != UpperCaseAscii(FExclude.filename().u16string())) {
      return false;
    }
    std::error_code error;
    return fs::equivalent(canonical, FExclude, error);
  }

  const TSiteScanner::TOnWarning& FOnWarning;
  const TSiteFilter* FFilter;
  std::vector<TExcludedEntry>* FExcluded;
  fs::path FRoot;
  fs::path FExclude;
  std::vector<fs::path> FOpenFolders;
  std::vector<TSiteFile> FFiles;
};

}  // namespace

int64_t TSiteScanner::ModifiedTime(const String& path) {
  const auto written = fs::last_write_time(fs::path(path));
  const auto system = std::chrono::file_clock::to_sys(written);
  return std::chrono::floor<std::chrono::seconds>(system).time_since_epoch().count();
}

std::vector<TSiteFile> TSiteScanner::Scan(const String& root, const String& exclude, const TOnWarning& onWarning) {
  return TScan(root, exclude, onWarning, nullptr, nullptr).Run();
}

std::vector<TSiteFile> TSiteScanner::Scan(const String& root, const String& exclude, const TOnWarning& onWarning,
                                          const TSiteFilter& filter, std::vector<TExcludedEntry>& excluded) {
  return TScan(root, exclude, onWarning, &filter, &excluded).Run();
}

}  // namespace lumora
