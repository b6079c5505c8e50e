// window.external driven by a real script engine: Wine's JScript, hosted
// through IActiveScript with the browser's external object as the named
// item "external", calls the function table through the whole chain (the
// component's dispatch, the browser view's origin gate, the bridge, the
// host services over a real site archive, Wine's registry and files). The
// scripts report what they got through appWriteFile; the tests read that,
// the files and the registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <mshtmhst.h>
#include <dispex.h>
#include <mshtml.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/CommandLineParams.h"
#include "core/ExeHtmlSite.h"
#include "core/TemporalFiles.h"
#include "core/bridge/BrowserJs.h"
#include "core/bridge/JsConstants.h"
#include "os/File.h"
#include "core/services/HostServices.h"
#include "core/zip/AbZipKit.h"
#include "os/win32/WideString.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/OleSession.h"
#include "platform/SystemDesktop.h"
#include "support/win32/BrowserTestSupport.h"
#include "support/win32/ImportHook.h"
#include "platform/win32/browser/ComObject.h"
#include "platform/win32/browser/ExternalDispatch.h"
#include "platform/win32/browser/Variant.h"
#include "support/ServicesMainForm.h"
#include "support/TestSupport.h"
#include "support/win32/JScriptHost.h"
#include "support/ZipWriter.h"

namespace lumora::test {
namespace {

// ---- Sound: every PlaySoundW call of the program, forwarded to Wine's.

struct TSoundCall {
  const void* Buffer;  // null: a stop
  DWORD Flags;
  std::string Tag;  // the first sample of the sound, as it was at the call
};
std::vector<TSoundCall>* SoundCalls = nullptr;
void* RealPlaySound = nullptr;

BOOL WINAPI RecordPlaySound(LPCWSTR sound, HMODULE module, DWORD flags) {
  if (SoundCalls) {
    const auto* bytes = reinterpret_cast<const char*>(sound);
    SoundCalls->push_back({sound, flags, sound ? std::string(bytes + 44, 1) : std::string()});
  }
  return reinterpret_cast<decltype(&::PlaySoundW)>(RealPlaySound)(sound, module, flags);
}

// A WAVE file of 8-bit mono samples at 8 kHz, all of one value.
std::string Wave(char sample, size_t count) {
  auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  return "RIFF" + le32(static_cast<uint32_t>(36 + count)) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(8000) +
         le32(8000) + le16(1) + le16(8) + "data" + le32(static_cast<uint32_t>(count)) + std::string(count, sample);
}

// The calling browser: what the bridge asked of it.
struct TRecordingBrowser final : TJsBrowser {
  std::vector<std::string> Calls;
  void ShowFindDialog() override { Calls.push_back("find"); }
  void PrintPreview() override { Calls.push_back("preview"); }
  void MinimizeApplication() override { Calls.push_back("minimize"); }
  void RestoreApplication() override { Calls.push_back("restore"); }
};

// The services' desktop without modal message boxes.
struct TQuietDesktop final : TSystemDesktop {
  std::vector<String>* Messages = nullptr;
  void ShowMessage(const String& text, const String&) override { Messages->push_back(text); }
};

// ---- The script engine's host.

// A window as the browser's script site offers it to a called object
// (SID_SHTMLWindow): here one whose document the host cannot read, so the
// caller is known by the browser object that shows it.
class TCallerWindow final : public IServiceProvider {
 public:
  explicit TCallerWindow(IWebBrowser2* browser) : FBrowser(browser) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IServiceProvider)) {
      *ppv = static_cast<IServiceProvider*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack, longer than the engine.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
    if (IsEqualGUID(service, IID_IWebBrowserApp)) return FBrowser->QueryInterface(riid, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
  }

 private:
  IWebBrowser2* FBrowser;
};

// The lines every script starts with: the checks record
// "name=<typeof result>:<result>", or "name=error:<message>".
constexpr char kPrelude[] = R"JS(
var ext = external, out = [];
var check = function (name, f) {
  try { var v = f(); out.push(name + '=' + typeof v + ':' + v); }
  catch (e) { out.push(name + '=error:' + e.message); }
};
)JS";

