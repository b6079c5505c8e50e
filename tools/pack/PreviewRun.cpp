#include "pack/PreviewRun.h"

#include <algorithm>
#include <filesystem>

#include "core/ConfigKeys.h"
#include "base/Exception.h"
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

// The state of the site's files, to tell when one changed: every file's
// name, size and modification time, and the configuration file's.
class TSiteSnapshot {
 public:
  explicit TSiteSnapshot(const TPackOptions& options) : FOptions(options), FPacked(Take()) {}

  // True once when the files changed and then stayed the same for one more
  // look (an editor that saves in steps is packed once, when it is done).
  bool Changed() {
    std::vector<TFileState> current = Take();
    if (current == FPacked) {
      FPending.clear();
      return false;
    }
    if (current != FPending) {
      FPending = std::move(current);
      return false;
    }
    FPacked = std::move(current);
    FPending.clear();
    return true;
  }

 private:
  struct TFileState {
    fs::path Path;
    uintmax_t Size = 0;
    fs::file_time_type Modified;
    bool operator==(const TFileState&) const = default;
  };

  std::vector<TFileState> Take() const {
    std::vector<TFileState> files;
    std::error_code error;
    const auto add = [&files](const fs::path& path) {
      std::error_code fileError;
      const uintmax_t size = fs::file_size(path, fileError);
      const fs::file_time_type modified = fs::last_write_time(path, fileError);
      if (!fileError) files.push_back(TFileState{path, size, modified});
    };
    for (fs::recursive_directory_iterator it(
             fs::path(FOptions.SourceDir),
             fs::directory_options::follow_directory_symlink | fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      std::error_code typeError;
      if (it->is_regular_file(typeError)) add(it->path());
    }
    if (!FOptions.ConfigFile.empty()) add(fs::path(FOptions.ConfigFile));
    std::sort(files.begin(), files.end(), [](const TFileState& a, const TFileState& b) { return a.Path < b.Path; });
    return files;
  }

  const TPackOptions& FOptions;
  std::vector<TFileState> FPacked;
  std::vector<TFileState> FPending;
};

}  // namespace

int TPreviewRun::Run(TPackOptions options, const std::vector<String>& arguments, const TPacker::TOnWarning& onWarning,
                     const TOnPacked& onPacked, const TSwitches& switches) {
  if (switches.Watch && !TChildProcess::CanAskToReload()) {
    throw Exception(u"--watch needs a program that can be asked to reload, which only the Linux runtime is");
  }
  // Refused before anything is packed: a program for another system
  // cannot be started here.
  // Windows runs programs of either width.
  if (options.Target &&
      TRuntimeLocator::IsWindows(*options.Target) != TRuntimeLocator::IsWindows(TRuntimeLocator::HostTarget())) {
    throw Exception(
        Format(u"--run starts programs of this system only, and --target %s makes a %s program: "
               u"pack it without --run and start it on %s",
               {TRuntimeLocator::TargetName(*options.Target), TRuntimeLocator::DisplayName(*options.Target),
                TRuntimeLocator::IsWindows(*options.Target) ? u"Windows" : u"Linux"}));
  }
  // From here on Ctrl+C and termination leave the packer alive to clean up.
  const TChildProcess::TInterruptGuard guard;
  // Held while the packer lives, so that a packer killed outright leaves
  // a folder the next start of any program removes.
  const TProgramFolder folder;
  options.Runtime = TPackChecks::ResolveRuntime(options.Runtime, options.Target);
  options.Output = (fs::path(folder.Path()) / ProgramName(options)).u16string();
  options.NamedByPacker = true;
  options.PreviewMarker = true;
  const TPackSummary summary = TPacker::Pack(options, onWarning);
  if (onPacked) onPacked(summary);
  if (const int interrupted = TChildProcess::TInterruptGuard::Interrupted()) return interrupted;
  TChildProcess::TEnvironment environment;
  if (switches.Inspect) environment.emplace_back(kInspectEnvironmentName, "1");
  if (!switches.Watch) return TChildProcess::Run(options.Output, arguments, environment);

  // Packed again beside the running program, which reads the new archive
  // from there when asked.
  TPackOptions again = options;
  again.Output =
      (fs::path(folder.Path()) / fs::path(u"next-" + fs::path(options.Output).filename().u16string())).u16string();
  environment.emplace_back(kReloadEnvironmentName, ToUtf8(again.Output));
  TSiteSnapshot snapshot(options);
  return TChildProcess::Run(options.Output, arguments, environment, [&] {
    if (!snapshot.Changed()) return false;
    try {
      const TPackSummary repacked = TPacker::Pack(again, onWarning);
      if (onPacked) onPacked(repacked);
      if (switches.OnNote) switches.OnNote(u"a file of the site changed: packed again, the page reloads");
      return true;
    } catch (const Exception& error) {
      if (switches.OnNote) switches.OnNote(u"a file of the site changed, but packing failed: " + error.Message());
      return false;
    }
  });
}

}  // namespace lumora
