// The targets: where the packer looks for each one's runtime, and which
// target a runtime is for, read from its headers (ELF, or PE by machine
// type), with the messages that refuse a runtime of another width or system.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Exception.h"
#include "core/pe/PeFixture.h"
#include "pack/PackChecks.h"
#include "pack/RuntimeLocator.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

TEST(PackTargetTest, EachTargetIsLookedForInstalledThenInItsBuildFolder) {
  const fs::path root = fs::path(u"build");
  const String packer = (fs::absolute(root) / u"linux" / u"lumora-pack").u16string();
  const fs::path top = fs::absolute(root);
  struct TCase {
    TTarget Target;
    const char16_t* Name;
    const char16_t* Installed;
    const char16_t* Preset;
    const char16_t* File;
  };
  const TCase cases[] = {
      {TTarget::Linux, u"linux", u"linux-x86_64", u"linux", u"lumora"},
      {TTarget::Windows, u"windows", u"windows-x86", u"win32", u"lumora.exe"},
      {TTarget::WindowsX64, u"windows-x64", u"windows-x86_64", u"win64", u"lumora.exe"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TRuntimeLocator::ParseTarget(c.Name), c.Target);
    EXPECT_EQ(TRuntimeLocator::TargetName(c.Target), c.Name);
    std::vector<String> expected = {
        (top / u"lib" / u"lumora" / u"runtimes" / c.Installed / c.File).lexically_normal().u16string(),
        (top / c.Preset / c.File).lexically_normal().u16string()};
    // Beside the packer only the runtime of its own system: in a build
    // folder that is the one the same build made.
    const String beside = (top / u"linux" / c.File).lexically_normal().u16string();
    if (c.Target == TRuntimeLocator::HostTarget() &&
        std::find(expected.begin(), expected.end(), beside) == expected.end()) {
      expected.push_back(beside);
    }
    EXPECT_EQ(TRuntimeLocator::Places(c.Target, packer), expected) << ToUtf8(c.Name);
  }
  EXPECT_EQ(TRuntimeLocator::ParseTarget(u"windows-x86"), std::nullopt);
  EXPECT_EQ(TRuntimeLocator::TargetNames(), u"linux, windows or windows-x64");
}

// The smallest ELF file: a 64-bit header with no tables.
std::string ElfProgram() {
  std::string bytes(64, '\0');
  bytes.replace(0, 4,
                "\x7F"
                "ELF");
  bytes[4] = 2;    // 64-bit
  bytes[5] = 1;    // little-endian
  bytes[52] = 64;  // header size
  return bytes;
}

std::string PeProgram(const test::TPeFormat& format, uint16_t machine) {
  std::vector<uint8_t> bytes = test::MakeProgram(TPeResources(), format);
  test::PutU16(bytes, 0x44, machine);
  return std::string(bytes.begin(), bytes.end());
}

TEST(PackTargetTest, TheRuntimesKindDecidesAndMustMatchTheTarget) {
  test::TScratchDir dir;
  struct TCase {
    const char16_t* File;
    std::string Bytes;
    std::optional<TTarget> Kind;
    const char16_t* Display;
  };
  const TCase cases[] = {
      {u"linux", ElfProgram(), TTarget::Linux, u"Linux"},
      {u"x86.exe", PeProgram(test::kPe32, 0x14C), TTarget::Windows, u"32-bit Windows"},
      {u"x64.exe", PeProgram(test::kPe32Plus, 0x8664), TTarget::WindowsX64, u"64-bit Windows"},
      {u"arm64.exe", PeProgram(test::kPe32Plus, 0xAA64), std::nullopt, nullptr},
  };
  for (const TCase& c : cases) {
    const String path = dir.File(c.File);
    test::WriteWholeFile(path, c.Bytes);
    SCOPED_TRACE(ToUtf8(c.File));
    EXPECT_EQ(TRuntimeLocator::TargetOf(path), c.Kind);
    if (!c.Kind) {
      try {
        TPackChecks::CheckTarget(path, std::nullopt);
        ADD_FAILURE() << "no error";
      } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), u"\"" + path +
                                       u"\" is a Windows program for machine type 0xAA64, which no target "
                                       u"runs: the Windows runtimes are for i386 (32-bit) and x86-64 (64-bit)");
      }
      continue;
    }
    // Without a target the runtime's own kind is taken.
    EXPECT_EQ(TPackChecks::CheckTarget(path, std::nullopt), *c.Kind);
    for (const TTarget target : {TTarget::Linux, TTarget::Windows, TTarget::WindowsX64}) {
      if (target == *c.Kind) {
        EXPECT_EQ(TPackChecks::CheckTarget(path, target), target);
        continue;
      }
      try {
        TPackChecks::CheckTarget(path, target);
        ADD_FAILURE() << "no error for --target " << ToUtf8(TRuntimeLocator::TargetName(target));
      } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), u"--target " + String(TRuntimeLocator::TargetName(target)) +
                                       u", but the runtime \"" + path + u"\" is a " + c.Display + u" program");
      }
    }
  }
  // A bare archive is no program of any kind.
  test::WriteWholeFile(dir.File(u"site.zip"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  EXPECT_EQ(TRuntimeLocator::TargetOf(dir.File(u"site.zip")), std::nullopt);
}

}  // namespace
}  // namespace lumora