class ScriptBridgeWin32Test : public ::testing::Test {
 protected:
  ScriptBridgeWin32Test() {
    ::CreateDirectoryW(Wide(ExeDir()).c_str(), nullptr);
    WriteWholeFile(ExeDir() + u"beside.txt", "beside the program");
    std::vector<TZipTestEntry> entries;
    for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
             {"site/docs/readme.txt", "Read me from the site.\n"},
             {"site/media/a.wav", Wave('A', 1600)},
             {"site/media/b.wav", Wave('B', 800)},
             {"site/tools/inside.exe", ReadWholeFile(FromUtf8(LUMORA_RUN_PROBE_PATH))},
         }) {
      entries.push_back({.Name = name, .Data = data, .Password = TExeHtmlSite::kArchivePassword});
    }
    WriteWholeFile(Scratch.File(u"site.zip"), BuildZip(entries));
    Zip.SetPassword(TExeHtmlSite::kArchivePassword);
    Zip.SetFileName(Scratch.File(u"site.zip"));
    auto desktop = std::make_unique<TQuietDesktop>();
    desktop->Messages = &Messages;
    Services = std::make_unique<THostServices>(
        Zip, Temporal, THostServicesSettings{.AppRootDir = u"site", .Title = u"Bridge", .ExeDir = ExeDir()},
        [](TSaveDialogRequest&) { return false; }, std::move(desktop));
    MainForm = std::make_unique<TServicesMainForm>(*Services, u"Bridge");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Lumora Test");

    View = TBrowserView::Create(*Window);
    View->OnExternalCall = [this](int32_t ID, const std::vector<TJsValue>& Params, TJsValue& Result, TJsError& Error) {
      return TBrowserJs().ExecuteForScript(Browser, ID, Params, &Result, Error);
    };
    View->Navigate(u"lmp://site/index.html");
    PumpUntil([&] { return !Server.Requests.empty(); });
    const auto handler = Query<IDocHostUIHandler>(ClientSiteOf(HostOf()).Get(), IID_IDocHostUIHandler);
    handler->GetExternal(External.Receive());
    Site.External = External.Get();
  }
  ~ScriptBridgeWin32Test() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Lumora Test");
    Services.reset();  // stops the sound before the hook goes
  }

  TWebBrowserHost& HostOf() {
    return *reinterpret_cast<TWebBrowserHost*>(
        ::GetWindowLongPtrW(static_cast<HWND>(View->NativeHandle()), GWLP_USERDATA));
  }
  String ExeDir() const { return Scratch.File(u"exe") + u"\\"; }
  String Results() const { return Scratch.File(u"results.txt"); }

  // Runs script after the prelude and returns the lines it reported.
  // Errors the script did not catch go to *errors, else must not happen.
  std::vector<std::string> Run(const std::string& script, std::vector<std::string>* errors = nullptr) {
    {
      TJScriptEngine engine(Site);
      EXPECT_EQ(engine.Status(), S_OK);
      const std::string text =
          kPrelude + script + "\next.appWriteFile('" + JsQuoted(ToUtf8(Results())) + "', out.join('\\n'));\n";
      EXPECT_EQ(engine.Parse(text), S_OK);
      engine.Run();
    }  // closed, as a page's engine is before its results are read
    if (errors) {
      *errors = std::move(Site.Errors);
    } else {
      EXPECT_EQ(Site.Errors, std::vector<std::string>{});
    }
    Site.Errors.clear();
    // What appWriteFile wrote: a byte-order mark, lines ending in CR LF.
    const std::vector<std::string> lines =
        WrittenLines(FileExists(Results()) ? ReadWholeFile(Results()) : std::string());
    ::DeleteFileW(Wide(Results()).c_str());
    return lines;
  }

  TOleSession Ole;
  TScratchDir Scratch;
  TAbZipKit Zip;
  TTemporalFiles Temporal;
  std::vector<String> Messages;
  std::unique_ptr<THostServices> Services;
  std::unique_ptr<TServicesMainForm> MainForm;
  TLmpServer Server;
  std::unique_ptr<TFormWindow> Window = TFormWindow::Create();
  std::unique_ptr<TBrowserView> View;
  TRecordingBrowser Browser;
  TComPtr<IDispatch> External;
  TJScriptSite Site;
};

std::string RegistryText(const wchar_t* key, const wchar_t* name) {
  wchar_t value[256] = {};
  DWORD size = sizeof value;
  DWORD type = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, value, &size) != ERROR_SUCCESS) return "-";
  return (type == REG_SZ ? "sz:" : "other:") + ToUtf8(FromWide(value));
}

