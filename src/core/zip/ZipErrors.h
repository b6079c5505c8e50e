// The ZIP reader's errors. Opening raises EAbZipInvalid to the caller; every
// other error here is raised inside an extraction and handed to the failure
// notification instead of reaching the caller.
#pragma once

#include "base/Exception.h"

namespace lumora {

class EAbException : public Exception {
  using Exception::Exception;
};

// A missing or damaged end record, Zip64 record, central directory header or
// local header.
class EAbZipInvalid : public EAbException {
 public:
  EAbZipInvalid() : EAbException(std::string("Invalid file - not a PKZip file")) {}
};

// Extraction from a component with no archive open, or whose archive failed
// to open.
class EAbNoArchive : public EAbException {
 public:
  EAbNoArchive() : EAbException(std::string("Archive does not exist - Filename is blank")) {}
};

class EAbBadStream : public EAbException {
 public:
  EAbBadStream() : EAbException(std::string("Invalid Stream")) {}
};

class EAbZipVersion : public EAbException {
 public:
  EAbZipVersion() : EAbException(std::string("Cannot extract file - newer version required")) {}
};

class EAbZipInvalidPassword : public EAbException {
 public:
  EAbZipInvalidPassword() : EAbException(std::string("Cannot extract file - invalid password")) {}
};

class EAbUnhandledType : public EAbException {
 public:
  EAbUnhandledType() : EAbException(std::string("Cannot extract file - unsupported compression method")) {}
};

class EAbZipBadCRC : public EAbException {
 public:
  EAbZipBadCRC() : EAbException(std::string("Failed CRC Check")) {}
};

// The entry's data is damaged: the Deflate stream is malformed, ends before
// its final block, or decodes to more bytes than the entry declares.
class EAbZipBadData : public EAbException {
  using EAbException::EAbException;
};

inline constexpr const char* kAbDataEndsEarly = "Cannot extract file - data ends early";
inline constexpr const char* kAbDataTooLarge = "Cannot extract file - data larger than its stated size";
inline constexpr const char* kAbDeflateDamaged = "Cannot extract file - damaged compressed data";

}  // namespace lumora
