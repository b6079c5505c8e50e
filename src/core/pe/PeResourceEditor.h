// Changing a Windows program's main icon and version strings on any
// platform, by rewriting its resource section in memory: the portable
// counterpart of the Windows resource-update functions, with the icon
// replaced exactly as TExeUtils::ChangeExeIcon replaces it there.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "base/String.h"
#include "core/pe/PeImage.h"
#include "core/pe/PeResources.h"

namespace lumora {

class TPeResourceEditor {
 public:
  // New resources are written in U.S. English.
  static constexpr uint16_t kLanguage = 1033;

  // Reads the program. Raises EFOpenError or EStreamError when it cannot be
  // read and an Exception naming the file when it is no PE image or its
  // resources are damaged.
  explicit TPeResourceEditor(const String& path);
  // The same for a program already in memory (the fuzz target's way in).
  TPeResourceEditor(const String& path, std::vector<uint8_t> bytes);

  // Replaces the icon group "MAINICON" with the images of icon, the bytes
  // of a valid icon file (TIconFile::Load): the old group goes, in its
  // language, and so do its images, each in its own; the images become icon
  // resources 1 to n and the new group lists them, all in kLanguage.
  // Without a "MAINICON" group raises EResourceUpdateError "FindResource
  // failed (1)" with the code Windows gives (1813 without any icon group,
  // 1814 without that one).
  void ReplaceMainIcon(const std::vector<uint8_t>& icon);

  // Sets the strings of the version resource (made when there is none).
  void SetVersionStrings(const std::vector<std::pair<String, String>>& strings);

  const TPeResources& Resources() const { return FResources; }

  // The program with the new resources.
  std::vector<uint8_t> Bytes() const;
  // Writes Bytes() over the file it was read from.
  void Save() const;

 private:
  String FPath;
  TPeImage FImage;
  TPeResources FResources;
};

}  // namespace lumora
