// The Windows backend of the system utilities, run under Wine: shell links,
// shell execution, wildcard-safe folder removal, path probing, key presses,
// sound and the restart request.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "base/Exception.h"
#include "base/Stream.h"
#include "core/TemporaryFile.h"
#include "os/SysUtils.h"
#include "os/win32/WideString.h"
#include "support/win32/ImportHook.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::TScratchDir;
using test::WaitUntil;
using test::WriteWholeFile;

class TComApartment {
 public:
  TComApartment() : FResult(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComApartment() {
    if (SUCCEEDED(FResult)) ::CoUninitialize();
  }
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;

 private:
  HRESULT FResult;
};

// Saves a shell link to target at path through the shell's own object.
void SaveShortcut(const String& path, const String& target) {
  IShellLinkW* link = nullptr;
  ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                              reinterpret_cast<void**>(&link)));
  link->SetPath(Wide(target).c_str());
  IPersistFile* file = nullptr;
  ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  EXPECT_HRESULT_SUCCEEDED(file->Save(Wide(path).c_str(), TRUE));
  file->Release();
  link->Release();
}

TEST(SysUtilsWin32Test, ShortcutTargetIsReadFromTheLinkFile) {
  TComApartment com;
  TScratchDir scratch;
  const String target = scratch.File(u"target.txt");
  WriteWholeFile(target, "x");
  SaveShortcut(scratch.File(u"target.lnk"), target);
  EXPECT_EQ(TSysUtils::GetLnkFilePath(scratch.File(u"target.lnk")), target);

  // A file that is no shortcut gives the empty text, not stale memory.
  WriteWholeFile(scratch.File(u"plain.lnk"), "no shell link");
  EXPECT_EQ(TSysUtils::GetLnkFilePath(scratch.File(u"plain.lnk")), u"");
}

TEST(SysUtilsWin32Test, ShortcutWithoutComRaises) {
  // A new thread has not initialised COM, so the shell-link object cannot
  // be made there.
  bool raised = false;
  std::thread([&] {
    try {
      TSysUtils::GetLnkFilePath(u"C:\\nothing.lnk");
    } catch (const Exception&) {
      raised = true;
    }
  }).join();
  EXPECT_TRUE(raised);
}

TEST(SysUtilsWin32Test, ShellExecStartsAProgramWithItsParameters) {
  TScratchDir scratch;
  const String out = scratch.File(u"out.txt");
  ASSERT_TRUE(TSysUtils::ShellExec(u"cmd.exe", u"/c echo started> \"" + out + u"\""));
  EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(out).find("started") == 0; }));
}

TEST(SysUtilsWin32Test, DeleteDirectoryRefusesWildcards) {
  TScratchDir scratch;
  const String folder = scratch.File(u"keep");
  fs::create_directories(fs::path(folder));
  WriteWholeFile(folder + u"\\a.txt", "a");
  EXPECT_FALSE(TSysUtils::DeleteDirectory(folder + u"\\*"));
  EXPECT_FALSE(TSysUtils::DeleteDirectory(folder + u"\\?.txt"));
  EXPECT_EQ(ReadWholeFile(folder + u"\\a.txt"), "a");
}

TEST(SysUtilsWin32Test, InvalidNamesAreFoundComponentByComponent) {
  TScratchDir scratch;
  struct TCase {
    String Path;
    bool Valid;
  };
  const TCase cases[] = {
      {u"plain.txt", true},           {scratch.Path(), true},
      {u"\\leading", true},           {scratch.File(u"new folder") + u"\\new file.txt", true},
      {u"C:\\dir\\na|me.txt", false}, {u"C:\\di<r\\name.txt", false},
      {u"C:\\dir\\name?.txt", false},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TSysUtils::IsValidFilePath(c.Path), c.Valid) << ToUtf8(c.Path);
  }
}

TEST(SysUtilsWin32Test, ParentDirPathOfADriveRootIsTheRoot) {
  EXPECT_EQ(TSysUtils::GetParentDirPath(u"C:\\"), u"C:\\");
  EXPECT_EQ(TSysUtils::GetParentDirPath(u"C:\\a\\b"), u"C:\\a\\");
}

// A window of this thread with the keyboard focus, and the keys it gets.
class TKeyWindow {
 public:
  TKeyWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LumoraKeyTest";
    ::RegisterClassW(&windowClass);
    FWindow = ::CreateWindowW(L"LumoraKeyTest", L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
    ::SetForegroundWindow(FWindow);
    ::SetFocus(FWindow);
  }
  ~TKeyWindow() { ::DestroyWindow(FWindow); }
  TKeyWindow(const TKeyWindow&) = delete;
  TKeyWindow& operator=(const TKeyWindow&) = delete;

  bool Focused() const { return ::GetFocus() == FWindow; }

  // The virtual keys of the key-down and key-up messages that arrive.
  std::vector<std::pair<UINT, WPARAM>> Keys(size_t expected) {
    std::vector<std::pair<UINT, WPARAM>> keys;
    WaitUntil([&] {
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_KEYDOWN || message.message == WM_KEYUP) {
          keys.emplace_back(message.message, message.wParam);
        }
        ::DispatchMessageW(&message);
      }
      return keys.size() >= expected;
    });
    return keys;
  }

 private:
  HWND FWindow;
};

