// The browser emulation values in the real registry (Wine's, below
// HKEY_CURRENT_USER), named after the running program and read back with
// the registry API itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "core/browser/IEBrowserFix.h"

namespace lumora {
namespace {

// The running program's file name, as the values are named.
std::wstring ProgramName() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, length);
  return full.substr(full.find_last_of(L"\\/") + 1);
}

std::wstring KeyOf(StringView key) { return std::wstring(key.begin(), key.end()); }

std::optional<DWORD> DwordValue(StringView key, const std::wstring& name) {
  DWORD data = 0, size = sizeof data;
  if (::RegGetValueW(HKEY_CURRENT_USER, KeyOf(key).c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return data;
}

bool KeyExists(StringView key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  ::RegCloseKey(handle);
  return true;
}

TEST(IEBrowserFixWin32Test, TheRunningProgramIsListedUntilUninitialize) {
  const std::wstring name = ProgramName();
  TIEBrowserFix::Uninitialize();
  ASSERT_FALSE(DwordValue(TIEBrowserFix::kEmulationKey, name));

  TIEBrowserFix::Initialize();
  EXPECT_EQ(DwordValue(TIEBrowserFix::kEmulationKey, name), 11001u);
  EXPECT_EQ(DwordValue(TIEBrowserFix::kGpuRenderingKey, name), 1u);

  TIEBrowserFix::Uninitialize();
  EXPECT_FALSE(DwordValue(TIEBrowserFix::kEmulationKey, name));
  EXPECT_FALSE(DwordValue(TIEBrowserFix::kGpuRenderingKey, name));
  EXPECT_TRUE(KeyExists(TIEBrowserFix::kEmulationKey));
  EXPECT_TRUE(KeyExists(TIEBrowserFix::kGpuRenderingKey));
}

TEST(IEBrowserFixWin32Test, AValueFoundAtStartStaysUntilExit) {
  const std::wstring name = ProgramName();
  const DWORD older = 9000;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, KeyOf(TIEBrowserFix::kEmulationKey).c_str(), name.c_str(), REG_DWORD,
                              &older, sizeof older),
            ERROR_SUCCESS);
  TIEBrowserFix::Initialize();
  EXPECT_EQ(DwordValue(TIEBrowserFix::kEmulationKey, name), 9000u);
  TIEBrowserFix::Uninitialize();
  EXPECT_FALSE(DwordValue(TIEBrowserFix::kEmulationKey, name));
}

}  // namespace
}  // namespace lumora
