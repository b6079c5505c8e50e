#include "pack/PackChecks.h"

#include <filesystem>

#include "base/ByteOrder.h"
#include "os/IconFile.h"
#include "os/ImageHeaders.h"
#include "base/Stream.h"
#include "core/pe/VersionInfo.h"
#include "os/File.h"
#include "pack/PackageReader.h"

#include "core/ConfigKeys.h"
#include "base/Exception.h"
#include "os/ImageHeaders.h"
#include "pack/Packer.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

// "01C4": a machine type as the PE documentation writes it.
String MachineHex(int32_t machine) {
  String text;
  for (int shift = 12; shift >= 0; shift -= 4) text += u"0123456789ABCDEF"[(machine >> shift) & 0xF];
  return text;
}

}  // namespace

String TPackChecks::ResolveRuntime(const String& runtime, std::optional<TTarget> target) {
  if (runtime.empty()) return TRuntimeLocator::Find(target.value_or(TRuntimeLocator::HostTarget()));
  std::error_code error;
  const fs::path resolved = fs::canonical(fs::path(runtime), error);
  if (!error) return resolved.u16string();
  throw Exception(
      Format(u"Cannot open the runtime \"%s\" given with --runtime. %s", {runtime, FromUtf8(error.message())}));
}

TTarget TPackChecks::CheckTarget(const String& runtime, std::optional<TTarget> target) {
  const std::optional<TTarget> kind = TRuntimeLocator::TargetOf(runtime);
  if (!kind) {
    throw Exception(
        Format(u"\"%s\" is a Windows program for machine type 0x%s, which no target "
               u"runs: the Windows runtimes are for i386 (32-bit) and x86-64 (64-bit)",
               {runtime, MachineHex(PeMachineOfFile(runtime))}));
  }
  if (target && *target != *kind) {
    throw Exception(Format(u"--target %s, but the runtime \"%s\" is a %s program",
                           {TRuntimeLocator::TargetName(*target), runtime, TRuntimeLocator::DisplayName(*kind)}));
  }
  return *kind;
}

namespace {

bool EndsWithExe(const String& path) {
  const String name = fs::path(path).filename().u16string();
  return name.size() > 4 && UpperCaseAscii(name.substr(name.size() - 4)) == u".EXE";
}

// The icon file's size limit, and the largest side an icon entry can name.
constexpr uint32_t kMaxIconSide = 256;

String IcoHowTo(const String& path) {
  const String stem = fs::path(path).replace_extension().u16string();
  return Format(
      u"make an ICO file from it, e.g. \"icotool -c -o %s.ico %s\" (icoutils) or "
      u"\"convert %s -define icon:auto-resize=256,48,32,16 %s.ico\" (ImageMagick), and give "
      u"that to --icon",
      {stem, path, path, stem});
}

}  // namespace

String TPackChecks::OutputNameWarning(const String& output, bool windowsProgram) {
  if (!windowsProgram && EndsWithExe(output)) {
    return Format(
        u"\"%s\" ends in \".exe\", but it is a Linux program: leave the extension out, or "
        u"give --target windows for a Windows program",
        {output});
  }
  if (windowsProgram && !EndsWithExe(output)) {
    return Format(
        u"\"%s\" is a Windows program without \".exe\": Windows starts programs by that "
        u"extension, so name it \"%s.exe\"",
        {output, output});
  }
  return {};
}

bool TPackChecks::IsPackedProgram(const String& path) {
  try {
    char magic[4] = {};
    {
      TFileStream file(path, TFileAccess::Read, TFileShare::ReadWrite, TFileCreation::OpenExisting);
      if (file.Read(magic, sizeof magic) != sizeof magic) return false;
    }
    const bool pe = magic[0] == 'M' && magic[1] == 'Z';
    const bool elf = magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
    if (!pe && !elf) return false;
    const int64_t imageEnd = ImageEndOfFile(path);
    if (imageEnd <= 0 || imageEnd >= static_cast<int64_t>(fs::file_size(fs::path(path)))) return false;
    for (const TPackageEntry& entry : TPackageReader::List(path)) {
      if (entry.Encrypted && UpperCaseAscii(entry.Name) == u"LM-CONFIG") return true;
    }
  } catch (const std::exception&) {
    // Data after an image that is no archive of ours: an ordinary file.
  }
  return false;
}

bool TPackChecks::IsPng(const std::vector<uint8_t>& bytes) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return bytes.size() >= 8 && std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin());
}

