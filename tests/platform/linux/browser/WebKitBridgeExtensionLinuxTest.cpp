// Where window.external's web process extension is written out for WebKit:
// a folder of its own in the bridge folder beside the temporary folder, the
// file held while a holder lives and gone with the last one, and the
// folders of killed programs removed by the next program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "os/File.h"
#include "os/SysUtils.h"
#include "platform/linux/browser/BridgeExtensionImage.h"
#include "os/linux/GLibPtr.h"
#include "platform/linux/browser/WebKitBridgeExtension.h"
#include "support/TestSupport.h"

namespace lumora::test {
namespace {

namespace fs = std::filesystem;

class WebKitBridgeExtensionLinuxTest : public ::testing::Test {
 protected:
  // What a folder holds, by name.
  static std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
  }

  TScratchDir FScratch;
  TScopedEnv FRuntime{"XDG_RUNTIME_DIR", ToUtf8(FScratch.Path())};
  // A context of the test's own, so that the program's default one is
  // left alone.
  TGObjectPtr<WebKitWebContext> FContext{webkit_web_context_new()};
  fs::path FTemporary = fs::path(ToUtf8(FScratch.Path())) / "lumora";
  fs::path FBridge = fs::path(ToUtf8(FScratch.Path())) / "lumora-bridge";
};

TEST_F(WebKitBridgeExtensionLinuxTest, TheFileIsThereWhileItIsHeld) {
  auto first = std::make_unique<TWebKitBridgeExtension>(FContext.get(), u"lmp");
  ASSERT_EQ(ToUtf8(BridgeExtensionFolder()), FBridge.string() + "/");
  const std::vector<std::string> folders = Entries(FBridge);
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(folders[0].size(), 10u);
  const fs::path folder = FBridge / folders[0];
  const fs::path file = folder / "lumora-bridge.so";
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"lumora-bridge.so"});
  EXPECT_EQ(ReadWholeFile(FromUtf8(file.string())),
            std::string(reinterpret_cast<const char*>(kBridgeExtensionImage), kBridgeExtensionImageSize));
  struct stat info {};
  ASSERT_EQ(::stat(FBridge.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // Nothing of it in the temporary folder, which holds the archive copies.
  EXPECT_TRUE(!fs::exists(FTemporary) || fs::is_empty(FTemporary));
  // Held: a start-up looking for files of killed programs leaves it alone.
  EXPECT_EQ(RemoveStaleBridgeExtensions(), 0);
  EXPECT_TRUE(fs::exists(file));

  // A second holder shares it; the file goes with the last one.
  auto second = std::make_unique<TWebKitBridgeExtension>(FContext.get(), u"lmp");
  EXPECT_EQ(Entries(FBridge), folders);
  first.reset();
  EXPECT_TRUE(fs::exists(file));
  second.reset();
  EXPECT_TRUE(fs::is_empty(FBridge));
  // A new holder writes it again, under a new name.
  TWebKitBridgeExtension third(FContext.get(), u"lmp");
  ASSERT_EQ(Entries(FBridge).size(), 1u);
  EXPECT_NE(Entries(FBridge), folders);
}

TEST_F(WebKitBridgeExtensionLinuxTest, WhatKilledProgramsLeftIsRemoved) {
  // A killed program's folder: its file, held by nobody.
  fs::create_directories(FBridge / "Abandoned1");
  WriteWholeFile(FromUtf8((FBridge / "Abandoned1" / "lumora-bridge.so").string()), "old");
  // One killed before its file was written.
  fs::create_directories(FBridge / "Abandoned2");
  // A running program's, held.
  fs::create_directories(FBridge / "RunningOne");
  const String held = FromUtf8((FBridge / "RunningOne" / "lumora-bridge.so").string());
  TFileHandle running =
      TFileHandle::Open(held, TFileAccess::ReadWrite, TFileShare::ReadWrite, TFileCreation::CreateNew);
  ASSERT_TRUE(running.IsOpen());
  ASSERT_TRUE(running.LockExclusive());
  // Something else in the folder is never followed: a link to a folder
  // with a file of that name.
  fs::create_directories(ToUtf8(FScratch.File(u"elsewhere")));
  WriteWholeFile(FScratch.File(u"elsewhere/lumora-bridge.so"), "keep");
  fs::create_directory_symlink(fs::path(ToUtf8(FScratch.File(u"elsewhere"))), FBridge / "Linked");

  // The first holder of a context cleans up first.
  TWebKitBridgeExtension holder(FContext.get(), u"lmp");
  std::vector<std::string> left = Entries(FBridge);
  for (const char* kept : {"Linked", "RunningOne"}) {
    EXPECT_EQ(std::erase(left, kept), 1u) << kept;
  }
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].size(), 10u);  // its own
  EXPECT_TRUE(FileExists(held));
  EXPECT_TRUE(FileExists(FScratch.File(u"elsewhere/lumora-bridge.so")));
}

}  // namespace
}  // namespace lumora::test
