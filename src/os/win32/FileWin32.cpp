// Files and folders on Windows through the Win32 file API.
#include <windows.h>

#include "os/File.h"
#include "os/win32/WideString.h"

namespace lumora {

uint32_t LastOsError() { return ::GetLastError(); }

String SysErrorMessage(uint32_t code) {
  wchar_t* text = nullptr;
  const DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  String message = n ? FromWide(text, n) : String();
  if (text) ::LocalFree(text);
  while (!message.empty() &&
         (message.back() == u'\r' || message.back() == u'\n' || message.back() == u' ' || message.back() == u'.')) {
    message.pop_back();
  }
  return message;
}

bool IsFileExistsError(uint32_t code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }

namespace {
HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

TFileHandle::~TFileHandle() {
  if (IsOpen()) ::CloseHandle(AsHandle(FHandle));
}

TFileHandle::TFileHandle(TFileHandle&& other) noexcept : FHandle(other.FHandle), FOpenError(other.FOpenError) {
  other.FHandle = kInvalid;
}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) ::CloseHandle(AsHandle(FHandle));
    FHandle = other.FHandle;
    FOpenError = other.FOpenError;
    other.FHandle = kInvalid;
  }
  return *this;
}

TFileHandle TFileHandle::Open(const String& path, TFileAccess access, TFileShare share, TFileCreation creation) {
  DWORD desired = 0;
  switch (access) {
    case TFileAccess::Read:
      desired = GENERIC_READ;
      break;
    case TFileAccess::Write:
      desired = GENERIC_WRITE;
      break;
    case TFileAccess::ReadWrite:
      desired = GENERIC_READ | GENERIC_WRITE;
      break;
  }
  DWORD shareMode = 0;
  if (share == TFileShare::Read) shareMode = FILE_SHARE_READ;
  if (share == TFileShare::ReadWrite) shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const DWORD disposition = creation == TFileCreation::CreateAlways ? CREATE_ALWAYS
                            : creation == TFileCreation::CreateNew  ? CREATE_NEW
                                                                    : OPEN_EXISTING;
  TFileHandle handle;
  HANDLE h =
      ::CreateFileW(Wide(path).c_str(), desired, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    handle.FOpenError = ::GetLastError();
    return handle;
  }
  handle.FHandle = reinterpret_cast<intptr_t>(h);
  return handle;
}

int64_t TFileHandle::Read(void* buffer, int64_t count) {
  DWORD done = 0;
  if (!::ReadFile(AsHandle(FHandle), buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
  return done;
}

int64_t TFileHandle::Write(const void* buffer, int64_t count) {
  DWORD done = 0;
  if (!::WriteFile(AsHandle(FHandle), buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
  return done;
}

int64_t TFileHandle::Seek(int64_t offset, int origin) {
  static constexpr DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position;
  if (!::SetFilePointerEx(AsHandle(FHandle), distance, &position, kMethod[origin])) return -1;
  return position.QuadPart;
}

int64_t TFileHandle::Size() {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(AsHandle(FHandle), &size)) return -1;
  return size.QuadPart;
}

bool TFileHandle::Truncate(int64_t size) {
  const int64_t position = Seek(0, 1);
  if (position < 0 || Seek(size, 0) < 0) return false;
  const bool ok = ::SetEndOfFile(AsHandle(FHandle)) != 0;
  Seek(position < size ? position : size, 0);
  return ok;
}

bool FileExists(const String& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFilePath(const String& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

bool CreateFolder(const String& path) { return ::CreateDirectoryW(Wide(path).c_str(), nullptr) != 0; }

namespace {

// Empties and removes the folder path (wide, without a trailing separator).
// A junction or folder link is a reparse point: removed as the link it is,
// never entered.
void RemoveFolderTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring inner = path + L'\\' + name;
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileW(inner.c_str());
      } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        ::RemoveDirectoryW(inner.c_str());
      } else {
        RemoveFolderTree(inner);
      }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(path.c_str());
}

}  // namespace

bool RemoveTree(const String& path) {
  std::wstring name = Wide(path);
  while (name.size() > 1 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::DeleteFileW(name.c_str());
  } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    ::RemoveDirectoryW(name.c_str());
  } else {
    RemoveFolderTree(name);
  }
  return ::GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// A file some process holds open without delete sharing cannot be deleted.
bool DeleteFileUnlessHeld(const String& path) { return DeleteFilePath(path); }

// Windows has no unnamed files: callers write under a temporary name.
TFileHandle TFileHandle::OpenUnnamed(const String&) {
  TFileHandle handle;
  handle.FOpenError = ERROR_NOT_SUPPORTED;
  return handle;
}

bool TFileHandle::LinkAs(const String&) {
  ::SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

// The open handle, shared for reading and writing only, holds the file.
bool TFileHandle::LockExclusive() { return true; }

bool TFileHandle::IsNamedBy(const String& path) { return FileExists(path); }

bool TFileHandle::TakePermissionsFor(const String&) { return true; }

String FinalLinkTarget(const String& path) { return path; }

bool MarkRunnable(const String& path) { return FileExists(path); }

bool FolderRunsPrograms(const String&) { return true; }

int64_t FindFileSize(const String& path) {
  WIN32_FIND_DATAW data;
  // FindFirstFileExW with every attribute allowed, as a plain find-first does.
  HANDLE search = ::FindFirstFileW(Wide(path).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return -1;
  ::FindClose(search);
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

String ExecutablePath() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return FromWide(buffer.data(), n);
}

void SleepMilliseconds(uint32_t milliseconds) { ::Sleep(milliseconds); }

bool SameTextLocale(const String& a, const String& b) {
  return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Wide(a).c_str(), static_cast<int>(a.size()),
                          Wide(b).c_str(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace lumora