TEST_F(ScriptBridgeWin32Test, EveryFunctionAnswersTheScriptAsTheTableSays) {
  const std::string exe = ToUtf8(TCommandLineParams::ParamStr(0));
  const std::string count = std::to_string(TCommandLineParams::ParamCount());
  const DWORD number = 7;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Lumora Test\\Typed", L"number", REG_DWORD, &number,
                              sizeof number),
            ERROR_SUCCESS);
  std::vector<TSoundCall> sounds;
  const TImportHook hook("WINMM.dll", "PlaySoundW", reinterpret_cast<void*>(&RecordPlaySound));
  ASSERT_TRUE(hook.Original());
  RealPlaySound = hook.Original();
  SoundCalls = &sounds;
  const std::vector<std::string> lines = Run(R"JS(
check('hello', function () { return ext.SayHello('Ann'); });
check('hello0', function () { return ext.sayhello(); });
check('hello2', function () { return ext.SAYHELLO('a', 'b'); });
check('hellonumber', function () { return ext.SayHello(42.5); });
check('helloobject', function () { return ext.SayHello({ toString: function () { return 'obj'; } }); });
check('hellotrue', function () { return ext.SayHello(true); });
check('hellonull', function () { return ext.SayHello(null); });
check('runtime', function () { return ext.APPISRUNTIME(); });
check('runtimestrict', function () { return ext.appIsRuntime() === true; });
check('count', function () { return ext.appparamcount(); });
check('param0', function () { return ext.appParamStr(0); });
check('paramfar', function () { return ext.appParamStr(30000); });
check('paramneg', function () { return ext.appParamStr(-1); });
check('paramtext', function () { return ext.appParamStr('0'); });
check('param2', function () { return ext.appParamStr(0, 1); });
check('computer', function () { return ext.appComputerName() !== ''; });
check('user', function () { return ext.appUserName() !== ''; });
check('docs', function () { return /\\$/.test(ext.AppDocsDir()); });
check('exists', function () { return ext.appFileExists('beside.txt'); });
check('missing', function () { return ext.appFileExists('none.txt'); });
check('exists0', function () { return ext.appFileExists(); });
check('read', function () { return ext.appReadFile('docs/readme.txt').length; });
check('direxists', function () { return ext.appDirExists(ext.appDocsDir()); });
check('write1', function () { return ext.appWriteFile('alone.txt'); });
check('regwrite2', function () { return ext.appWriteReg('Software\\Lumora Test\\Two', 'a'); });
check('regwrite', function () { return ext.appWriteReg('Software\\Lumora Test\\Bridge', 7, { toString: function () { return 'seven'; } }); });
check('regread', function () { return ext.appReadReg('Software\\Lumora Test\\Bridge', '7'); });
check('regtyped', function () { return ext.appReadReg('Software\\Lumora Test\\Typed', 'number'); });
check('mkdirempty', function () { return ext.appCreateDir(''); });
check('unknown', function () { return ext.appNoSuchFunction(); });
check('find', function () { return ext.webFind(); });
check('preview', function () { return ext.WEBPREVIEW(1, 2, 3); });
var minimized = ext.appMinimize;
check('restore', function () { return ext.appRestore(); });
check('shell0', function () { return ext.appShellExec(); });
check('open0', function () { return ext.appOpenFile(); });
check('with1', function () { return ext.appOpenFileWith('x'); });
check('rm0', function () { return ext.appRemoveFile(); });
check('play', function () { return ext.appPlayWav('media/a.wav'); });
check('loop', function () { return ext.appPlayWav('media/b.wav', true); });
check('replace', function () { return ext.appPlayWav('/media/A.WAV', 0); });
check('play0', function () { return ext.appPlayWav(); });
check('play3', function () { return ext.appPlayWav('media/b.wav', 1, 2); });
check('stop', function () { return ext.appStopWav(); });
check('last', function () { return ext.appPlayWav('media/b.wav', -1); });
check('nosound', function () { return ext.appPlayWav('media/none.wav'); });
)JS");
  const std::vector<std::string> expected = {
      "hello=string:Hello Ann!",
      "hello0=string:Hello!",
      "hello2=string:Hello!",
      "hellonumber=string:Hello 42.5!",
      "helloobject=string:Hello obj!",
      "hellotrue=string:Hello true!",
      "hellonull=string:Hello !",
      "runtime=number:1",
      "runtimestrict=boolean:false",
      "count=string:" + count,
      "param0=string:" + exe,
      "paramfar=undefined:undefined",
      "paramneg=string:",
      "paramtext=string:" + exe,
      "param2=undefined:undefined",
      "computer=boolean:true",
      "user=boolean:true",
      "docs=boolean:true",
      "exists=number:1",
      "missing=number:0",
      "exists0=undefined:undefined",
      "read=number:23",
      "direxists=number:1",
      "write1=undefined:undefined",
      "regwrite2=undefined:undefined",
      "regwrite=number:1",
      "regread=string:seven",
      "regtyped=error:Invalid data type for 'number'",
      "mkdirempty=error:Unable to create directory",
      "unknown=error:Object doesn't support this property or method",
      "find=undefined:undefined",
      "preview=undefined:undefined",
      "restore=undefined:undefined",
      "shell0=undefined:undefined",
      "open0=undefined:undefined",
      "with1=undefined:undefined",
      "rm0=undefined:undefined",
      "play=undefined:undefined",
      "loop=undefined:undefined",
      "replace=undefined:undefined",
      "play0=undefined:undefined",
      "play3=undefined:undefined",
      "stop=undefined:undefined",
      "last=undefined:undefined",
      "nosound=undefined:undefined",
  };
  EXPECT_EQ(lines, expected);

  // Reading appMinimize without a call ran it; webFind and webPreview went
  // to the calling browser whatever their arguments.
  EXPECT_EQ(Browser.Calls, (std::vector<std::string>{"find", "preview", "minimize", "restore"}));
  EXPECT_FALSE(FileExists(ExeDir() + u"alone.txt"));
  EXPECT_EQ(RegistryText(L"Software\\Lumora Test\\Bridge", L"7"), "sz:seven");
  EXPECT_EQ(RegistryText(L"Software\\Lumora Test\\Two", L"a"), "-");
  EXPECT_EQ(Messages, std::vector<String>{});

  // The sounds reached PlaySoundW from memory, asynchronously, looping
  // when asked; each new sound came after a stop, and the last one still
  // plays from the services' buffer, which holds it unchanged.
  SoundCalls = nullptr;
  const DWORD once = SND_ASYNC | SND_MEMORY, loop = once | SND_LOOP;
  std::vector<std::string> seen;
  for (const TSoundCall& call : sounds) {
    seen.push_back(call.Buffer ? call.Tag + (call.Flags == loop   ? " loop"
                                             : call.Flags == once ? " once"
                                                                  : " ?")
                               : std::string("stop"));
  }
  // (The services stop the sound before they touch the buffer, and the
  // playing call stops again before it starts; appStopWav is one stop.)
  EXPECT_EQ(seen, (std::vector<std::string>{"stop", "stop", "A once", "stop", "stop", "B loop", "stop", "stop",
                                            "A once", "stop", "stop", "stop", "B loop"}));
  ASSERT_FALSE(sounds.empty());
  EXPECT_EQ(sounds.back().Buffer, Services->LastSound().Memory());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Services->LastSound().Memory()), 44 + 800).substr(44),
            std::string(800, 'B'));
}

