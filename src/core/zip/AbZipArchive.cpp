#include "core/zip/AbZipArchive.h"

#include "core/zip/ZipCentralDirectory.h"
#include "core/zip/ZipEndRecord.h"
#include "core/zip/ZipErrors.h"
#include "core/zip/ZipExtractor.h"

namespace lumora {

TAbZipArchive::TAbZipArchive(std::unique_ptr<TStream> stream, TZipCodePages codePages)
    : FStream(std::move(stream)), FCodePages(codePages) {}

void TAbZipArchive::Load() {
  FStatus = TAbArchiveStatus::asIdle;
  FItemList.Clear();
  FFooter = {};
  if (FStream->Size() == 0) return;
  try {
    const auto position = TZipEndRecord::Locate(*FStream);
    if (!position) throw EAbZipInvalid();
    FFooter = TZipEndRecord::Read(*FStream, *position);
    TZipCentralDirectory::Read(*FStream, FFooter, FCodePages, FItemList);
  } catch (...) {
    // A half-read directory is never used.
    FStatus = TAbArchiveStatus::asInvalid;
    FItemList.Clear();
    throw;
  }
}

void TAbZipArchive::ExtractItemToStream(int32_t index, TStream& to) {
  TZipExtractor::Extract(*FStream, FItemList[static_cast<size_t>(index)], to,
                         {FPassword, FPasswordRetries, FOnNeedPassword});
}

}  // namespace lumora
