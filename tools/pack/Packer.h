// Packing: a site folder and a runtime become one packaged program, the
// runtime's image with the site's encrypted archive appended.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "base/String.h"
#include "pack/RuntimeLocator.h"

namespace lumora {

struct TPackOptions {
  String SourceDir;
  String Output;
  // The runtime to append to; empty for the installed one of Target (or,
  // in a build folder, the one beside the packer).
  String Runtime;
  // The system the program is for; nullopt for the one the packer runs on,
  // or, with Runtime, for whichever Runtime is.
  std::optional<TTarget> Target;
  // The configuration file; empty for the site folder's own "lm-config".
  String ConfigFile;
  // An icon file for the program; empty to keep the runtime's. A Windows
  // runtime gets it as its main icon (on every platform the packer runs
  // on); any other runtime finds it in the package as "lm-icon" and shows
  // it on its windows.
  String IconFile;
  // Strings of a Windows program's version resource (ProductName,
  // FileDescription, CompanyName, LegalCopyright, FileVersion,
  // ProductVersion), as name and value in the order given. They override
  // the configuration's [VersionInfo] section.
  std::vector<std::pair<String, String>> VersionStrings;
  // Glob patterns of files and folders to leave out (--exclude), beside
  // those of the site's ignore file.
  std::vector<String> Excludes;
  // Mark the program as a preview (PreviewEntryName), so that it honours
  // the developer switches of "lumora-pack --run" (--inspect). Never set for
  // a program that is handed on.
  bool PreviewMarker = false;
  // The packer chose Output's name itself (the preview): its name is not
  // checked against the target.
  bool NamedByPacker = false;
  // Leave out version-control folders and system and editor leftovers.
  bool DefaultExcludes = true;
  // Check script and CSS against the Windows runtime's engine whatever the
  // target (a Windows program is always checked).
  bool Lint = false;
  // Fail, writing nothing, when there is any warning (for build scripts).
  bool Strict = false;
  // An unknown configuration key a slip away from a known one is only a
  // warning, not an error.
  bool AllowUnknownKeys = false;
  // Deflate's level, 1 (fastest) to 9 (smallest); 0 stores every file.
  int Level = 9;
  // Files compressed and encrypted at once; 0 for one per processor.
  int Jobs = 0;
};

struct TPackSummary {
  size_t Entries = 0;
  int64_t ContentBytes = 0;
  int64_t ArchiveBytes = 0;
  String Runtime;
  // The system the runtime is for.
  TTarget Target = TTarget::Linux;
  // Lines for the author that are not warnings (a runtime's limits).
  std::vector<String> Notes;
};

class TPacker {
 public:
  using TOnWarning = std::function<void(const String& message)>;

  TPacker() = delete;

  // Writes the package. The archive and the program are built in temporary
  // files beside Output and the program is renamed into place only when it
  // is complete, so a failure leaves no partial Output (and an existing
  // Output untouched). Raises an Exception with a message for the user.
  static TPackSummary Pack(const TPackOptions& options, const TOnWarning& onWarning);
};

}  // namespace lumora
