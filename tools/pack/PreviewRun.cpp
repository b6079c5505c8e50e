#include "pack/PreviewRun.h"

#include <filesystem>

#include "core/ConfigKeys.h"
#include "core/Exception.h"
#include "core/StrUtils.h"
#include "pack/ChildProcess.h"
#include "pack/PackChecks.h"
#include "pack/RuntimeLocator.h"
#include "core/os/SysUtils.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

// A folder that is removed with everything in it when it goes.
class TScratchFolder {
 public:
  TScratchFolder() : FPath(fs::path(TSysUtils::GetTemporalDir()) / fs::path(u"run-" + TStrUtils::RandomString(10))) {
    std::error_code error;
    if (!fs::create_directory(FPath, error) || error) {
      throw Exception(Format(u"Cannot create the folder \"%s\". %s",
                             {FPath.u16string(), FromUtf8(error.message())}));
    }
  }
  ~TScratchFolder() {
    std::error_code error;
    fs::remove_all(FPath, error);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const fs::path& Path() const { return FPath; }

 private:
  fs::path FPath;
};

// The site folder's name with the runtime's extension: "notes" or
// "notes.exe".
fs::path ProgramName(const TPackOptions& options) {
  std::error_code error;
  fs::path site = fs::weakly_canonical(fs::path(options.SourceDir), error).filename();
  if (site.empty()) site = u"site";
  return site += fs::path(options.Runtime).extension();
}

}  // namespace

int TPreviewRun::Run(TPackOptions options, const std::vector<String>& arguments,
                     const TPacker::TOnWarning& onWarning, const TOnPacked& onPacked, bool inspect) {
  // Refused before anything is packed: a program for another system
  // cannot be started here.
  if (options.Target && *options.Target != TRuntimeLocator::HostTarget()) {
    const StringView system = *options.Target == TTarget::Windows ? u"Windows" : u"Linux";
    throw Exception(Format(u"--run starts programs of this system only, and --target %s makes a %s program: "
                           u"pack it without --run and start it on %s",
                           {TRuntimeLocator::TargetName(*options.Target), system, system}));
  }
  // From here on Ctrl+C and termination leave the packer alive to clean up.
  const TChildProcess::TInterruptGuard guard;
  const TScratchFolder folder;
  options.Runtime = TPackChecks::ResolveRuntime(options.Runtime, options.Target);
  options.Output = (folder.Path() / ProgramName(options)).u16string();
  options.NamedByPacker = true;
  options.PreviewMarker = true;
  const TPackSummary summary = TPacker::Pack(options, onWarning);
  if (onPacked) onPacked(summary);
  if (const int interrupted = TChildProcess::TInterruptGuard::Interrupted()) return interrupted;
  return TChildProcess::Run(options.Output, arguments,
                            inspect ? TChildProcess::TEnvironment{{kInspectEnvironmentName, "1"}}
                                    : TChildProcess::TEnvironment{});
}

}  // namespace lumora
