// Replacing the main icon of a real program (the icon host helper, whose
// groups are described in its .rc), then reading the resources back
// through the loader as any other program would see them.
#include <gtest/gtest.h>

// Before windows.h, whose near and far macros would garble it.
#include "support/IconFixture.h"

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/ExeUtils.h"
#include "os/IconFile.h"
#include "os/ImageHeaders.h"
#include "base/ResourceUpdateError.h"
#include "os/File.h"
#include "os/win32/WideString.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::ReadWholeFile;
using test::TScratchDir;
using test::WriteWholeFile;

constexpr WORD kNeutral = 0;
constexpr WORD kEnglish = 1033;

// Wine applies a pending update on top of the file's own resources when it
// writes it, so deleting a resource the file already holds has no effect
// there; on Windows it is gone.
bool DeletesExistingResources() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
  return TRUE;
}

// The executable's resources, loaded as a data file.
class TResources {
 public:
  explicit TResources(const String& path)
      : FModule(::LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~TResources() {
    if (FModule) ::FreeLibrary(FModule);
  }
  TResources(const TResources&) = delete;
  TResources& operator=(const TResources&) = delete;

  bool Loaded() const { return FModule != nullptr; }

  // The bytes of one resource in one language; none when it is missing.
  std::optional<std::string> Bytes(LPCWSTR type, LPCWSTR name, WORD language) const {
    HRSRC found = ::FindResourceExW(FModule, type, name, language);
    if (!found) return std::nullopt;
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(FModule, found)));
    return std::string(data, ::SizeofResource(FModule, found));
  }

  std::vector<WORD> Languages(LPCWSTR type, LPCWSTR name) const {
    std::vector<WORD> languages;
    ::EnumResourceLanguagesW(FModule, type, name, AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
  }

 private:
  HMODULE FModule;
};

String CopyOf(const char* program, const TScratchDir& dir, StringView name) {
  const String copy = dir.File(name);
  std::filesystem::copy_file(std::filesystem::path(program), std::filesystem::path(copy));
  return copy;
}

std::string IconImage(const std::string& icon, size_t j) {
  const std::vector<uint8_t> bytes(icon.begin(), icon.end());
  const TIconImage image = TIconFile::Images(bytes)[j];
  return icon.substr(image.Offset, image.Size);
}

// An icon file of two images (4x4 and 8x8) of different colours.
std::string TwoImageIcon() {
  const std::string small = test::IconFile(4, [](int, int) { return test::TPixel{1, 2, 3, 255}; });
  const std::string large = test::IconFile(8, [](int, int) { return test::TPixel{9, 8, 7, 255}; });
  const std::string smallImage = small.substr(22);
  std::string file = small.substr(0, 4);
  test::PutLe(file, 2, 2);
  file += small.substr(6, 12);
  test::PutLe(file, 38, 4);
  file += large.substr(6, 12);
  test::PutLe(file, static_cast<uint32_t>(38 + smallImage.size()), 4);
  return file + smallImage + large.substr(22);
}

