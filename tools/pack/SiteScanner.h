// Finds the files of a site folder: every regular file below it, named by
// its path relative to the folder with "/" between folders, in byte order of
// those names so that the archive comes out the same on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/String.h"
#include "pack/SiteFilter.h"

namespace lumora {

struct TSiteFile {
  std::string Name;  // the entry name, UTF-8
  String Path;       // where the bytes are read from
  int64_t Size = 0;
  int64_t ModifiedTime = 0;  // seconds since 1970-01-01 UTC
};

// A file or folder that a filter left out.
struct TExcludedEntry {
  std::string Name;  // the entry name, with a trailing "/" for a folder
  TExcludeReason Reason = TExcludeReason::None;
};

class TSiteScanner {
 public:
  using TOnWarning = std::function<void(const String& message)>;

  // Lists the files below root. A symbolic link is followed only when its
  // target lies inside root and does not lead back into a folder that
  // contains it; other links, and anything that is neither a file nor a
  // folder (pipes, sockets, devices), are skipped with a warning. The file
  // exclude (the package being written, when it lies inside root) is left
  // out. A name that is not valid UTF-8, or a folder that cannot be read,
  // raises an error.
  static std::vector<TSiteFile> Scan(const String& root, const String& exclude, const TOnWarning& onWarning);

  // The same, leaving out what filter matches (a folder is not entered)
  // and listing it in excluded, in the order met.
  static std::vector<TSiteFile> Scan(const String& root, const String& exclude, const TOnWarning& onWarning,
                                     const TSiteFilter& filter, std::vector<TExcludedEntry>& excluded);

  // The file's modification time in seconds since 1970-01-01 UTC.
  static int64_t ModifiedTime(const String& path);
};

}  // namespace lumora
