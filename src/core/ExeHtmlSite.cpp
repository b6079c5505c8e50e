#include "core/ExeHtmlSite.h"

#include "core/ConfigKeys.h"
#include "core/ExeUtils.h"
#include "core/StrUtils.h"
#include "core/TemporalFiles.h"
#include "core/os/SysUtils.h"

namespace lumora {

std::unique_ptr<TExeHtmlSite> ExeHtmlSite;

TExeHtmlSite::TExeHtmlSite() : FZipFile(std::make_unique<TAbZipKit>()) {
  FArchiveCopyPath = TSysUtils::GetTemporalDir() + TStrUtils::RandomString(10);
  // Registered first, so that even a partly written copy is deleted at exit.
  TemporalFiles->Add(FArchiveCopyPath);
  FZipFile->SetPassword(kArchivePassword);
  FZipFile->SetArchiveType(TAbArchiveType::atZip);
  FZipFile->SetForceType(true);
  FZipFile->SetCompressionMethodToUse(TAbZipSupportedMethod::smDeflated);
  FIniFile = std::make_unique<TMemIniFile>();
  TExeUtils().ExtractZipFromExe(FArchiveCopyPath);
  FZipFile->SetFileName(FArchiveCopyPath);

  // A missing or unreadable configuration is no error: the stream stays
  // empty (or partly written) and every key then takes its default.
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
