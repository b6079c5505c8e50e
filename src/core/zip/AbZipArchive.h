// An open ZIP archive: the file, kept open for every lookup and extraction,
// its end-of-directory data and its entry list.
#pragma once

#include <memory>
#include <string>

#include "base/Stream.h"
#include "core/zip/AbArchiveList.h"
#include "core/zip/PkwareDecryptor.h"
#include "core/zip/ZipNameDecoder.h"
#include "core/zip/ZipRecords.h"

namespace lumora {

enum class TAbArchiveStatus { asIdle, asInvalid };

class TAbZipArchive {
 public:
  // Takes the archive's stream; nothing is read before Load.
  explicit TAbZipArchive(std::unique_ptr<TStream> stream, TZipCodePages codePages = TZipCodePages::System());

  // Reads the end record and the central directory. An empty stream is an
  // archive without entries. Any failure leaves the archive invalid and
  // empty, and raises: EAbZipInvalid for a missing or damaged record,
  // EStreamError for a read past the end.
  void Load();

  TAbArchiveStatus Status() const { return FStatus; }
  const TAbZipDirectoryFileFooter& Footer() const { return FFooter; }
  const TAbArchiveList& ItemList() const { return FItemList; }

  void SetPassword(const std::string& password) { FPassword = password; }
  const std::string& Password() const { return FPassword; }
  void SetPasswordRetries(uint8_t retries) { FPasswordRetries = retries; }
  void SetOnNeedPassword(TZipNeedPassword handler) { FOnNeedPassword = std::move(handler); }

  // The index of the entry named name (ASCII letter case ignored; the last
  // of equal names), or -1.
  int32_t FindFile(StringView name) const { return FItemList.Find(name); }

  // Extracts entry index into to; raises the errors of TZipExtractor.
  void ExtractItemToStream(int32_t index, TStream& to);

 private:
  std::unique_ptr<TStream> FStream;
  TZipCodePages FCodePages;
  TAbArchiveStatus FStatus = TAbArchiveStatus::asIdle;
  TAbZipDirectoryFileFooter FFooter;
  TAbArchiveList FItemList;
  std::string FPassword;
  uint8_t FPasswordRetries = 3;
  TZipNeedPassword FOnNeedPassword;
};

}  // namespace lumora
