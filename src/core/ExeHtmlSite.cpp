#include "core/ExeHtmlSite.h"

#include <algorithm>
#include <cstdlib>
#include <vector>
#include <cstring>

#include "core/ConfigKeys.h"
#include "base/Exception.h"
#include "core/ExeUtils.h"
#include "os/ImageHeaders.h"
#include "base/Stream.h"
#include "os/File.h"
#include "core/TemporalFiles.h"
#include "core/TemporaryFile.h"

namespace lumora {

std::unique_ptr<TExeHtmlSite> ExeHtmlSite;

TExeHtmlSite::TExeHtmlSite() : FZipFile(std::make_unique<TAbZipKit>()) {
  // What programs killed or crashed left behind: no running program holds
  // it. Removing it is a courtesy; nothing fails for it.
  try {
    RemoveStaleTemporaryFiles();
  } catch (const std::exception&) {
  }
  // In the program's own folder, which other start-ups leave alone while
  // this program runs; held for as long as this object lives.
  TTemporaryFile copy = CreateTemporaryFile(TemporalFiles->Folder(), kArchiveCopyExtension, true);
  FArchiveCopyPath = copy.Path;
  FArchiveCopyHold = std::move(copy.File);
  // Registered first, so that even a partly written copy is deleted at exit.
  TemporalFiles->Add(FArchiveCopyPath);
  FZipFile->SetPassword(kArchivePassword);
  FZipFile->SetArchiveType(TAbArchiveType::atZip);
  FZipFile->SetForceType(true);
  FZipFile->SetCompressionMethodToUse(TAbZipSupportedMethod::smDeflated);
  // A damaged entry (a failed CRC, broken Deflate data, data that cannot
  // reach its declared size) is an error of whoever asked for it, not bytes
  // to hand on as if whole: the reader's failure is raised again as it came.
  FZipFile->SetOnProcessItemFailure(
      [](TAbZipKit&, const TAbZipItem&, TAbProcessType, const std::exception&) { throw; });
  FIniFile = std::make_unique<TMemIniFile>();
  TExeUtils().ExtractZipFromExe(FArchiveCopyPath);
  FZipFile->SetFileName(FArchiveCopyPath);

  // A missing configuration is no error: the stream stays empty and every
  // key takes its default. A damaged one raises: the archive is broken.
  TMemoryStream config;
  FZipFile->ExtractToStream(ConfigEntryName, &config);
  config.SetPosition(0);
  FIniFile->LoadFromStream(config);
}

TExeHtmlSite::~TExeHtmlSite() {
  FIniFile.reset();
  FZipFile.reset();
}

}  // namespace lumora

namespace lumora {

String TExeHtmlSite::ReloadSource() const {
  const char* path = std::getenv(kReloadEnvironmentName);
  if (path == nullptr || *path == '\0' || FZipFile->FindFile(String(PreviewEntryName)) < 0) return {};
  return FromUtf8(path);
}

void TExeHtmlSite::Reload(const String& programPath) {
  const int64_t imageEnd = ImageEndOfFile(programPath);
  const int64_t archiveEnd = imageEnd < 0 ? -1 : AppendedDataEnd(programPath, imageEnd);
  if (imageEnd < 0 || archiveEnd <= imageEnd) {
    throw Exception(Format(u"\"%s\" carries no site archive", {programPath}));
  }
  FZipFile->SetFileName(u"");
  {
    TFileStream program(programPath, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
    TFileStream copy(FArchiveCopyPath, TFileAccess::ReadWrite, TFileShare::ReadWrite, TFileCreation::CreateAlways);
    program.SetPosition(imageEnd);
    std::vector<char> block(TExeUtils::kCopyBlockSize);
    for (int64_t left = archiveEnd - imageEnd; left > 0;) {
      const auto count = static_cast<int64_t>(std::min<int64_t>(left, static_cast<int64_t>(block.size())));
      program.ReadBuffer(block.data(), count);
      copy.WriteBuffer(block.data(), count);
      left -= count;
    }
  }
  FZipFile->SetFileName(FArchiveCopyPath);
}

bool TExeHtmlSite::InspectorRequested() const {
  const char* inspect = std::getenv(kInspectEnvironmentName);
  return inspect != nullptr && std::strcmp(inspect, "1") == 0 && FZipFile->FindFile(String(PreviewEntryName)) >= 0;
}

}  // namespace lumora