TEST(SysUtilsWin32Test, PressKeySendsADownAndAnUp) {
  TKeyWindow window;
  if (!window.Focused()) GTEST_SKIP() << "the test window could not take the focus";
  TSysUtils::PressKey('A');
  EXPECT_EQ(window.Keys(2), (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, 'A'}, {WM_KEYUP, 'A'}}));
}

TEST(SysUtilsWin32Test, SoundsStartAndStop) {
  // A tenth of a second of silence, 8 kHz mono 8-bit.
  std::string wave = "RIFF";
  const uint32_t samples = 800;
  const auto put32 = [&](uint32_t v) { wave.append(reinterpret_cast<const char*>(&v), 4); };
  const auto put16 = [&](uint16_t v) { wave.append(reinterpret_cast<const char*>(&v), 2); };
  put32(36 + samples);
  wave += "WAVEfmt ";
  put32(16);
  put16(1);
  put16(1);
  put32(8000);
  put32(8000);
  put16(1);
  put16(8);
  wave += "data";
  put32(samples);
  wave += std::string(samples, '\x80');
  TMemoryStream stream;
  stream.WriteBuffer(wave.data(), static_cast<int64_t>(wave.size()));

  // Whether the sound plays depends on Wine's audio driver; starting and
  // stopping must not fail or crash either way.
  TSysUtils::PlaySoundFromStream(stream, true);
  EXPECT_TRUE(TSysUtils::StopCurrentSound());
  EXPECT_TRUE(TSysUtils::StopCurrentSound());
}

TEST(SysUtilsWin32Test, RestartStartsANewCopyAndPostsQuit) {
  TScratchDir scratch;
  const String report = scratch.File(u"restarted.xml");
  // The new copy is this test program: told to run no test at all and to
  // write its (empty) report, which shows that it started.
  ::SetEnvironmentVariableW(L"GTEST_FILTER", L"NoTest.None");
  ::SetEnvironmentVariableW(L"GTEST_OUTPUT", Wide(u"xml:" + report).c_str());
  TSysUtils::RestartApplication();
  ::SetEnvironmentVariableW(L"GTEST_FILTER", nullptr);
  ::SetEnvironmentVariableW(L"GTEST_OUTPUT", nullptr);

  MSG message;
  EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(fs::path(report)); }));
}

// What reached the shell's file operation while the recorder below stands in
// for it; the recorder deletes nothing.
std::vector<String>* ShellDeletions = nullptr;

int WINAPI RecordShellDeletion(LPSHFILEOPSTRUCTW operation) {
  if (ShellDeletions) ShellDeletions->push_back(FromWide(operation->pFrom));
  return ERROR_ACCESS_DENIED;
}

// A drive's root is never handed to the shell to delete, however it is
// written; a folder below it is.
TEST(SysUtilsWin32Test, DeleteDirectoryRefusesADriveRoot) {
  std::vector<String> deletions;
  const test::TImportHook hook("SHELL32.dll", "SHFileOperationW", reinterpret_cast<void*>(&RecordShellDeletion));
  ASSERT_TRUE(hook.Original());
  ShellDeletions = &deletions;
  for (const String root : {u"C:\\", u"c:/", u"C:\\.", u"C:\\Windows\\..", u"C:\\\\", u"\\", u"/", u"Z:\\"}) {
    EXPECT_FALSE(TSysUtils::DeleteDirectory(root)) << ToUtf8(root);
  }
  EXPECT_TRUE(deletions.empty()) << ToUtf8(deletions.front());
  EXPECT_FALSE(TSysUtils::DeleteDirectory(u"C:\\Nowhere\\Folder"));
  ShellDeletions = nullptr;
  EXPECT_EQ(deletions, std::vector<String>{u"C:\\Nowhere\\Folder"});
}

// The user's temporary folder is shared by every program: a start clears
// only the folders of its own kind whose programs are gone, never another
// program's files, whatever their extension or name.
TEST(SysUtilsWin32Test, AStartLeavesOtherProgramsTemporaryFilesAlone) {
  wchar_t buffer[MAX_PATH + 1] = {};
  ASSERT_NE(::GetTempPathW(MAX_PATH, buffer), 0u);
  const String shared = IncludeTrailingPathDelimiter(FromWide(buffer));
  ASSERT_EQ(TSysUtils::GetTemporalDir(), shared);
  const std::vector<String> others{shared + u"backup.archive", shared + u"Backupcopy.archive",
                                   shared + u"lumora-notes.txt"};
  for (const String& other : others) WriteWholeFile(other, "another program's file");
  // Left by a killed program of ours: its folder and its free lock.
  ASSERT_TRUE(fs::create_directory(fs::path(Wide(shared + u"lumora-KilledProg"))));
  WriteWholeFile(shared + u"lumora-KilledProg.lock", "");
  WriteWholeFile(shared + u"lumora-KilledProg\\Killedcopy.archive", "left by a killed program");

  EXPECT_EQ(RemoveStaleTemporaryFiles(), 1);
  for (const String& other : others) {
    EXPECT_EQ(ReadWholeFile(other), "another program's file") << ToUtf8(other);
    ::DeleteFileW(Wide(other).c_str());
  }
  EXPECT_FALSE(fs::exists(fs::path(Wide(shared + u"lumora-KilledProg"))));
}

}  // namespace
}  // namespace lumora
