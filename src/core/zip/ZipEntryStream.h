// One archive entry read as it is asked for, never held whole: the bytes
// come out of the archive file as a reader takes them, through the same
// layers as an extraction (data window, decryption, decompression), with a
// few buffers of memory whatever the entry's size.
//
// Moving the position only notes it; the next read gets there. An entry
// stored without encryption is read from the file exactly where the bytes
// lie. Encrypted or compressed data can only be decoded from the start, so
// a read ahead of what was decoded decodes the bytes in between and throws
// them away, and a read behind it starts again from the entry's first byte
// (an encrypted stored entry: from the nearest point decoded before, when
// the stream shares seek points).
//
// The stream opens the archive file itself, so it may be read on any one
// thread at a time, apart from the reader that found the entry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "base/Stream.h"
#include "core/zip/AbZipItem.h"
#include "core/zip/PkwareDecryptor.h"
#include "core/zip/ZipDataWindow.h"
#include "core/zip/ZipInflater.h"

namespace lumora {

// Where the decryption of an encrypted stored entry can start again without
// the bytes before: the keys as they stood at positions already decoded,
// about one per kSpacing bytes. Shared by every stream over one entry (a
// video asks for range after range), from any thread.
class TZipSeekPoints {
 public:
  static constexpr uint64_t kSpacing = uint64_t{1} << 20;

  void Add(uint64_t position, const TPkwareKeys& keys);
  // The last point at or before position, if any.
  std::optional<std::pair<uint64_t, TPkwareKeys>> Before(uint64_t position) const;

 private:
  mutable std::mutex FLock;
  std::map<uint64_t, TPkwareKeys> FPoints;
};

class TZipEntryStream final : public TStream {
 public:
  // A new stream over the archive the entry belongs to, at any position.
  using TOpenArchive = std::function<std::unique_ptr<TStream>()>;

  // Nothing is opened before the first read. password decrypts an
  // encrypted entry (no second try). seekPoints, shared with the other
  // streams over the entry, lets an encrypted stored entry start decrypting
  // near a position decoded before; may be nullptr.
  TZipEntryStream(TOpenArchive openArchive, TAbZipItem item, std::string password,
                  std::shared_ptr<TZipSeekPoints> seekPoints = nullptr);
  ~TZipEntryStream() override;

  // Up to count bytes from the position. Raises what an extraction raises:
  // EAbZipInvalid, EAbZipVersion, EAbUnhandledType, EAbZipInvalidPassword,
  // EAbZipBadData, and EAbZipBadCRC once every byte was decoded in order
  // and they do not match; EStreamError when Cancelled said so.
  int64_t Read(void* buffer, int64_t count) override;
  // Raises EStreamError: the stream is read-only.
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // The entry's declared size.
  int64_t Size() override { return static_cast<int64_t>(FItem.UncompressedSize); }
  void SetSize(int64_t size) override;

  // Asked between blocks while bytes before the position are decoded and
  // thrown away; true stops the read with EStreamError.
  void SetCancelled(std::function<bool()> cancelled) { FCancelled = std::move(cancelled); }

 private:
  bool DirectlyReadable() const;
  // Whether the next read starts again (Restart) rather than going on.
  bool MustRestart() const;
  // Opens the archive and the layers so that the next decoded byte is the
  // entry's byte at (a direct read: any) position start.
  void Restart(uint64_t start);
  // Decodes up to count bytes at the decoded position; fewer only at the
  // end of the data.
  size_t Decode(uint8_t* buffer, size_t count);
  size_t Inflate(uint8_t* buffer, size_t count);

  TOpenArchive FOpenArchive;
  TAbZipItem FItem;
  std::string FPassword;
  std::function<bool()> FCancelled;
  std::shared_ptr<TZipSeekPoints> FSeekPoints;
  uint64_t FPosition = 0;

  // The decoding state: absent before the first read and after an error.
  std::unique_ptr<TStream> FArchive;
  std::optional<TZipDataWindow> FWindow;
  std::optional<TPkwareDecryptor> FDecryptor;
  std::unique_ptr<TInflateStream> FInflate;
  std::unique_ptr<uint8_t[]> FInput;
  bool FInputEnded = false;
  bool FStreamEnded = false;
  // Where the next decoded byte lies in the entry, and the last seek point
  // passed.
  uint64_t FDecoded = 0;
  uint64_t FLastPoint = 0;
  // The CRC-32 of every byte decoded so far, when decoding began at the
  // entry's first byte.
  bool FChecking = false;
  uint32_t FCrc = 0;
};

}  // namespace lumora
