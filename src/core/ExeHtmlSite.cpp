#include "core/ExeHtmlSite.h"

#include <cstdlib>
#include <cstring>

#include "core/ConfigKeys.h"
#include "core/ExeUtils.h"
#include "core/TemporalFiles.h"
#include "core/TemporaryFile.h"

namespace lumora {

std::unique_ptr<TExeHtmlSite> ExeHtmlSite;

TExeHtmlSite::TExeHtmlSite() : FZipFile(std::make_unique<TAbZipKit>()) {
  // Copies that programs killed or crashed left behind: no running program
  // holds them. Removing them is a courtesy; nothing fails for it.
  try {
    RemoveStaleArchiveCopies();
  } catch (const std::exception&) {
  }
  // Held for as long as this object lives, so that other start-ups tell it
  // from a stale copy.
  TTemporaryFile copy = CreateTemporaryFile(kArchiveCopyExtension, true);
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

bool TExeHtmlSite::InspectorRequested() const {
  const char* inspect = std::getenv(kInspectEnvironmentName);
  return inspect != nullptr && std::strcmp(inspect, "1") == 0 && FZipFile->FindFile(String(PreviewEntryName)) >= 0;
}

}  // namespace lumora
