#include "core/zip/AbZipKit.h"

#include "core/zip/ZipEntryStream.h"
#include "core/zip/ZipErrors.h"
#include "os/File.h"

namespace lumora {

void TAbZipKit::SetFileName(const String& path) {
  FArchive.reset();
  FSeekPoints.clear();
  FFileName = path;
  if (path.empty()) return;
  if (!FileExists(path)) {
    TFileStream created(path, TFileAccess::ReadWrite, TFileShare::None, TFileCreation::CreateAlways);
  }
  Open(std::make_unique<TFileStream>(path, TFileAccess::Read, TFileShare::ReadWrite, TFileCreation::OpenExisting));
}

void TAbZipKit::OpenStream(std::unique_ptr<TStream> stream) {
  FArchive.reset();
  FSeekPoints.clear();
  FFileName.clear();
  Open(std::move(stream));
}

void TAbZipKit::Open(std::unique_ptr<TStream> stream) {
  FArchive = std::make_unique<TAbZipArchive>(std::move(stream));
  FArchive->SetPassword(FPassword);
  FArchive->SetPasswordRetries(FPasswordRetries);
  SetOnNeedPassword(FOnNeedPassword);
  FArchive->Load();
}

void TAbZipKit::SetPassword(const std::string& password) {
  FPassword = password;
  if (FArchive) FArchive->SetPassword(password);
}

void TAbZipKit::SetPasswordRetries(uint8_t retries) {
  FPasswordRetries = retries;
  if (FArchive) FArchive->SetPasswordRetries(retries);
}

void TAbZipKit::SetOnNeedPassword(TAbNeedPasswordEvent handler) {
  FOnNeedPassword = std::move(handler);
  if (!FArchive) return;
  if (!FOnNeedPassword) {
    FArchive->SetOnNeedPassword(nullptr);
    return;
  }
  FArchive->SetOnNeedPassword([this](std::string& password) { FOnNeedPassword(*this, password); });
}

int32_t TAbZipKit::FindFile(StringView aFileName) const { return FArchive ? FArchive->FindFile(aFileName) : -1; }

std::shared_ptr<TZipSeekPoints> TAbZipKit::SeekPointsOf(int32_t index) const {
  std::shared_ptr<TZipSeekPoints>& points = FSeekPoints[index];
  if (!points) points = std::make_shared<TZipSeekPoints>();
  return points;
}

std::unique_ptr<TStream> TAbZipKit::OpenEntryStream(int32_t index) const {
  if (!FArchive || FFileName.empty() || index < 0 || static_cast<size_t>(index) >= FArchive->ItemList().Count()) {
    return nullptr;
  }
  return std::make_unique<TZipEntryStream>(
      [path = FFileName] {
        return std::make_unique<TFileStream>(path, TFileAccess::Read, TFileShare::ReadWrite,
                                             TFileCreation::OpenExisting);
      },
      FArchive->ItemList()[static_cast<size_t>(index)], FArchive->Password(), SeekPointsOf(index));
}

void TAbZipKit::ExtractToStream(StringView aFileName, TStream* ToStream) {
  if (!FArchive || FArchive->Status() == TAbArchiveStatus::asInvalid) throw EAbNoArchive();
  const int32_t index = FArchive->FindFile(aFileName);
  if (index < 0) return;
  try {
    if (ToStream == nullptr) throw EAbBadStream();
    FArchive->ExtractItemToStream(index, *ToStream);
  } catch (const std::exception& error) {
    if (FOnProcessItemFailure) {
      FOnProcessItemFailure(*this, FArchive->ItemList()[static_cast<size_t>(index)], TAbProcessType::ptExtract, error);
    }
  }
}

}  // namespace lumora