TEST(ExeResourcesWin32Test, ChangeExeIconReplacesTheMainGroupAndItsImages) {
  TScratchDir dir;
  const String exe = CopyOf(LUMORA_ICON_HOST_PATH, dir, u"host.exe");
  const std::string oldOther = [&] {
    const TResources before(exe);
    EXPECT_EQ(before.Languages(RT_GROUP_ICON, L"MAINICON"), std::vector<WORD>{kNeutral});
    EXPECT_TRUE(before.Bytes(RT_ICON, MAKEINTRESOURCEW(3), kNeutral));
    return *before.Bytes(RT_ICON, MAKEINTRESOURCEW(2), kEnglish);
  }();
  const std::string icon = TwoImageIcon();
  WriteWholeFile(dir.File(u"new.ico"), icon);

  TExeUtils::ChangeExeIcon(exe, dir.File(u"new.ico"));

  {
    const TResources after(exe);
    ASSERT_TRUE(after.Loaded());
    // The new group is in English, with the old header's reserved and type
    // fields and the images numbered 1 and 2.
    const std::vector<uint8_t> iconBytes(icon.begin(), icon.end());
    const std::vector<uint8_t> expected = TIconFile::GroupDirectory(iconBytes, 0, 1);
    EXPECT_EQ(after.Bytes(RT_GROUP_ICON, L"MAINICON", kEnglish), std::string(expected.begin(), expected.end()));
    for (WORD id : {1, 2}) {
      SCOPED_TRACE(id);
      EXPECT_EQ(after.Languages(RT_ICON, MAKEINTRESOURCEW(id)), std::vector<WORD>{kEnglish});
      EXPECT_EQ(after.Bytes(RT_ICON, MAKEINTRESOURCEW(id), kEnglish), IconImage(icon, id - 1u));
    }
    // The old group and images went, each in its own (neutral) language.
    if (DeletesExistingResources()) {
      EXPECT_EQ(after.Languages(RT_GROUP_ICON, L"MAINICON"), std::vector<WORD>{kEnglish});
      for (WORD id : {3, 4}) {
        EXPECT_TRUE(after.Languages(RT_ICON, MAKEINTRESOURCEW(id)).empty()) << id;
      }
    }
    EXPECT_NE(after.Bytes(RT_ICON, MAKEINTRESOURCEW(2), kEnglish), oldOther);
    EXPECT_TRUE(after.Bytes(RT_GROUP_ICON, L"OTHERICON", kEnglish));
  }
  // The rewritten program still runs, and nothing follows its image, so an
  // archive can be appended to it.
  EXPECT_EQ(ImageEndOfFile(exe), static_cast<int64_t>(ReadWholeFile(exe).size()));
  int exitCode = -1;
  EXPECT_EQ(test::RunWithAppended(dir, ToUtf8(exe), "", "", exitCode).find("icon host"), 0u);
  EXPECT_EQ(exitCode, 0);
}

TEST(ExeResourcesWin32Test, AnIconWithoutImagesLeavesAnEmptyGroup) {
  TScratchDir dir;
  const String exe = CopyOf(LUMORA_ICON_HOST_PATH, dir, u"host.exe");
  const std::string icon = std::string{0, 0, 1, 0, 0, 0};
  WriteWholeFile(dir.File(u"empty.ico"), icon);

  TExeUtils::ChangeExeIcon(exe, dir.File(u"empty.ico"));

  const TResources after(exe);
  EXPECT_EQ(after.Bytes(RT_GROUP_ICON, L"MAINICON", kEnglish), icon);
  if (DeletesExistingResources()) {
    for (WORD id : {3, 4}) {
      EXPECT_TRUE(after.Languages(RT_ICON, MAKEINTRESOURCEW(id)).empty()) << id;
    }
  }
  // OTHERICON's images are not the main icon's and stay.
  EXPECT_TRUE(after.Bytes(RT_ICON, MAKEINTRESOURCEW(1), kEnglish));
}

TEST(ExeResourcesWin32Test, FailuresLeaveTheProgramAsItWas) {
  TScratchDir dir;
  WriteWholeFile(dir.File(u"good.ico"), TwoImageIcon());
  WriteWholeFile(dir.File(u"bad.ico"), "MZ" + std::string(64, '\0'));
  struct TCase {
    const char* Name;
    const char* Program;
    StringView Icon;
    std::u16string Message;  // a prefix when the platform's code follows
  };
  const TCase cases[] = {
      {"no main icon", LUMORA_PROBE_PATH, u"good.ico", u"Resource update error: FindResource failed (1) ("},
      {"invalid icon", LUMORA_ICON_HOST_PATH, u"bad.ico", u"Resource update error: Icon file is invalid"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const String exe = CopyOf(c.Program, dir, u"target.exe");
    const std::string before = ReadWholeFile(exe);
    try {
      TExeUtils::ChangeExeIcon(exe, dir.File(c.Icon));
      ADD_FAILURE() << "no error";
    } catch (const EResourceUpdateError& error) {
      const String message = error.Message();
      EXPECT_TRUE(message.starts_with(c.Message)) << ToUtf8(message);
      if (c.Message.ends_with(u"(")) {
        const String code = message.substr(c.Message.size());
        EXPECT_TRUE(code.size() > 1 && code.back() == u')' && code.find_first_not_of(u"0123456789") == code.size() - 1)
            << ToUtf8(message);
      }
    }
    EXPECT_TRUE(ReadWholeFile(exe) == before);
    DeleteFilePath(exe);
  }
}

}  // namespace
}  // namespace lumora
