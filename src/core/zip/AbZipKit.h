// The ZIP reader component the site object owns: it opens an archive file,
// finds entries by name and extracts them, decrypted, into streams.
//
// Names match ignoring the case of ASCII letters only, with the separator
// stored in the archive ("/"); when several entries match, the one that
// comes last in the central directory wins. An extraction that fails is
// reported to OnProcessItemFailure and otherwise swallowed: the stream keeps
// what was written before the failure. Not safe for concurrent use: lookups
// and extractions move the archive file's position.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/Stream.h"
#include "base/String.h"
#include "core/zip/AbZipArchive.h"

namespace lumora {

enum class TAbArchiveType { atUnknown, atZip };
enum class TAbZipSupportedMethod { smStored, smDeflated, smBestMethod };
enum class TAbProcessType { ptExtract };

class TAbZipKit;
class TZipSeekPoints;

// May set password to a new one to try.
using TAbNeedPasswordEvent = std::function<void(TAbZipKit& sender, std::string& password)>;
using TAbArchiveItemFailureEvent = std::function<void(TAbZipKit& sender, const TAbZipItem& item,
                                                      TAbProcessType processType, const std::exception& error)>;

class TAbZipKit {
 public:
  TAbZipKit() = default;
  TAbZipKit(const TAbZipKit&) = delete;
  TAbZipKit& operator=(const TAbZipKit&) = delete;

  const String& FileName() const { return FFileName; }
  // Closes any open archive, then opens the file at path for reading (with
  // read and write sharing). A path where no file exists gets a new empty
  // archive file; an empty path leaves no archive open. Raises
  // EAbZipInvalid ("Invalid file - not a PKZip file") for a file that is not
  // a ZIP archive, leaving the archive invalid.
  void SetFileName(const String& path);
  // Opens an archive held in a stream, as SetFileName does with a file.
  void OpenStream(std::unique_ptr<TStream> stream);

  const std::string& Password() const { return FPassword; }
  void SetPassword(const std::string& password);
  uint8_t PasswordRetries() const { return FPasswordRetries; }
  void SetPasswordRetries(uint8_t retries);

  // Only ZIP is read, so the type is kept but never detected or changed.
  TAbArchiveType ArchiveType() const { return FArchiveType; }
  void SetArchiveType(TAbArchiveType type) { FArchiveType = type; }
  bool ForceType() const { return FForceType; }
  void SetForceType(bool force) { FForceType = force; }
  // Affects only writing, which this reader does not do.
  TAbZipSupportedMethod CompressionMethodToUse() const { return FCompressionMethodToUse; }
  void SetCompressionMethodToUse(TAbZipSupportedMethod method) { FCompressionMethodToUse = method; }

  void SetOnNeedPassword(TAbNeedPasswordEvent handler);
  void SetOnProcessItemFailure(TAbArchiveItemFailureEvent handler) { FOnProcessItemFailure = std::move(handler); }

  // The index of the entry named aFileName in central-directory order, or
  // -1 (also with no archive open).
  int32_t FindFile(StringView aFileName) const;
  // Writes the decoded bytes of the entry named aFileName into ToStream at
  // its position; nothing when no entry matches. Raises only
  // EAbNoArchive ("Archive does not exist - Filename is blank") when no
  // archive is open or it is invalid.
  void ExtractToStream(StringView aFileName, TStream* ToStream);

  // A stream that decodes entry index only as it is read
  // (ZipEntryStream.h), over the archive file opened anew: usable on
  // another thread while this reader goes on. nullptr for an archive held
  // in a stream or an index out of range. The streams over one entry share
  // its seek points until another archive is opened.
  std::unique_ptr<TStream> OpenEntryStream(int32_t index) const;

  // The open archive, or nullptr.
  const TAbZipArchive* Archive() const { return FArchive.get(); }

 private:
  void Open(std::unique_ptr<TStream> stream);
  std::shared_ptr<TZipSeekPoints> SeekPointsOf(int32_t index) const;

  String FFileName;
  std::string FPassword;
  uint8_t FPasswordRetries = 3;
  TAbArchiveType FArchiveType = TAbArchiveType::atUnknown;
  bool FForceType = false;
  TAbZipSupportedMethod FCompressionMethodToUse = TAbZipSupportedMethod::smBestMethod;
  TAbNeedPasswordEvent FOnNeedPassword;
  TAbArchiveItemFailureEvent FOnProcessItemFailure;
  std::unique_ptr<TAbZipArchive> FArchive;
  mutable std::map<int32_t, std::shared_ptr<TZipSeekPoints>> FSeekPoints;
};

}  // namespace lumora
