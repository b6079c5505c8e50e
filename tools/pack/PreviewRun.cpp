#include "pack/PreviewRun.h"

#include <filesystem>

#include "core/Exception.h"
#include "core/TemporaryFile.h"
#include "pack/ChildProcess.h"
#include "pack/PackChecks.h"
#include "pack/RuntimeLocator.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

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
                     const TPacker::TOnWarning& onWarning, const TOnPacked& onPacked) {
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
  // Held while the packer lives, so that a packer killed outright leaves
  // a folder the next start of any program removes.
  const TProgramFolder folder;
  options.Runtime = TPackChecks::ResolveRuntime(options.Runtime, options.Target);
  options.Output = (fs::path(folder.Path()) / ProgramName(options)).u16string();
  const TPackSummary summary = TPacker::Pack(options, onWarning);
  if (onPacked) onPacked(summary);
  if (const int interrupted = TChildProcess::TInterruptGuard::Interrupted()) return interrupted;
  return TChildProcess::Run(options.Output, arguments);
}

}  // namespace lumora
