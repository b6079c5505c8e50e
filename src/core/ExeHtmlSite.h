// The site object: the temporary copy of the archive appended to the
// running program, the reader over it and the site's configuration.
#pragma once

#include <memory>

#include "core/String.h"

namespace lumora {

class TExeHtmlSite {
 public:
  // The password every packaged archive is encrypted with.
  static constexpr const char* kArchivePassword = "kv73Tr8mwq5Ds=n941zbg70fe3Lux=Ra64wq";

  // Copies the appended archive into a new temporary file (registered for
  // deletion before a byte is written), opens it and reads "lm-config".
  TExeHtmlSite();
  ~TExeHtmlSite();
  TExeHtmlSite(const TExeHtmlSite&) = delete;
  TExeHtmlSite& operator=(const TExeHtmlSite&) = delete;

  const String& ArchiveCopyPath() const { return FArchiveCopyPath; }

 private:
  String FArchiveCopyPath;
};

// The process-wide site object; set once its constructor has returned.
extern std::unique_ptr<TExeHtmlSite> ExeHtmlSite;

}  // namespace lumora
