#include "pack/PackChecks.h"

#include <filesystem>

#include "core/ConfigKeys.h"
#include "core/Exception.h"
#include "core/ImageHeaders.h"
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
  throw Exception(Format(u"Cannot open the runtime \"%s\" given with --runtime. %s",
                         {runtime, FromUtf8(error.message())}));
}

TTarget TPackChecks::CheckTarget(const String& runtime, std::optional<TTarget> target) {
  const std::optional<TTarget> kind = TRuntimeLocator::TargetOf(runtime);
  if (!kind) {
    throw Exception(Format(u"\"%s\" is a Windows program for machine type 0x%s, which no target "
                           u"runs: the Windows runtimes are for i386 (32-bit) and x86-64 (64-bit)",
                           {runtime, MachineHex(PeMachineOfFile(runtime))}));
  }
  if (target && *target != *kind) {
    throw Exception(Format(u"--target %s, but the runtime \"%s\" is a %s program",
                           {TRuntimeLocator::TargetName(*target), runtime,
                            TRuntimeLocator::DisplayName(*kind)}));
  }
  return *kind;
}

void TPackChecks::CheckOutputFolder(const String& output) {
  const fs::path folder = fs::path(output).parent_path();
  if (folder.empty()) return;
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (status.type() == fs::file_type::not_found) {
    throw Exception(Format(u"The output folder \"%s\" does not exist: create it first", {folder.u16string()}));
  }
  if (!error && status.type() != fs::file_type::directory) {
    throw Exception(Format(u"\"%s\" is not a folder, so \"%s\" cannot be written there",
                           {folder.u16string(), output}));
  }
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
