// The Windows runtime's manifest and version resource, and the packer
// leaving both exactly as they were when it gives a packed program its
// icon. Read back with the platform's own resource loader.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <string>

#include "pack/Packer.h"
#include "os/File.h"
#include "support/TestSupport.h"
#include "tools/PackFixtures.h"

namespace lumora {
namespace {

// The bytes of one resource of a program, or nothing.
std::string ResourceOf(const String& program, LPCWSTR type, LPCWSTR name) {
  HMODULE module =
      ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(program.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string bytes;
  if (HRSRC resource = ::FindResourceW(module, name, type)) {
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* data = static_cast<const char*>(::LockResource(loaded));
    if (data) bytes.assign(data, ::SizeofResource(module, resource));
  }
  ::FreeLibrary(module);
  return bytes;
}

const String kRuntime = FromUtf8(LUMORA_RUNTIME_PATH);

TEST(PackRuntimeResourcesTest, TheManifestIsTheOneTheRuntimeDeclares) {
  const std::string manifest = ResourceOf(kRuntime, RT_MANIFEST, MAKEINTRESOURCEW(1));
  EXPECT_EQ(manifest, test::ReadWholeFile(FromUtf8(LUMORA_MANIFEST_PATH)));
  for (const char* part : {
           R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
           R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
           R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)",
           R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)",
           R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",
           R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",
       }) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

TEST(PackRuntimeResourcesTest, TheVersionResourceNamesTheRuntime) {
  const String path = kRuntime;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(reinterpret_cast<const wchar_t*>(path.c_str()), &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(::GetFileVersionInfoW(reinterpret_cast<const wchar_t*>(path.c_str()), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  wchar_t* name = nullptr;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\OriginalFilename",
                               reinterpret_cast<void**>(&name), &length));
  EXPECT_EQ(std::wstring(name), L"lumora.exe");
}

TEST(PackRuntimeResourcesTest, PackingWithAnIconKeepsManifestAndVersion) {
  test::TScratchDir dir;
  TPackOptions options = SiteWithIcon(dir);
  options.Runtime = kRuntime;
  TPacker::Pack(options, nullptr);

  for (const LPCWSTR type : {RT_MANIFEST, RT_VERSION}) {
    const LPCWSTR name = MAKEINTRESOURCEW(1);
    const std::string before = ResourceOf(kRuntime, type, name);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(ResourceOf(options.Output, type, name), before);
  }
  // The icon did change: the packed program's main group lists no image.
  HMODULE module =
      ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(options.Output.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC group = ::FindResourceW(module, L"MAINICON", RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(::SizeofResource(module, group), 6u);
  ::FreeLibrary(module);
}

}  // namespace
}  // namespace lumora
#endif
