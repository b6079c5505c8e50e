// Fixtures of the packer's tests.
#pragma once

#include <filesystem>

#include "pack/Packer.h"
#include "os/File.h"
#include "support/TestSupport.h"

namespace lumora {

// A site with a start page, and an icon of no images (the smallest valid
// one: the packed program's main group then lists none).
inline TPackOptions SiteWithIcon(const test::TScratchDir& dir) {
  std::filesystem::create_directories(std::filesystem::path(dir.File(u"site")) / "site");
  test::WriteWholeFile(dir.File(u"site") + PathDelim + u"lm-config", "[Lumora]\r\nIndexPage=site/index.html\r\n");
  test::WriteWholeFile((std::filesystem::path(dir.File(u"site")) / "site" / "index.html").u16string(), "<p>");
  test::WriteWholeFile(dir.File(u"app.ico"), std::string{0, 0, 1, 0, 0, 0});
  TPackOptions options;
  options.SourceDir = dir.File(u"site");
  options.Output = dir.File(u"app.exe");
  options.IconFile = dir.File(u"app.ico");
  return options;
}

}  // namespace lumora