// The cases of tests/fixtures/services, which the Linux end-to-end test
// runs in a packed page, here on Wine's registry and file system.
TEST_F(ScriptBridgeWin32Test, TheSharedServiceCasesAnswerAsOnLinux) {
  const std::string fixtures = LUMORA_FIXTURES_DIR "/services/";
  const std::vector<std::string> lines =
      Run("var base = '" + JsQuoted(ToUtf8(Scratch.Path()) + "\\") + "';\n" +
          "var path = function (name) { return base + name.split('/').join('\\\\'); };\n" +
          ReadWholeFile(FromUtf8(fixtures + "cases.js")));
  std::vector<std::string> expected;
  std::istringstream in(ReadWholeFile(FromUtf8(fixtures + "expected.txt")));
  for (std::string line; std::getline(in, line);) expected.push_back(line);
  EXPECT_EQ(lines, expected);

  EXPECT_FALSE(DirectoryExists(Scratch.File(u"made")));
  EXPECT_EQ(ReadWholeFile(ExeDir() + u"written.txt"),
            "\xEF\xBB\xBF"
            "bare name\r\n");
  EXPECT_EQ(RegistryText(L"Software\\Lumora Test\\Kept", L"kept"), "sz:yes");
  HKEY page = nullptr;
  EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Lumora Test\\Page", 0, KEY_READ, &page),
            ERROR_FILE_NOT_FOUND);
}

