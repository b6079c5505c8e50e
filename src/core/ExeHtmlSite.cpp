#include "core/ExeHtmlSite.h"

#include "core/ExeUtils.h"
#include "core/StrUtils.h"
#include "core/TemporalFiles.h"
#include "platform/SysUtils.h"

namespace lumora {

std::unique_ptr<TExeHtmlSite> ExeHtmlSite;

TExeHtmlSite::TExeHtmlSite() {
  FArchiveCopyPath = TSysUtils::GetTemporalDir() + TStrUtils::RandomString(10);
  // Registered first, so that even a partly written copy is deleted at exit.
  TemporalFiles->Add(FArchiveCopyPath);
  TExeUtils().ExtractZipFromExe(FArchiveCopyPath);
}

TExeHtmlSite::~TExeHtmlSite() = default;

}  // namespace lumora
