// The system utilities that need nothing of the platform beyond the file
// and locale layers: special-folder suffixes, file sizes, byte-order marks
// and byte sizes as text.
#include <vector>

#include "base/Stream.h"
#include "os/File.h"
#include "os/Locale.h"
#include "os/SysUtils.h"

namespace lumora {

namespace {
// CSIDL numbers of the special folders, as the Windows shell numbers them.
constexpr int kCsidlDesktop = 0;
constexpr int kCsidlPersonal = 5;
constexpr int kCsidlAppData = 26;
constexpr int kCsidlProgramFiles = 38;
}  // namespace

// A failed lookup gives the empty text, so the result is then a lone
// separator: callers can tell it from any real folder.
String TSysUtils::GetProgramFilesDirPath() {
  return IncludeTrailingPathDelimiter(GetSpecialFolderPath(kCsidlProgramFiles));
}

String TSysUtils::GetUserDesktopDirPath() { return IncludeTrailingPathDelimiter(GetSpecialFolderPath(kCsidlDesktop)); }

String TSysUtils::GetUserDocumentsDirPath() {
  return IncludeTrailingPathDelimiter(GetSpecialFolderPath(kCsidlPersonal));
}

String TSysUtils::GetUserAppDataDirPath() { return IncludeTrailingPathDelimiter(GetSpecialFolderPath(kCsidlAppData)); }

int64_t TSysUtils::GetSizeOfFile(const String& filePath) { return FindFileSize(filePath); }

void TSysUtils::RemoveUTFBoomFromFile(const String& filePath) {
  TFileStream file(filePath, TFileAccess::ReadWrite, TFileShare::None, TFileCreation::OpenExisting);
  uint8_t head[3];
  file.ReadBuffer(head, sizeof head);
  if (head[0] != 0xEF || head[1] != 0xBB || head[2] != 0xBF) return;
  const int64_t rest = file.Size() - 3;
  std::vector<uint8_t> content(static_cast<size_t>(rest));
  file.ReadBuffer(content.data(), rest);
  file.SetPosition(0);
  file.WriteBuffer(content.data(), rest);
  file.SetSize(rest);
}

}  // namespace lumora
