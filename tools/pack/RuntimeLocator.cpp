#include "pack/RuntimeLocator.h"

#include <filesystem>
#include <vector>

#include "core/Exception.h"
#include "core/os/File.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

struct TTargetInfo {
  StringView Name;     // as --target takes it
  StringView Folder;   // below lib/lumora/runtimes
  StringView File;
  StringView Display;  // for messages
};

constexpr TTargetInfo kLinux{u"linux", u"linux-x86_64", u"lumora", u"Linux"};
constexpr TTargetInfo kWindows{u"windows", u"windows-x86", u"lumora.exe", u"Windows"};

const TTargetInfo& Info(TTarget target) { return target == TTarget::Windows ? kWindows : kLinux; }

// The places a runtime may be, best first: the installed layout, then
// beside the packer (a build folder).
std::vector<fs::path> Candidates(const fs::path& packer, const TTargetInfo& info) {
  const fs::path folder = packer.parent_path();
  return {folder.parent_path() / u"lib" / u"lumora" / u"runtimes" / fs::path(String(info.Folder)) /
              fs::path(String(info.File)),
          folder / fs::path(String(info.File))};
}

}  // namespace

TTarget TRuntimeLocator::HostTarget() {
#ifdef _WIN32
  return TTarget::Windows;
#else
  return TTarget::Linux;
#endif
}

std::optional<TTarget> TRuntimeLocator::ParseTarget(StringView name) {
  for (const TTarget target : {TTarget::Linux, TTarget::Windows}) {
    if (name == Info(target).Name) return target;
  }
  return std::nullopt;
}

StringView TRuntimeLocator::TargetName(TTarget target) { return Info(target).Name; }

String TRuntimeLocator::Find(TTarget target) {
  const TTargetInfo& info = Info(target);
  // The packer's real location: a symbolic link to it (say in a folder on
  // the PATH) must not move where the runtimes are looked for.
  std::error_code error;
  fs::path packer = fs::path(ExecutablePath());
  if (const fs::path real = fs::canonical(packer, error); !error) packer = real;
  String looked;
  for (const fs::path& candidate : Candidates(packer, info)) {
    if (fs::is_regular_file(candidate, error)) {
      const fs::path found = fs::canonical(candidate, error);
      if (!error) return found.u16string();
    }
    if (!looked.empty()) looked += u" or ";
    looked += u"\"" + candidate.lexically_normal().u16string() + u"\"";
  }
  throw Exception(Format(u"There is no %s runtime for lumora-pack: it is looked for at %s. Install "
                         u"it there, or give one with --runtime PATH (\"%s\" of a %s build)",
                         {info.Display, looked, info.File, info.Display}));
}

}  // namespace lumora
