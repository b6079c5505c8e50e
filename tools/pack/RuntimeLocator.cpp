#include "pack/RuntimeLocator.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "base/Exception.h"
#include "os/ImageHeaders.h"
#include "os/File.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

struct TTargetInfo {
  TTarget Target;
  StringView Name;         // as --target takes it
  StringView Folder;       // below lib/lumora/runtimes
  StringView BuildFolder;  // the preset's folder beside the packer's build folder
  StringView File;
  StringView Display;  // for messages
};

constexpr TTargetInfo kTargets[] = {
    {TTarget::Linux, u"linux", u"linux-x86_64", u"linux", u"lumora", u"Linux"},
    {TTarget::Windows, u"windows", u"windows-x86", u"win32", u"lumora.exe", u"32-bit Windows"},
    {TTarget::WindowsX64, u"windows-x64", u"windows-x86_64", u"win64", u"lumora.exe", u"64-bit Windows"},
};

const TTargetInfo& Info(TTarget target) {
  for (const TTargetInfo& info : kTargets) {
    if (info.Target == target) return info;
  }
  return kTargets[0];
}

fs::path PathOf(StringView text) { return fs::path(String(text)); }

}  // namespace

TTarget TRuntimeLocator::HostTarget() {
#if defined(_WIN64)
  return TTarget::WindowsX64;
#elif defined(_WIN32)
  return TTarget::Windows;
#else
  return TTarget::Linux;
#endif
}

std::optional<TTarget> TRuntimeLocator::ParseTarget(StringView name) {
  for (const TTargetInfo& info : kTargets) {
    if (name == info.Name) return info.Target;
  }
  return std::nullopt;
}

StringView TRuntimeLocator::TargetName(TTarget target) { return Info(target).Name; }

String TRuntimeLocator::TargetNames() {
  String names;
  for (size_t i = 0; i < std::size(kTargets); ++i) {
    if (i > 0) names += i + 1 == std::size(kTargets) ? u" or " : u", ";
    names += kTargets[i].Name;
  }
  return names;
}

StringView TRuntimeLocator::DisplayName(TTarget target) { return Info(target).Display; }

std::vector<String> TRuntimeLocator::Places(TTarget target, const String& packer) {
  const TTargetInfo& info = Info(target);
  const fs::path folder = fs::path(packer).parent_path();
  const fs::path file = PathOf(info.File);
  std::vector<fs::path> places = {folder.parent_path() / u"lib" / u"lumora" / u"runtimes" / PathOf(info.Folder) / file,
                                  folder.parent_path() / PathOf(info.BuildFolder) / file};
  if (target == HostTarget()) places.push_back(folder / file);
  std::vector<String> result;
  for (const fs::path& place : places) {
    const String text = place.lexically_normal().u16string();
    if (std::find(result.begin(), result.end(), text) == result.end()) result.push_back(text);
  }
  return result;
}

std::optional<TTarget> TRuntimeLocator::TargetOf(const String& program) {
  const int32_t machine = PeMachineOfFile(program);
  if (machine == kPeMachineI386) return TTarget::Windows;
  if (machine == kPeMachineX64) return TTarget::WindowsX64;
  if (machine < 0 && ImageEndOfFile(program) >= 0) return TTarget::Linux;
  return std::nullopt;
}

String TRuntimeLocator::Find(TTarget target) {
  const TTargetInfo& info = Info(target);
  // The packer's real location: a symbolic link to it (say in a folder on
  // the PATH) must not move where the runtimes are looked for.
  std::error_code error;
  fs::path packer = fs::path(ExecutablePath());
  if (const fs::path real = fs::canonical(packer, error); !error) packer = real;
  String looked;
  for (const String& place : Places(target, packer.u16string())) {
    if (fs::is_regular_file(fs::path(place), error)) {
      const fs::path found = fs::canonical(fs::path(place), error);
      if (!error) return found.u16string();
    }
    if (!looked.empty()) looked += u" or ";
    looked += u"\"" + place + u"\"";
  }
  throw Exception(
      Format(u"There is no %s runtime for lumora-pack: it is looked for at %s. Install "
             u"it there, or give one with --runtime PATH (\"%s\" of a %s build)",
             {info.Display, looked, info.File, info.Display}));
}

}  // namespace lumora
