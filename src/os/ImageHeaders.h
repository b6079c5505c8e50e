// Reading the end of an executable image from its headers, for PE (the
// largest end of a section's raw data) and ELF (the largest end of the
// program headers' file contents, the section contents and the header
// tables themselves). Everything past that end is the appended archive.
#pragma once

#include <cstdint>
#include <functional>

#include "base/String.h"

namespace lumora {

// Reads count bytes at offset into out; false when they are not there.
using THeaderReader = std::function<bool(uint64_t offset, void* out, size_t count)>;

// The image end of a PE image whose headers the reader gives (from a file or
// from a loaded module: the section table is the same). -1 when the bytes
// are not a PE image.
int64_t PeImageEnd(const THeaderReader& read);

// The image end of an ELF file (32- or 64-bit, little-endian). -1 when the
// bytes are not an ELF file.
int64_t ElfImageEnd(const THeaderReader& read);

// Where the certificate table of a signed PE image starts (a file offset:
// Authenticode signing appends it to the file and names it in the data
// directory's security entry). -1 when the image is unsigned or not PE.
int64_t PeCertificateTableStart(const THeaderReader& read);

// The machine types of PE images the runtimes are built for.
constexpr int32_t kPeMachineI386 = 0x14C;
constexpr int32_t kPeMachineX64 = 0x8664;

// The machine type in a PE image's file header; -1 when the bytes are not a
// PE image.
int32_t PeMachine(const THeaderReader& read);

// The image end of the executable file at path, PE or ELF; -1 when it is
// neither or cannot be read.
int64_t ImageEndOfFile(const String& path);

// The machine type of the PE file at path; -1 when it is not PE or cannot
// be read.
int32_t PeMachineOfFile(const String& path);

// Where the data appended after the image of the file at path ends: at the
// certificate table of a signed PE file when the table follows the image
// end (signing comes after packing), else at the file's end. -1 when the
// file cannot be read.
int64_t AppendedDataEnd(const String& path, int64_t imageEnd);

}  // namespace lumora
