// Archives written by independent tools: Info-ZIP zip (encrypted entries with
// data descriptors, so the password is checked against the time), 7-Zip's
// ZipCrypto (checked against the CRC) and Python's zipfile (stored entries,
// Zip64 end records). Each tool's archive must give back the files it packed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "ZipTestKit.h"

namespace lumora::test {
namespace {

bool HaveTool(const std::string& name) {
#ifdef _WIN32
  (void)name;
  return false;  // the tools are run through a POSIX shell
#else
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
#endif
}

int RunIn(const String& folder, const std::string& command) {
  return std::system(("cd '" + ToUtf8(folder) + "' && " + command + " >/dev/null 2>&1").c_str());
}

// A small site: text pages, an incompressible picture, an empty file and a
// non-ASCII name.
struct TSiteFiles {
  std::vector<std::pair<std::string, std::string>> Files;

  explicit TSiteFiles(const TScratchDir& dir) {
    std::string page;
    for (int i = 0; i < 2000; ++i) page += "<p>paragraph " + std::to_string(i) + "</p>\n";
    std::mt19937 random(11);
    std::string picture(70000, '\0');
    for (auto& b : picture) b = static_cast<char>(random());
    Files = {{"site/index.html", page},
             {"site/img/photo.jpg", picture},
             {"site/empty.txt", ""},
             {"site/\xC3\xA9t\xC3\xA9.txt", "summer"}};
    std::filesystem::create_directories(std::filesystem::path(dir.File(u"site/img")));
    for (const auto& [name, data] : Files) WriteWholeFile(dir.File(FromUtf8(name)), data);
  }

  void ExpectIn(TAbZipKit& kit, const char* tool) const {
    for (const auto& [name, data] : Files) {
      ASSERT_GE(kit.FindFile(FromUtf8(name)), 0) << tool << ": " << name;
      TMemoryStream out;
      kit.ExtractToStream(FromUtf8(name), &out);
      EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), data) << tool << ": " << name;
    }
  }
};

TEST(ZipConformance, EncryptedArchivesOfInfoZipAnd7Zip) {
  struct Case {
    const char* tool;
    const char* command;
  };
  const Case cases[] = {
      {"zip", "LC_ALL=C.UTF-8 zip -q -r -P pw out.zip site"},
      {"7z", "7z a -tzip -mem=ZipCrypto -ppw out.zip site"},
  };
  for (const auto& c : cases) {
    if (!HaveTool(c.tool)) {
      GTEST_SKIP() << c.tool << " is not installed";
    }
    TScratchDir dir;
    const TSiteFiles site(dir);
    ASSERT_EQ(RunIn(dir.Path(), c.command), 0) << c.tool;

    TAbZipKit kit;
    std::vector<std::string> failures;
    kit.SetOnProcessItemFailure([&](TAbZipKit&, const TAbZipItem&, TAbProcessType, const std::exception& error) {
      failures.push_back(error.what());
    });
    kit.SetPassword("pw");
    kit.SetFileName(dir.File(u"out.zip"));
    site.ExpectIn(kit, c.tool);
    EXPECT_TRUE(failures.empty()) << c.tool << ": " << (failures.empty() ? "" : failures[0]);

    kit.SetPassword("wrong");
    TMemoryStream out;
    kit.ExtractToStream(u"site/index.html", &out);
    EXPECT_EQ(out.Size(), 0) << c.tool;
    EXPECT_EQ(failures, std::vector<std::string>{"Cannot extract file - invalid password"}) << c.tool;
  }
}

TEST(ZipConformance, PythonStoredAndZip64Archives) {
  if (!HaveTool("python3")) GTEST_SKIP() << "python3 is not installed";
  TScratchDir dir;
  ASSERT_EQ(RunIn(dir.Path(), "python3 '" LUMORA_FIXTURES_DIR "/zip/make_python_zips.py' ."), 0);

  TAbZipKit stored;
  stored.SetFileName(dir.File(u"python-stored.zip"));
  TMemoryStream out;
  stored.ExtractToStream(u"site/caf\u00E9.txt", &out);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), "caf\xC3\xA9");
  out.Clear();
  stored.ExtractToStream(u"SITE/DATA.BIN", &out);
  EXPECT_EQ(out.Size(), 256 * 40);
  EXPECT_EQ(out.Bytes()[511], 255);

  TAbZipKit many;
  many.SetFileName(dir.File(u"python-70000.zip"));
  EXPECT_EQ(many.Archive()->ItemList().Count(), 70000u);
  EXPECT_EQ(many.Archive()->Footer().TotalEntries, 70000u);
  out.Clear();
  many.ExtractToStream(u"f/69999", &out);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), "69999");
}

}  // namespace
}  // namespace lumora::test
