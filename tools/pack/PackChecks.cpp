#include "pack/PackChecks.h"

#include <filesystem>

#include "core/ConfigKeys.h"
#include "core/Exception.h"
#include "pack/Packer.h"

namespace lumora {

namespace fs = std::filesystem;

String TPackChecks::ResolveRuntime(const String& runtime) {
  const String path = runtime.empty() ? TPacker::DefaultRuntime() : runtime;
  std::error_code error;
  const fs::path resolved = fs::canonical(fs::path(path), error);
  if (!error) return resolved.u16string();
  if (runtime.empty()) {
    throw Exception(Format(u"There is no runtime beside lumora-pack (\"%s\"). Give one with --runtime "
                           u"PATH: \"lumora\" of a Linux build for a Linux program, \"lumora.exe\" of a "
                           u"Windows build for a Windows program",
                           {path}));
  }
  throw Exception(Format(u"Cannot open the runtime \"%s\" given with --runtime. %s", {path, FromUtf8(error.message())}));
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