std::vector<uint8_t> TPackChecks::IconFromPng(const std::vector<uint8_t>& png, const String& path) {
  // The signature, then the IHDR chunk's length, type, width and height.
  if (png.size() < 24 || png[12] != 'I' || png[13] != 'H' || png[14] != 'D' || png[15] != 'R') {
    throw Exception(Format(u"\"%s\" is not a valid PNG picture: %s", {path, IcoHowTo(path)}));
  }
  const uint32_t width = ReadBigEndianU32(png.data() + 16);
  const uint32_t height = ReadBigEndianU32(png.data() + 20);
  const size_t total = TIconFile::kHeaderSize + TIconFile::kEntrySize + png.size();
  if (width == 0 || height == 0 || width > kMaxIconSide || height > kMaxIconSide ||
      total > static_cast<size_t>(TIconFile::kMaxSize)) {
    throw Exception(
        Format(u"\"%s\" is %sx%s pixels: a Windows icon holds pictures of at most 256x256 "
               u"and the icon file at most 1 MiB; %s",
               {path, IntToStr(static_cast<int64_t>(width)), IntToStr(static_cast<int64_t>(height)), IcoHowTo(path)}));
  }
  // One entry: a side of 256 is written as 0; 32 bits a pixel, one plane.
  std::vector<uint8_t> icon = {
      0, 0, 1, 0, 1, 0, static_cast<uint8_t>(width & 0xFF), static_cast<uint8_t>(height & 0xFF), 0, 0, 1, 0, 32, 0};
  const auto put32 = [&icon](size_t value) {
    for (int shift = 0; shift < 32; shift += 8) icon.push_back(static_cast<uint8_t>(value >> shift));
  };
  put32(png.size());
  put32(TIconFile::kHeaderSize + TIconFile::kEntrySize);
  icon.insert(icon.end(), png.begin(), png.end());
  return icon;
}

String TPackChecks::VersionNumberWarning(const String& name, const String& value) {
  if ((name != u"FileVersion" && name != u"ProductVersion") || ParseVersionNumbers(value)) return {};
  return Format(
      u"%s \"%s\" is written as text only: the numeric version (the one Windows and installers "
      u"compare) is set only by one to four dot-separated numbers up to 65535, such as "
      u"%s=1.2.0",
      {name, value, name});
}

void TPackChecks::CheckOutput(const String& output) {
  if (!output.empty() && (output.back() == u'/' || output.back() == fs::path::preferred_separator)) {
    throw Exception(Format(
        u"\"%s\" ends in a separator and so names a folder: give the file name of the program to write", {output}));
  }
  std::error_code error;
  if (fs::is_directory(fs::path(output), error)) {
    throw Exception(Format(u"\"%s\" is a folder: give the file name of the program to write into it", {output}));
  }
  const fs::path folder = fs::path(output).parent_path();
  if (folder.empty()) return;
  const fs::file_status status = fs::status(folder, error);
  if (status.type() == fs::file_type::not_found) {
    throw Exception(Format(u"The output folder \"%s\" does not exist: create it first", {folder.u16string()}));
  }
  if (!error && status.type() != fs::file_type::directory) {
    throw Exception(Format(u"\"%s\" is not a folder, so \"%s\" cannot be written there", {folder.u16string(), output}));
  }
}

void TPackChecks::CheckRoom(const String& output, uintmax_t bytes, StringView detail) {
  fs::path folder = fs::path(output).parent_path();
  if (folder.empty()) folder = u".";
  std::error_code error;
  const fs::space_info space = fs::space(folder, error);
  if (error || space.available >= bytes) return;
  throw Exception(Format(u"Cannot write \"%s\": the disk is full (%s bytes free in \"%s\"). %s",
                         {output, IntToStr(static_cast<int64_t>(space.available)), folder.u16string(), detail}));
}

String TPackChecks::ConfigLookalikes(const std::vector<std::string>& entryNames) {
  String found;
  for (const std::string& entry : entryNames) {
    const String name = FromUtf8(entry);
    const size_t slash = name.rfind(u'/');
    const String base = UpperCaseAscii(slash == String::npos ? name : name.substr(slash + 1));
    const bool lookalike =
        base.starts_with(u"LM-CONFIG") || base.starts_with(u"LM_CONFIG") || base.starts_with(u"LMCONFIG");
    if (!lookalike) continue;
    if (!found.empty()) found += u", ";
    found += u"\"" + name + u"\"";
  }
  return found;
}

}  // namespace lumora
