#include "pack/PackChecks.h"

#include <filesystem>

#include "core/ConfigKeys.h"
#include "core/Exception.h"
#include "pack/Packer.h"

namespace lumora {

namespace fs = std::filesystem;

String TPackChecks::ResolveRuntime(const String& runtime, std::optional<TTarget> target) {
  if (runtime.empty()) return TRuntimeLocator::Find(target.value_or(TRuntimeLocator::HostTarget()));
  std::error_code error;
  const fs::path resolved = fs::canonical(fs::path(runtime), error);
  if (!error) return resolved.u16string();
  throw Exception(Format(u"Cannot open the runtime \"%s\" given with --runtime. %s",
                         {runtime, FromUtf8(error.message())}));
}

void TPackChecks::CheckTarget(const String& runtime, bool windowsRuntime,
                              std::optional<TTarget> target) {
  if (!target || (*target == TTarget::Windows) == windowsRuntime) return;
  throw Exception(Format(u"--target %s, but the runtime \"%s\" is a %s program",
                         {TRuntimeLocator::TargetName(*target), runtime,
                          windowsRuntime ? u"Windows" : u"Linux"}));
}

void TPackChecks::CheckOutput(const String& output) {
  if (!output.empty() && (output.back() == u'/' || output.back() == fs::path::preferred_separator)) {
    throw Exception(Format(u"\"%s\" ends in a separator and so names a folder: give the file name of the program to write",
                           {output}));
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
    throw Exception(Format(u"\"%s\" is not a folder, so \"%s\" cannot be written there",
                           {folder.u16string(), output}));
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
    const bool lookalike = base.starts_with(u"LM-CONFIG") || base.starts_with(u"LM_CONFIG") ||
                           base.starts_with(u"LMCONFIG");
    if (!lookalike) continue;
    if (!found.empty()) found += u", ";
    found += u"\"" + name + u"\"";
  }
  return found;
}

}  // namespace lumora
