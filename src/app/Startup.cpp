#include "app/Startup.h"

#include <typeinfo>

#include "app/RuntimeError.h"
#include "core/Exception.h"
#include "core/ExeHtmlSite.h"
#include "core/TemporalFiles.h"
#include "platform/MessageBox.h"
#include "platform/OleSession.h"

namespace lumora {

namespace {

// The start-up steps that build process-wide objects, in order. Each has a
// release step; those run in reverse for every step that was begun.
enum TStartupStep {
  stTemporalFiles = 2,
  stExeHtmlSite = 3,
};

// Releases what the steps up to lastBegun built, last first. A step whose
// object was never stored finds nothing to release.
void ReleaseProcessObjects(int lastBegun) {
  if (lastBegun >= stExeHtmlSite) ExeHtmlSite.reset();
  // Last: the archive copy had to be closed by the site object first.
  if (lastBegun >= stTemporalFiles) TemporalFiles.reset();
}

}  // namespace

int RunApplication() {
  TOleSession ole;
  int step = 0;
  try {
    step = stTemporalFiles;
    TemporalFiles = std::make_unique<TTemporalFiles>();
    step = stExeHtmlSite;
    ExeHtmlSite = std::make_unique<TExeHtmlSite>();
  } catch (const EImmediateExit& request) {
    ReleaseProcessObjects(step);
    return request.ExitCode();
  } catch (const std::exception& error) {
    ReleaseProcessObjects(step);
    // The error's own message is not shown, only where it happened.
    ShowMessageBox(RuntimeErrorText(FailurePoint(step, typeid(error).name())), u"Error", mbOk);
    return kRuntimeErrorExitCode;
  }
  ReleaseProcessObjects(stExeHtmlSite);
  return 0;
}

}  // namespace lumora
