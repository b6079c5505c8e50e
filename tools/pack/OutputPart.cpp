#include "pack/OutputPart.h"

#include <filesystem>
#include <system_error>

#include "base/Exception.h"
#include "core/TemporaryFile.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

constexpr StringView kPartExtension = u".tmp";

String FolderOf(const String& output) {
  const fs::path folder = fs::path(output).parent_path();
  return folder.empty() ? String() : IncludeTrailingPathDelimiter(folder.u16string());
}

String PartPrefix(const String& output) { return fs::path(output).filename().u16string() + u".part-"; }

}  // namespace

TOutputPart::TOutputPart(const String& output) : FOutput(output) {
  const String folder = FolderOf(output);
  RemoveUnheldFiles(folder.empty() ? String(u".") : folder, PartPrefix(output), kPartExtension);
  TTemporaryFile part = CreateTemporaryFile(folder, kPartExtension, true, PartPrefix(output));
  FPath = std::move(part.Path);
  FHold = std::move(part.File);
  FRemoveOnInterrupt = std::make_unique<TRemoveOnInterrupt>(FPath);
}

TOutputPart::~TOutputPart() {
  FHold = TFileHandle();
  if (!FMoved) DeleteFilePath(FPath);
  FRemoveOnInterrupt.reset();
}

void TOutputPart::MoveToOutput() {
  // Windows renames no file that is open without delete sharing.
  FHold = TFileHandle();
  std::error_code error;
  fs::rename(fs::path(FPath), fs::path(FOutput), error);
  if (error) throw Exception(Format(u"Cannot write \"%s\". %s", {FOutput, FromUtf8(error.message())}));
  FMoved = true;
}

}  // namespace lumora
