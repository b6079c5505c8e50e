// The site object, built by a probe program from an archive appended to it:
// the temporary copy, its registration and the configuration it reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "core/ExeHtmlSite.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace lumora {
namespace {

using test::ReadWholeFile;
using test::TScratchDir;

std::map<std::string, std::string> RunSite(const std::string& fixture, int& exitCode) {
  TScratchDir dir;
  const std::string archive =
      fixture.empty() ? std::string() : ReadWholeFile(FromUtf8(LUMORA_FIXTURES_DIR "/site/" + fixture));
  const std::string output = test::RunWithAppended(dir, LUMORA_SITE_PROBE_PATH, archive, "", exitCode);
  std::map<std::string, std::string> values;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto split = line.find_first_of("= ");
    if (split != std::string::npos) values[line.substr(0, split)] = line.substr(split + 1);
  }
  return values;
}

TEST(ExeHtmlSite, WithoutConfigurationEveryKeyTakesItsDefault) {
  int exitCode = -1;
  auto site = RunSite("no-config.zip", exitCode);
  ASSERT_EQ(exitCode, 0);
  // Ten random letters, and the extension that marks archive copies.
  const auto copyName = std::filesystem::path(site["copy"]).filename().string();
  EXPECT_EQ(copyName.size(), 18u);
  EXPECT_EQ(copyName.substr(10), ".archive");
  EXPECT_EQ(copyName.substr(0, 10).find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"),
            std::string::npos);
  EXPECT_EQ(site["copy-exists"], "1");
  EXPECT_EQ(site["registered"], "1");
  EXPECT_EQ(site["copy-after-exit"], "0");
  const std::map<std::string, std::string> defaults = {
      {"AppTheme", "Windows"},
      {"AppTitle", ""},
      {"UseTrayIcon", "false"},
      {"IndexPage", ""},
      {"ExtractFileExts", "zip mp3 mp4"},
      {"ExecuteFileExts", "exe"},
      {"AppWindowWidth", "800"},
      {"AppWindowHeight", "600"},
      {"HideJsErrors", "true"},
      {"AllowCopyText", "false"},
      {"AppBorderStyle", "2"},
      {"AppWindowOrder", "0"},
  };
  for (const auto& [key, value] : defaults) EXPECT_EQ(site[key], value) << key;
}

TEST(ExeHtmlSite, ReadsAUtf16ConfigurationByItsRules) {
  int exitCode = -1;
  auto site = RunSite("config-utf16.zip", exitCode);
  ASSERT_EQ(exitCode, 0);
  EXPECT_EQ(site["AppTitle"], "Second Title");  // the later of two keys wins
  EXPECT_EQ(site["IndexPage"], "site/index.html");
  EXPECT_EQ(site["AppWindowWidth"], "1024");  // 0x400
  EXPECT_EQ(site["AppWindowHeight"], "600");  // not a number: the default
  EXPECT_EQ(site["UseTrayIcon"], "false");    // "true" is no integer
  EXPECT_EQ(site["AppEscapeClose"], "true");  // -1
  EXPECT_EQ(site["ExtractFileExts"], "");     // present and empty
}

TEST(ExeHtmlSite, ANonArchiveIsAnErrorAndNothingIsLeft) {
  int exitCode = -1;
  TScratchDir dir;
  const std::string output = test::RunWithAppended(dir, LUMORA_SITE_PROBE_PATH, std::string(5000, 'x'), "", exitCode);
  EXPECT_EQ(exitCode, 4) << output;
  EXPECT_NE(output.find("Invalid file - not a PKZip file"), std::string::npos) << output;
}

// A configuration the reader cannot verify is a broken archive, not an
// empty configuration: start-up fails, as it does for a non-archive.
TEST(ExeHtmlSite, ADamagedConfigurationIsAnError) {
  const std::string password = TExeHtmlSite::kArchivePassword;
  const std::string archive = test::BuildZip({
      {.Name = "lm-config", .Data = "[Lumora]\r\nAppTitle=Damaged\r\n", .Password = password, .Crc = 1},
  });
  int exitCode = -1;
  TScratchDir dir;
  const std::string output = test::RunWithAppended(dir, LUMORA_SITE_PROBE_PATH, archive, "", exitCode);
  EXPECT_EQ(exitCode, 4) << output;
  EXPECT_NE(output.find("Failed CRC Check"), std::string::npos) << output;
}

}  // namespace
}  // namespace lumora