// Only documents of the site reach the program: the browser must show a
// site page, and a call whose engine names its calling window (a frame)
// must come from a site document too. Wine's JScript hands each call a
// caller but does not yet pass its service requests on to the script site
// (JSCaller_QueryService is a stub in Wine 8), so the calls with a named
// caller are made here as the browser's engine makes them: InvokeEx with
// the script site's service provider.
TEST_F(ScriptBridgeWin32Test, CallsFromDocumentsOfOtherOriginsAreRefused) {
  const std::unique_ptr<TFormWindow> frameWindow = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> frameOwner = TBrowserView::Create(*frameWindow);
  TBrowserView& frame = *frameOwner;
  const auto frameBrowser = [&] {
    const auto window = static_cast<HWND>(frame.NativeHandle());
    return reinterpret_cast<TWebBrowserHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA))->Browser();
  }();
  TCallerWindow caller(frameBrowser.Get());
  const auto external = Query<IDispatchEx>(External.Get(), kIidDispatchEx);
  ASSERT_TRUE(external);
  // SayHello("frame") from the caller the site names: its text, or the
  // call's failure code.
  const auto call = [&](IUnknown* window) {
    Site.Window = window;
    VARIANT argument;
    argument.vt = VT_BSTR;
    argument.bstrVal = ::SysAllocString(L"frame");
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    TVariant result;
    const HRESULT hr = external->InvokeEx(kJsSayHello, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.Get(),
                                          nullptr, static_cast<IServiceProvider*>(&Site));
    ::VariantClear(&argument);
    Site.Window = nullptr;
    return hr == S_OK ? ToUtf8(VariantText(*result)) : "failed " + std::to_string(hr);
  };
  const std::string refused = "failed " + std::to_string(DISP_E_MEMBERNOTFOUND);

  frame.Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] {
    TBstr url;
    frameBrowser->get_LocationURL(url.Receive());
    return url.Text() == u"about:blank";
  }));
  EXPECT_EQ(call(&caller), refused);
  EXPECT_EQ(call(nullptr), "Hello frame!");  // no window named: the top page decides

  frame.Navigate(u"lmp://site/frame.html");
  ASSERT_TRUE(PumpUntil([&] { return Server.Requests.size() >= 2; }));
  EXPECT_EQ(call(&caller), "Hello frame!");

  // A top page of another origin: the script finds no function, and a call
  // by identifier is refused, whoever makes it.
  View->Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return HostOf().LocationURL() == u"about:blank"; }));
  EXPECT_EQ(call(&caller), refused);
  EXPECT_EQ(call(nullptr), refused);
  std::vector<std::string> errors;
  EXPECT_EQ(Run("out.push(ext.SayHello('top'));", &errors), std::vector<std::string>{});
  EXPECT_EQ(errors, std::vector<std::string>{"Object doesn't support this property or method"});
}

// What pages open and run goes through ShellExecuteW for real: a program
// beside the program started with its argument, appShellExec's last
// argument, a program of the site from its temporary copy. Each run of the
// probe program appends "path ..." and its "arg ..." lines to a log.
TEST_F(ScriptBridgeWin32Test, PagesRunProgramsThroughTheShell) {
  WriteWholeFile(ExeDir() + u"tool.exe", ReadWholeFile(FromUtf8(LUMORA_RUN_PROBE_PATH)));
  const String log = Scratch.File(u"ran.log");
  const TScopedEnv logged("LUMORA_RUN_PROBE_LOG", ToUtf8(log));
  const std::string tool = JsQuoted(ToUtf8(ExeDir() + u"tool.exe"));
  EXPECT_EQ(
      Run("check('with', function () { return ext.appOpenFileWith('tool.exe', 'beside.txt'); });\n"
          "check('shell', function () { return ext.appShellExec('ignored', '" +
          tool +
          "'); });\n"
          "check('open', function () { return ext.appOpenFile('tools/inside.exe'); });\n"),
      (std::vector<std::string>{"with=undefined:undefined", "shell=undefined:undefined", "open=undefined:undefined"}));

  // The runs, each "path" line with the "arg" lines after it, in any order.
  std::vector<std::string> runs;
  const auto read = [&] {
    runs.clear();
    std::istringstream in(FileExists(log) ? ReadWholeFile(log) : std::string());
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("path ", 0) == 0) {
        runs.push_back(line);
      } else if (!runs.empty()) {
        runs.back() += " | " + line;
      }
    }
    std::sort(runs.begin(), runs.end());
    return runs.size() >= 3;
  };
  ASSERT_TRUE(PumpUntil(read, std::chrono::seconds(20))) << runs.size() << " runs";
  ASSERT_EQ(Temporal.Files().size(), 1u);
  const String copy = Temporal.Files().front();
  std::vector<std::string> expected = {
      "path " + ToUtf8(ExeDir()) + "tool.exe",
      "path " + ToUtf8(ExeDir()) + "tool.exe | arg " + ToUtf8(ExeDir()) + "beside.txt",
      "path " + ToUtf8(copy),
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(runs, expected);
  EXPECT_EQ(ToUtf8(copy).substr(ToUtf8(copy).size() - 4), ".exe");
}

}  // namespace
}  // namespace lumora::test
