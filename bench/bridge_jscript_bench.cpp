// The cost of a window.external call on Windows, made by a script engine:
// Wine's (or Windows') JScript calls the browser's external object, which
// goes through the browser view's origin check, the bridge and the host
// services, as a page's call does. The script times the calls itself and
// writes the figures through the bridge, in the lines of
// lumora_bench_bridge on Linux (bench/bridge_side_by_side.sh prints both).
//
// Usage: lumora_bench_bridge_jscript [CALLS] (default 2000).
#include <activscp.h>
#include <mshtmhst.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/GlobalMainForm.h"
#include "core/TemporalFiles.h"
#include "core/bridge/BrowserJs.h"
#include "core/os/File.h"
#include "core/os/SysUtils.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"
#include "core/services/HostServices.h"
#include "core/zip/AbZipKit.h"
#include "os/win32/WideString.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/OleSession.h"
#include "platform/win32/browser/WebBrowserHost.h"

using namespace lumora;

namespace {

constexpr CLSID kJScript = {0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
constexpr IID kActiveScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};

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

// The main window's services, for appFileExists and appWriteFile.
class TBenchMainForm final : public TGlobalMainForm {
 public:
  explicit TBenchMainForm(THostServices& services) : S(services) { GlobalMainForm = this; }
  ~TBenchMainForm() override { GlobalMainForm = nullptr; }
  String Caption() const override { return u"bench"; }
  bool IsRuntime() override { return true; }
  String ReadFile(const String& p) override { return S.ReadFile(p); }
  bool DoFileExists(const String& p) override { return S.DoFileExists(p); }
  bool CreateDir(const String& p) override { return S.CreateDir(p); }
  bool RemoveFile(const String& p) override { return S.RemoveFile(p); }
  bool DirExists(const String& p) override { return S.DirExists(p); }
  void WriteFile(const String& p, const String& c) override { S.WriteFile(p, c); }
  bool OpenFile(const String&) override { return false; }
  bool OpenFileWith(const String&, const String&) override { return false; }
  bool PlayWavSound(const String&, bool) override { return false; }
  bool HandleDownloableFiles(const String&) override { return false; }
  bool WriteRegistry(const String& k, const String& n, const String& v) override { return S.WriteRegistry(k, n, v); }
  String ReadRegistry(const String& k, const String& n) override { return S.ReadRegistry(k, n); }
  bool RemoveRegistry(const String& k, const String& n) override { return S.RemoveRegistry(k, n); }
  String GetPCName() override { return S.GetPCName(); }
  String GetPCUserName() override { return S.GetPCUserName(); }
  String GetUserDocsDir() override { return S.GetUserDocsDir(); }

 private:
  THostServices& S;
};

struct TNoBrowser final : TJsBrowser {
  void ShowFindDialog() override {}
  void PrintPreview() override {}
  void MinimizeApplication() override {}
  void RestoreApplication() override {}
};

// The script engine's site: window.external is the named item "external".
class TScriptSite final : public IActiveScriptSite {
 public:
  explicit TScriptSite(IDispatch* external) : FExternal(external) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IActiveScriptSite)) {
      *ppv = static_cast<IActiveScriptSite*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on main's stack, longer than the engine.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** type) override {
    if (type) *type = nullptr;
    if (std::wstring(name) != L"external" || !(mask & SCRIPTINFO_IUNKNOWN)) return TYPE_E_ELEMENTNOTFOUND;
    FExternal->AddRef();
    *item = FExternal;
    return S_OK;
  }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError*) override {
    std::fprintf(stderr, "the bench script failed\n");
    return S_OK;
  }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

 private:
  IDispatch* FExternal;
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
  SetUpProtocolRegistry();
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
    THostServices services(zip, temporal, THostServicesSettings{.ExeDir = folder}, nullptr);
    TBenchMainForm mainForm(services);
    const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
    TBrowserView view(*window);
    TNoBrowser browser;
    view.OnExternalCall = [&](int32_t ID, const std::vector<TJsValue>& Params, TJsValue& Result, TJsError& Error) {
      return TBrowserJs().ExecuteForScript(browser, ID, Params, &Result, Error);
    };
    view.Navigate(u"lmp://site/index.html");
    if (!Pump([&] { return answered; })) {
      std::fprintf(stderr, "the browser never asked for the page\n");
      return 1;
    }
    auto* host = reinterpret_cast<TWebBrowserHost*>(
        ::GetWindowLongPtrW(static_cast<HWND>(view.NativeHandle()), GWLP_USERDATA));
    TComPtr<IDispatch> external = host->External();
    TScriptSite site(external.Get());

    TComPtr<IActiveScript> engine;
    TComPtr<IActiveScriptParse> parser;
    if (FAILED(::CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  reinterpret_cast<void**>(engine.Receive()))) ||
        FAILED(engine->QueryInterface(kActiveScriptParse, reinterpret_cast<void**>(parser.Receive())))) {
      std::fprintf(stderr, "no JScript engine\n");
      return 1;
    }
    engine->SetScriptSite(&site);
    parser->InitNew();
    engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE);
    std::string escaped;
    for (char c : ToUtf8(results)) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    const std::string text =
        "var calls = " + std::to_string(calls) + ", results = '" + escaped + "';\n" + kScript;
    parser->ParseScriptText(Wide(FromUtf8(text)).c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE,
                            nullptr, nullptr);
    engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    engine->Close();
    body = ToUtf8(services.ReadFile(results));
    lmp.SetActive(false);
  }
  ReleaseProtocolRegistry();

  ::DeleteFileW(Wide(results).c_str());
  ::RemoveDirectoryW(Wide(folder).c_str());
  if (body.rfind("\xEF\xBB\xBF", 0) == 0) body.erase(0, 3);
  if (body.empty()) {
    std::fprintf(stderr, "the bench script reported nothing\n");
    return 1;
  }
  std::printf("window.external calls through JScript, mean of %d each:\n", calls);
  size_t start = 0;
  while (start < body.size()) {
    size_t end = body.find('\n', start);
    if (end == std::string::npos) end = body.size();
    std::string line = body.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) std::printf("  %s\n", line.c_str());
    start = end + 1;
  }
  return 0;
}
