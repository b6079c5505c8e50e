// The cost of a window.external call on Windows, made by a script engine:
// Wine's (or Windows') JScript calls the browser's external object, which
// goes through the browser view's origin check, the bridge and the host
// services, as a page's call does. The script times the calls itself and
// writes the figures through the bridge, in the lines of
// lumora_bench_bridge on Linux (bench/bridge_side_by_side.sh prints both).
//
// Usage: lumora_bench_bridge_jscript [CALLS] (default 2000).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/TemporalFiles.h"
#include "core/bridge/BrowserJs.h"
#include "os/File.h"
#include "os/SysUtils.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"
#include "platform/ProtocolNamespace.h"
#include "core/services/HostServices.h"
#include "core/zip/AbZipKit.h"
#include "os/win32/WideString.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/OleSession.h"
#include "platform/SystemDesktop.h"
#include "platform/win32/browser/WebBrowserHost.h"
#include "support/ServicesMainForm.h"
#include "support/win32/JScriptHost.h"

using namespace lumora;
using namespace lumora::test;

namespace {

const char kScript[] = R"JS(
var ext = external;
var time = function (name, f) {
  for (var i = 0; i < 50; i++) f(i);
  var start = new Date().getTime();
  for (var i = 0; i < calls; i++) f(i);
  return name + ' ' + ((new Date().getTime() - start) * 1000 / calls).toFixed(1) + ' us/call';
};
var lines = [
  time('SayHello', function () { return ext.SayHello('bench'); }),
  time('appFileExists (missing file)', function () { return ext.appFileExists('/nonexistent/x'); }),
];
ext.appWriteFile(results, lines.join('\n'));
)JS";

struct TNoBrowser final : TJsBrowser {
  void ShowFindDialog() override {}
  void PrintPreview() override {}
  void MinimizeApplication() override {}
  void RestoreApplication() override {}
};

// Dispatches the thread's messages until done() holds or about ten
// seconds have passed.
template <typename TDone>
bool Pump(TDone done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  }
  return done();
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const TOleSession ole;
  const String folder = TSysUtils::GetTemporalDir() + u"lumora-bench-jscript\\";
  ::CreateDirectoryW(Wide(folder).c_str(), nullptr);
  const String results = folder + u"results.txt";

  // The lmp scheme answers the one page the browser is sent to: the
  // external object answers site pages only.
  SetUpProtocolRegistry(NewProtocolNamespace);
  bool answered = false;
  std::string body;
  {
    TInternetProtocol lmp;
    lmp.SetProtocol(u"lmp");
    lmp.SetOnRequestStream([&](TInternetProtocol&, const String&, std::unique_ptr<TStream>& stream) {
      auto page = std::make_unique<TMemoryStream>();
      page->WriteBuffer("<p>bench</p>", 12);
      stream = std::move(page);
      answered = true;
    });
    lmp.SetActive(true);

    TAbZipKit zip;  // no site: the calls timed read no entry
    TTemporalFiles temporal;
    THostServices services(zip, temporal, THostServicesSettings{.ExeDir = folder}, nullptr,
                           std::make_unique<TSystemDesktop>());
    TServicesMainForm mainForm(services, u"bench");
    const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
    const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
    TBrowserView& view = *viewOwner;
    TNoBrowser browser;
    view.OnExternalCall = [&](int32_t ID, const std::vector<TJsValue>& Params, TJsValue& Result, TJsError& Error) {
      return TBrowserJs().ExecuteForScript(browser, ID, Params, &Result, Error);
    };
    view.Navigate(u"lmp://site/index.html");
    if (!Pump([&] { return answered; })) {
      std::fprintf(stderr, "the browser never asked for the page\n");
      return 1;
    }
    auto* host =
        reinterpret_cast<TWebBrowserHost*>(::GetWindowLongPtrW(static_cast<HWND>(view.NativeHandle()), GWLP_USERDATA));
    TComPtr<IDispatch> external = host->External();
    TJScriptSite site;
    site.External = external.Get();
    {
      TJScriptEngine engine(site);
      if (FAILED(engine.Status())) {
        std::fprintf(stderr, "no JScript engine\n");
        return 1;
      }
      const std::string text =
          "var calls = " + std::to_string(calls) + ", results = '" + JsQuoted(ToUtf8(results)) + "';\n" + kScript;
      engine.Parse(text);
      engine.Run();
    }
    for (const std::string& error : site.Errors) std::fprintf(stderr, "the bench script failed: %s\n", error.c_str());
    body = ToUtf8(services.ReadFile(results));
    lmp.SetActive(false);
  }
  ReleaseProtocolRegistry();

  ::DeleteFileW(Wide(results).c_str());
  ::RemoveDirectoryW(Wide(folder).c_str());
  const std::vector<std::string> lines = WrittenLines(body);
  if (lines.empty()) {
    std::fprintf(stderr, "the bench script reported nothing\n");
    return 1;
  }
  std::printf("window.external calls through JScript, mean of %d each:\n", calls);
  for (const std::string& line : lines) {
    if (!line.empty()) std::printf("  %s\n", line.c_str());
  }
  return 0;
}
