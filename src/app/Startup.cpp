#include "app/Startup.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "app/HandlerError.h"
#include "app/BrowserForm.h"
#include "app/MainForm.h"
#include "app/RuntimeError.h"
#include "base/Exception.h"
#include "core/ExeHtmlSite.h"
#include "core/ExeUtils.h"
#include "core/GlobalMainForm.h"
#include "core/TemporalFiles.h"
#include "core/TerminationRequest.h"
#include "core/browser/IEBrowserFix.h"
#include "core/protocol/ProtocolRegistry.h"
#include "platform/MessageBox.h"
#include "os/SysUtils.h"
#include "core/HandlerGuard.h"
#include "platform/MessageLoop.h"
#include "platform/OleSession.h"
#include "platform/ProtocolNamespace.h"

namespace lumora {

namespace {

// The start-up steps that build process-wide objects, in order. Each has a
// release step; those run in reverse for every step that was begun.
enum TStartupStep {
  stTemporalFiles = 2,
  stExeHtmlSite = 3,
  stGlobalMainForm = 4,
  stProtocolRegistry = 5,
  stBrowserFix = 6,
  stMainForm = 8,
};

// Releases what the steps up to lastBegun built, last first. A step whose
// object was never stored finds nothing to release. Shutdown reports no
// errors.
void ReleaseProcessObjects(int lastBegun) {
  auto quietly = [](auto release) {
    try {
      release();
    } catch (...) {
    }
  };
  if (lastBegun >= stBrowserFix) quietly([] { TIEBrowserFix::Uninitialize(); });
  if (lastBegun >= stProtocolRegistry) quietly([] { ReleaseProtocolRegistry(); });
  if (lastBegun >= stGlobalMainForm) GlobalMainForm = nullptr;
  if (lastBegun >= stExeHtmlSite) ExeHtmlSite.reset();
  // Last: the archive copy had to be closed by the site object first.
  if (lastBegun >= stTemporalFiles) TemporalFiles.reset();
}

}  // namespace

int RunApplication() {
  // Before the first temporary file exists: a request to end the process
  // at any stage from here on still runs the release steps.
  WatchTerminationSignals();
  TOleSession ole;
  int step = 0;
  try {
    step = stTemporalFiles;
    TemporalFiles = std::make_unique<TTemporalFiles>();
    step = stExeHtmlSite;
    ExeHtmlSite = std::make_unique<TExeHtmlSite>();
    CheckTermination();
    step = stGlobalMainForm;
    GlobalMainForm = nullptr;
    step = stProtocolRegistry;
    SetUpProtocolRegistry(NewProtocolNamespace);
    step = stBrowserFix;
    // The values only ask the browser for its newest document mode (WebKit
    // ignores them): a settings store that cannot take them, a full disk
    // for one, is no reason not to start.
    try {
      TIEBrowserFix::Initialize();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "The browser emulation values were not written, starting without them: %s\n", error.what());
    }
    CheckTermination();
  } catch (const ENoAppendedArchive& request) {
    ShowMessageBox(ENoAppendedArchive::Text, u"Error", mbIconError | mbOk);
    ReleaseProcessObjects(step);
    return request.ExitCode();
  } catch (const EImmediateExit& request) {
    ReleaseProcessObjects(step);
    return request.ExitCode();
  } catch (const std::exception& error) {
    ReleaseProcessObjects(step);
    // The box shows only where it happened; the cause goes to standard
    // error, for the user or whoever supports them.
    const String text = RuntimeErrorText(FailurePoint(step, typeid(error).name()));
    std::fprintf(stderr, "%s: %s\n", ToUtf8(text).c_str(), error.what());
    TSysUtils::RecordErrorCause(text + u": " + FromUtf8(error.what()));
    ShowMessageBox(text, u"Error", mbOk);
    return kRuntimeErrorExitCode;
  }

  // Step 7 (the main window owns its taskbar button) is the form window's
  // (GTK does it anyway; on Windows later windows are owned by the main
  // one). Step 8: the main window; the application owns it and every
  // window a page opens.
  SetHandlerErrorPresenter(ShowHandlerError);
  // At the session's end the system ends the program soon after its windows
  // have answered, and the loop never returns: the release steps run there
  // and then (the archive copy, the program's folder, the emulation
  // values), and the program ends with them.
  WatchSessionEnd([] {
    ReleaseProcessObjects(stMainForm);
    std::_Exit(0);
  });
  int exitCode = 0;
  if (InitializeWindowing()) {
    TBrowserFormList popups;
    {
      std::unique_ptr<TMainForm> mainForm;
      bool run = true;
      try {
        mainForm = std::make_unique<TMainForm>(popups);
        mainForm->FormCreate();
        // A request that ended one of start-up's boxes: the main window
        // does not show at all.
        CheckTermination();
      } catch (const EImmediateExit& request) {
        exitCode = request.ExitCode();
        run = false;
      } catch (const std::exception& error) {
        ShowHandlerError(error);
      }
      if (run && mainForm && !mainForm->Closed()) {
        mainForm->Show();
        RunMessageLoop();
      }
    }
    popups.clear();
  }
  ReleaseProcessObjects(stMainForm);
  return exitCode;
}

}  // namespace lumora
