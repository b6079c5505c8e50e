// System utilities on Windows: special folders, names, folders and paths,
// each one platform call or a few. The shell's programs, sound and the
// keyboard are in SysUtilsDesktopWin32.cpp.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Stream.h"
#include "os/File.h"
#include "os/SysUtils.h"
#include "os/win32/WideString.h"

namespace lumora {

namespace {

// Buffer sizes in characters, as the platform calls are made.
constexpr DWORD kComputerNameChars = 256;
constexpr DWORD kTempPathChars = 260;
constexpr DWORD kUserNameChars = 260;
constexpr int kFolderPathChars = MAX_PATH + 1;

class TFindHandle {
 public:
  explicit TFindHandle(HANDLE handle) : FHandle(handle) {}
  ~TFindHandle() {
    if (FHandle != INVALID_HANDLE_VALUE) ::FindClose(FHandle);
  }
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle;
};

// The text of a filled buffer up to its first null.
String BufferText(const wchar_t* buffer) { return FromWide(buffer); }

// The entries of folder whose directory attribute is directories; "." and
// ".." left out. Errors other than an empty folder reach the caller.
void AppendEntries(const String& folder, bool directories, std::vector<String>& list) {
  const String prefix = IncludeTrailingPathDelimiter(folder);
  WIN32_FIND_DATAW data;
  const TFindHandle search(::FindFirstFileW(Wide(prefix + u"*.*").c_str(), &data));
  if (search.Get() == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return;
    throw Exception(Format(u"Cannot list the folder \"%s\". %s", {folder, SysErrorMessage(error)}));
  }
  do {
    const String name = FromWide(data.cFileName);
    if (name == u"." || name == u"..") continue;
    if (((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == directories) {
      list.push_back(prefix + name);
    }
  } while (::FindNextFileW(search.Get(), &data));
  const DWORD error = ::GetLastError();
  if (error != ERROR_NO_MORE_FILES) {
    throw Exception(Format(u"Cannot list the folder \"%s\". %s", {folder, SysErrorMessage(error)}));
  }
}

}  // namespace

namespace {

// Whether path, however written ("c:/", "C:\.", "\", "C:\Windows\.."),
// names the root of a drive or of a network share: the shell would empty a
// whole drive for it.
bool IsRootFolder(const String& path) {
  const std::wstring wide = Wide(path);
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return true;  // no path anything could be deleted at
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return true;
  full.resize(length);
  while (!full.empty() && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  // "\\?\C:\" and "\\?\UNC\server\share\" name the same roots.
  if (full.starts_with(L"\\\\?\\UNC\\")) {
    full = L"\\\\" + full.substr(8);
  } else if (full.starts_with(L"\\\\?\\")) {
    full = full.substr(4);
  }
  if (full.size() <= 2) return true;  // "C:", or nothing left
  if (full.starts_with(L"\\\\")) {
    // \\server\share: a root while no folder follows the share's name.
    const size_t share = full.find(L'\\', 2);
    return share == std::wstring::npos || full.find(L'\\', share + 1) == std::wstring::npos;
  }
  return false;
}

}  // namespace

bool TSysUtils::DeleteDirectory(const String& DirPath) {
  // SHFileOperationW reads wildcards in its source list, so "C:\*" would
  // empty a whole drive; no file name holds "*" or "?", so such a path
  // names nothing to delete. An empty list is refused as well rather than
  // left to the shell's reading of it.
  if (DirPath.empty() || DirPath.find_first_of(u"*?") != String::npos) return false;
  // A drive's root is never a folder to empty, as "/" is not on Linux.
  if (IsRootFolder(DirPath)) return false;
  std::wstring source = Wide(DirPath);
  source.push_back(L'\0');  // the list of one item ends in a second null
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = source.c_str();
  operation.pTo = nullptr;
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  return ::SHFileOperationW(&operation) == 0;
}

void TSysUtils::RecordErrorCause(const String& line) {
  ::OutputDebugStringW(Wide(line + u"\n").c_str());
  try {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    const std::string text = stamp + ToUtf8(line) + "\r\n";
    // Appended in one write, shared: several programs may report at once.
    const HANDLE log =
        ::CreateFileW(Wide(GetTemporalDir() + u"lumora-errors.log").c_str(), FILE_APPEND_DATA,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(log);
  } catch (...) {
    // No temporary folder: the debugger output has it.
  }
}

void TSysUtils::RefreshSystemIcons() { ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

String TSysUtils::GetTemporalDir() {
  wchar_t path[kTempPathChars + 1] = {};
  if (::GetTempPathW(kTempPathChars, path) == 0) {
    // Temporary files would otherwise land in the root of the current
    // drive.
    throw Exception(Format(u"Cannot find the temporary folder. %s", {SysErrorMessage(::GetLastError())}));
  }
  return IncludeTrailingPathDelimiter(BufferText(path));
}

String TSysUtils::GetComputerNetName() {
  wchar_t name[kComputerNameChars] = {};
  DWORD size = kComputerNameChars;
  if (!::GetComputerNameW(name, &size)) return {};
  return BufferText(name);
}

String TSysUtils::GetUserFromWindows() {
  wchar_t name[kUserNameChars] = {};
  DWORD count = kUserNameChars;
  // On success the count includes the terminating null.
  if (!::GetUserNameW(name, &count) || count == 0) return u"Unknown";
  return FromWide(name, count - 1);
}

void TSysUtils::GetDirectoryFiles(const String& rootDir, bool includeDirs, std::vector<String>& fileList) {
  fileList.clear();
  if (!DirectoryExists(rootDir)) return;
  if (includeDirs) AppendEntries(rootDir, true, fileList);
  AppendEntries(rootDir, false, fileList);
}

String TSysUtils::GetParentDirPath(const String& path) {
  const std::wstring request = Wide(path + u"\\..");
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = ::GetFullPathNameW(request.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.assign(n, L'\0');
    n = ::GetFullPathNameW(request.c_str(), n, full.data(), nullptr);
  }
  if (n == 0 || n >= full.size()) return IncludeTrailingPathDelimiter(String());
  return IncludeTrailingPathDelimiter(FromWide(full.data(), n));
}

String TSysUtils::GetSpecialFolderPath(int csidl) {
  wchar_t path[kFolderPathChars] = {};
  const HRESULT result = ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  if (FAILED(result)) return {};
  return BufferText(path);
}

bool TSysUtils::IsValidFilePath(const String& FileName) {
  // Each shortening of the path is probed whole, then its last component
  // alone (relative to the current folder). The last-error code is cleared
  // before each call so that only that call's own error is read.
  String rest = FileName;
  for (;;) {
    const size_t slash = rest.find_last_of(u"\\/");
    ::SetLastError(0);
    ::MoveFileW(nullptr, Wide(rest).c_str());
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;
    const String last = slash == String::npos ? rest : rest.substr(slash + 1);
    ::SetLastError(0);
    if (::GetFileAttributesW(Wide(last).c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_INVALID_NAME) {
      return false;
    }
    if (slash == String::npos) return true;
    rest.resize(slash);  // a leading separator leaves the empty text, probed too
  }
}

}  // namespace lumora
