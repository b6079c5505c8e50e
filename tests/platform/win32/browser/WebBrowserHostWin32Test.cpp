// The browser component really hosts the WebBrowser control (Wine's ieframe
// here, with the real URL moniker layer): a navigation reaches our protocol
// handler with exactly its lmp URL, BeforeNavigate2 can cancel it, the
// document host answers as the browser form asks, window.external's names
// reach the function table, and closing releases every COM object.
#include <gtest/gtest.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <olectl.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <shobjidl.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/bridge/BrowserJs.h"
#include "core/bridge/JsConstants.h"
#include "core/browser/BrowserSettings.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"
#include "base/Exception.h"
#include "core/HandlerGuard.h"
#include "base/Stream.h"
#include "platform/OleSession.h"
#include "os/win32/WindowClass.h"
#include "platform/win32/browser/ComObject.h"
#include "platform/win32/browser/CommandGroups.h"
#include "platform/win32/browser/Variant.h"
#include "platform/win32/browser/WebBrowserHost.h"
#include "platform/win32/browser/InternetProtocolHandler.h"
#include "support/win32/BrowserTestSupport.h"

namespace lumora::test {
namespace {

// The errors handed to the handler-error presenter while it lives.
struct TPresentedErrors {
  TPresentedErrors() {
    SetHandlerErrorPresenter([this](const std::exception& Error) { Texts.emplace_back(Error.what()); });
  }
  ~TPresentedErrors() { SetHandlerErrorPresenter(nullptr); }
  TPresentedErrors(const TPresentedErrors&) = delete;
  TPresentedErrors& operator=(const TPresentedErrors&) = delete;
  std::vector<std::string> Texts;
};

class WebBrowserHostWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ObjectsBefore = TComObject::LiveCount();
    HandlersBefore = TInternetProtocolHandler::LiveCount();
    Server = std::make_unique<TLmpServer>();
    Parent = MakeParentWindow();
    Host = std::make_unique<TWebBrowserHost>(Parent.get());
  }
  void TearDown() override {
    Host.reset();
    Parent.reset();
    Server.reset();
    // The host's objects and the URL layer's handlers are all gone.
    EXPECT_EQ(TComObject::LiveCount(), ObjectsBefore);
    EXPECT_EQ(TInternetProtocolHandler::LiveCount(), HandlersBefore);
  }

  long ObjectsBefore = 0;
  long HandlersBefore = 0;
  TOleSession Ole;
  std::unique_ptr<TLmpServer> Server;
  std::vector<String>& Requests() { return Server->Requests; }
  TWindowHandle Parent;
  std::unique_ptr<TWebBrowserHost> Host;
};

TEST_F(WebBrowserHostWin32Test, NavigationAsksTheProtocolHandlerForExactlyThatUrl) {
  std::vector<String> navigations;
  Host->Events.OnBeforeNavigate2 = [&](const String& URL, const String&, bool, bool&) { navigations.push_back(URL); };
  Host->Navigate(u"lmp://site/pages/about.html?x=1");
  ASSERT_TRUE(PumpUntil([&] { return !Requests().empty(); }));
  EXPECT_EQ(navigations, std::vector<String>{u"lmp://site/pages/about.html?x=1"});
  // The registry hands the handler what follows the scheme's colon.
  EXPECT_EQ(Requests(), std::vector<String>{u"//site/pages/about.html?x=1"});
}

// The mouse's back and forward buttons and the keyboard's Back and Forward
// keys reach the window as application commands, which the control leaves
// to its parent: the host takes them (and steps through the history: Wine's
// control, without its HTML engine, keeps none to step through).
TEST_F(WebBrowserHostWin32Test, BackAndForwardCommandsAreTheBrowsers) {
  for (const char16_t* page : {u"lmp://site/a.html", u"lmp://site/b.html"}) {
    Host->Navigate(page);
    ASSERT_TRUE(PumpUntil([&] { return Host->LocationURL() == page; }));
  }
  const auto command = [&](int which, WORD device) {
    return ::SendMessageW(Host->Handle(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(Host->Handle()),
                          MAKELPARAM(0, which | device));
  };
  EXPECT_EQ(command(APPCOMMAND_BROWSER_BACKWARD, FAPPCOMMAND_MOUSE), TRUE);
  EXPECT_EQ(command(APPCOMMAND_BROWSER_FORWARD, FAPPCOMMAND_KEY), TRUE);
  // Other commands are not the browser's: they go on to the form.
  EXPECT_EQ(command(APPCOMMAND_VOLUME_UP, FAPPCOMMAND_KEY), FALSE);
}

TEST_F(WebBrowserHostWin32Test, BeforeNavigate2CancelStopsTheNavigation) {
  std::vector<String> navigations;
  Host->Events.OnBeforeNavigate2 = [&](const String& URL, const String&, bool, bool& Cancel) {
    navigations.push_back(URL);
    Cancel = URL.ends_with(u".zip");
  };
  Host->Navigate(u"lmp://site/files/big.zip");
  ASSERT_TRUE(PumpUntil([&] { return navigations.size() == 1; }));
  // A navigation let through afterwards is served; the cancelled one never was.
  Host->Navigate(u"lmp://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Requests().empty(); }));
  EXPECT_EQ(navigations, (std::vector<String>{u"lmp://site/files/big.zip", u"lmp://site/index.html"}));
  EXPECT_EQ(Requests(), std::vector<String>{u"//site/index.html"});
}

// An error raised by an event handler is shown (the presenter) and stays
// out of the control: a navigation whose check failed is not made, whether
// or not the handler had cancelled it, and the browser goes on serving the
// next one.
TEST_F(WebBrowserHostWin32Test, AnErrorInAnEventHandlerIsPresentedAndGoesNoFurther) {
  const TPresentedErrors presented;
  Host->Events.OnBeforeNavigate2 = [&](const String& URL, const String&, bool, bool& Cancel) {
    if (URL.ends_with(u"big.zip")) Cancel = true;
    if (URL.ends_with(u".zip")) throw Exception(u"Cannot create file \"C:\\nowhere\\big.zip\"");
  };
  Host->Navigate(u"lmp://site/files/big.zip");
  ASSERT_TRUE(PumpUntil([&] { return presented.Texts.size() == 1; }));
  Host->Navigate(u"lmp://site/files/other.zip");
  ASSERT_TRUE(PumpUntil([&] { return presented.Texts.size() == 2; }));
  Host->Navigate(u"lmp://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Requests().empty(); }));
  EXPECT_EQ(presented.Texts, std::vector<std::string>(2, "Cannot create file \"C:\\nowhere\\big.zip\""));
  EXPECT_EQ(Requests(), std::vector<String>{u"//site/index.html"});
}

TEST_F(WebBrowserHostWin32Test, DocumentHostAnswersAsTheFormAsks) {
  const auto handler = Query<IDocHostUIHandler>(ClientSiteOf(*Host).Get(), IID_IDocHostUIHandler);
  ASSERT_TRUE(handler);
  for (const bool allowSelect : {false, true}) {
    Host->SetHostFlags(BrowserHostFlags(allowSelect));
    DOCHOSTUIINFO info{};
    ASSERT_EQ(handler->GetHostInfo(&info), S_OK);
    // The structure's size for this pointer size: two pointers follow three
    // 32-bit fields.
    EXPECT_EQ(info.cbSize, sizeof(void*) == 8 ? 32u : 20u);
    EXPECT_EQ(info.dwFlags, allowSelect ? 0x100006u : 0x100007u);
    EXPECT_EQ(info.dwDoubleClick, 0u);
  }

  // No context menu: handled, nothing shown.
  POINT point{10, 10};
  EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr), S_OK);

  // Drops are refused.
  TComPtr<IDropTarget> target;
  ASSERT_EQ(handler->GetDropTarget(nullptr, target.Receive()), S_OK);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  EXPECT_EQ(target->DragEnter(nullptr, 0, POINTL{1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(nullptr, 0, POINTL{1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));

  // The script-error prompt: handled with scripts going on, or left to the
  // control.
  const auto commands = Query<IOleCommandTarget>(ClientSiteOf(*Host).Get(), IID_IOleCommandTarget);
  ASSERT_TRUE(commands);
  Host->SetScriptErrorsHandled(true);
  TVariant goOn;
  EXPECT_EQ(commands->Exec(&kCgidDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, goOn.Get()), S_OK);
  EXPECT_EQ((*goOn).vt, VT_BOOL);
  EXPECT_EQ((*goOn).boolVal, VARIANT_TRUE);
  Host->SetScriptErrorsHandled(false);
  TVariant untouched;
  EXPECT_NE(commands->Exec(&kCgidDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, untouched.Get()), S_OK);
  EXPECT_EQ((*untouched).vt, VT_EMPTY);
  EXPECT_EQ(commands->Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr),
            static_cast<HRESULT>(OLECMDERR_E_UNKNOWNGROUP));
}

TEST_F(WebBrowserHostWin32Test, ExternalNameLookupReachesTheFunctionTable) {
  const TBrowserJs bridge;
  Host->Events.OnGetIDsOfNames = [&](const String& name) { return bridge.FunctionIDByName(name); };
  std::vector<TJsValue> received;
  int calls = 0;
  Host->Events.OnInvoke = [&](int32_t ID, const TExternalCaller&, const std::vector<TJsValue>& Params, TJsValue& Result,
                              TJsError& Error) {
    ++calls;
    received = Params;
    if (ID == kJsAppReadFile) {
      Result = TJsValue::Text(u"contents");
      return TExternalOutcome::Done;
    }
    if (ID == kJsAppMinimize) return TExternalOutcome::Done;
    Error = {u"EFOpenError", u"Cannot open file \"x\"."};
    return TExternalOutcome::Raised;
  };

  auto handler = Query<IDocHostUIHandler>(ClientSiteOf(*Host).Get(), IID_IDocHostUIHandler);
  ASSERT_TRUE(handler);
  TComPtr<IDispatch> external;
  ASSERT_EQ(handler->GetExternal(external.Receive()), S_OK);
  ASSERT_TRUE(external);

  struct Case {
    const wchar_t* Name;
    HRESULT Result;
    DISPID ID;
  } cases[] = {
      {L"appReadFile", S_OK, kJsAppReadFile},
      {L"APPREADFILE", S_OK, kJsAppReadFile},
      {L"SayHello", S_OK, kJsSayHello},
      {L"appReadFileX", E_NOTIMPL, DISPID_UNKNOWN},
      {L"appReadFile ", E_NOTIMPL, DISPID_UNKNOWN},
      {L"", E_NOTIMPL, DISPID_UNKNOWN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "name index " << (&c - cases));
    LPOLESTR names[] = {const_cast<LPOLESTR>(c.Name)};
    DISPID id = 12345;
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), c.Result);
    EXPECT_EQ(id, c.ID);
  }

  // A call: the arguments as the script engine gives them (last first), the
  // result back as a string.
  VARIANT arguments[2];
  ::VariantInit(&arguments[0]);
  arguments[0].vt = VT_I4;
  arguments[0].lVal = 7;
  ::VariantInit(&arguments[1]);
  arguments[1].vt = VT_BOOL;
  arguments[1].boolVal = VARIANT_TRUE;
  DISPPARAMS parameters{arguments, nullptr, 2, 0};
  TVariant result;
  EXCEPINFO error{};
  ASSERT_EQ(external->Invoke(kJsAppReadFile, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.Get(),
                             &error, nullptr),
            S_OK);
  EXPECT_EQ(received, (std::vector<TJsValue>{TJsValue::Number(7), TJsValue::Boolean(true)}));
  EXPECT_EQ(VariantText(*result), u"contents");

  // A function that raised: the script sees its class and message.
  ASSERT_EQ(external->Invoke(kJsAppWriteFile, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr,
                             &error, nullptr),
            DISP_E_EXCEPTION);
  TBstr source, description;
  *source.Receive() = error.bstrSource;
  *description.Receive() = error.bstrDescription;
  EXPECT_EQ(error.wCode, 9999);
  EXPECT_EQ(error.scode, 0);
  EXPECT_EQ(source.Text(), u"EFOpenError");
  EXPECT_EQ(description.Text(), u"Cannot open file \"x\".");

  // A function without a result leaves the caller's variant as it was.
  TVariant kept;
  (*kept.Get()).vt = VT_I4;
  (*kept.Get()).lVal = 5;
  ASSERT_EQ(external->Invoke(kJsAppMinimize, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &parameters,
                             kept.Get(), nullptr, nullptr),
            S_OK);
  EXPECT_EQ((*kept).lVal, 5);

  // The ambient properties the control asks for are answered without the
  // bridge, by window.external and by the site's own dispatch alike.
  const int callsBefore = calls;
  auto siteDispatch = Query<IDispatch>(ClientSiteOf(*Host).Get(), IID_IDispatch);
  ASSERT_TRUE(siteDispatch);
  for (IDispatch* dispatch : {external.Get(), siteDispatch.Get()}) {
    DISPPARAMS none{};
    TVariant flags, userMode;
    ASSERT_EQ(dispatch->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, flags.Get(), nullptr,
                               nullptr),
              S_OK);
    EXPECT_EQ((*flags).vt, VT_I4);
    EXPECT_EQ((*flags).lVal, DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS);
    ASSERT_EQ(dispatch->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, userMode.Get(),
                               nullptr, nullptr),
              S_OK);
    EXPECT_EQ((*userMode).boolVal, VARIANT_TRUE);
  }
  EXPECT_EQ(calls, callsBefore);
  siteDispatch.Reset();

  // A page that kept window.external past the browser's close finds
  // nothing behind it, and its reference is the last.
  handler.Reset();
  Host->Close();
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"appReadFile")};
  DISPID id = 0;
  EXPECT_EQ(external->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), E_NOTIMPL);
  EXPECT_EQ(TComObject::LiveCount(), ObjectsBefore + 1);
}

// An object argument: reading its default value (as turning it into text
// does) runs Read, the way a page's toString runs the page's script.
class TScriptObject final : public TComObject, public IDispatch {
 public:
  static TComPtr<TScriptObject> Create(std::function<void()> read) {
    return TComPtr<TScriptObject>::Adopt(new TScriptObject(std::move(read)));
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
      return HandOut(static_cast<IDispatch*>(this), ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  LUMORA_COM_REFCOUNT
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
    ++Reads;
    if (FRead) FRead();
    if (id != DISPID_VALUE || !result) return DISP_E_MEMBERNOTFOUND;
    result->vt = VT_BSTR;
    result->bstrVal = ::SysAllocString(L"object text");
    return S_OK;
  }
  int Reads = 0;

 private:
  explicit TScriptObject(std::function<void()> read) : FRead(std::move(read)) {}
  std::function<void()> FRead;
};

TEST_F(WebBrowserHostWin32Test, ExternalJudgesTheCallerBeforeReadingArgumentsAndSurvivesAClose) {
  bool allowed = false;
  int judged = 0, calls = 0;
  Host->Events.OnMayInvoke = [&](const TExternalCaller&) {
    ++judged;
    return allowed;
  };
  Host->Events.OnInvoke = [&](int32_t, const TExternalCaller&, const std::vector<TJsValue>&, TJsValue&, TJsError&) {
    ++calls;
    return TExternalOutcome::Done;
  };
  TComPtr<IDispatch> external;
  {
    auto handler = Query<IDocHostUIHandler>(ClientSiteOf(*Host).Get(), IID_IDocHostUIHandler);
    ASSERT_TRUE(handler);
    ASSERT_EQ(handler->GetExternal(external.Receive()), S_OK);
  }
  auto callWith = [&](IDispatch* object) {
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = object;
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    return external->Invoke(kJsAppReadFile, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr,
                            nullptr, nullptr);
  };

  // A refused caller: its argument is never read, the program never called.
  auto untouched = TScriptObject::Create(nullptr);
  EXPECT_EQ(callWith(untouched.Get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(judged, 1);
  EXPECT_EQ(untouched->Reads, 0);
  EXPECT_EQ(calls, 0);

  // Allowed, the argument's script closes the browser: the call finds no
  // one to call and ends without touching what is gone.
  allowed = true;
  auto closing = TScriptObject::Create([&] { Host->Close(); });
  EXPECT_EQ(callWith(closing.Get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(closing->Reads, 1);
  EXPECT_EQ(calls, 0);
  untouched.Reset();
  closing.Reset();
  external.Reset();
}

TEST_F(WebBrowserHostWin32Test, EventSinkMapsTheControlsEvents) {
  const TComPtr<IDispatch> sink = EventSinkOf(*Host);
  ASSERT_TRUE(sink);
  std::vector<std::pair<const char*, int>> seen;
  Host->Events.OnWindowSetLeft = [&](int value) { seen.emplace_back("left", value); };
  Host->Events.OnWindowSetTop = [&](int value) { seen.emplace_back("top", value); };
  Host->Events.OnWindowSetWidth = [&](int value) { seen.emplace_back("width", value); };
  Host->Events.OnWindowSetHeight = [&](int value) { seen.emplace_back("height", value); };
  Host->Events.OnWindowSetResizable = [&](bool value) { seen.emplace_back("resizable", value); };
  Host->Events.OnWindowClosing = [&](bool IsChildWindow, bool& Cancel) {
    seen.emplace_back("closing", IsChildWindow);
    Cancel = true;
  };
  int windows = 0;
  std::vector<std::tuple<bool, String, bool>> requests;
  Host->Events.OnNewWindow = [&](const TNewWindowRequest& Request, bool&) -> IDispatch* {
    ++windows;
    requests.emplace_back(Request.Described, Request.OpenerURL, Request.UserAction);
    return Host->Application().Detach();
  };

  auto invoke = [&](DISPID id, std::vector<VARIANT> lastFirst) {
    DISPPARAMS parameters{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
    return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
  };
  auto number = [](long value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  };
  auto flag = [](bool value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  };
  for (const DISPID id : {DISPID_WINDOWSETLEFT, DISPID_WINDOWSETTOP, DISPID_WINDOWSETWIDTH, DISPID_WINDOWSETHEIGHT}) {
    EXPECT_EQ(invoke(id, {number(100 + id)}), S_OK);
  }
  EXPECT_EQ(invoke(DISPID_WINDOWSETRESIZABLE, {flag(false)}), S_OK);

  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT cancelOut;
  ::VariantInit(&cancelOut);
  cancelOut.vt = VT_BYREF | VT_BOOL;
  cancelOut.pboolVal = &cancel;
  EXPECT_EQ(invoke(DISPID_WINDOWCLOSING, {cancelOut, flag(true)}), S_OK);
  EXPECT_EQ(cancel, VARIANT_TRUE);

  const std::vector<std::pair<const char*, int>> expected = {{"left", 100 + DISPID_WINDOWSETLEFT},
                                                             {"top", 100 + DISPID_WINDOWSETTOP},
                                                             {"width", 100 + DISPID_WINDOWSETWIDTH},
                                                             {"height", 100 + DISPID_WINDOWSETHEIGHT},
                                                             {"resizable", 0},
                                                             {"closing", 1}};
  EXPECT_EQ(seen, expected);

  // BeforeNavigate2 hands on the URL, the request's extra headers (the
  // Referer) and whether the host's own browser navigates (not a frame's),
  // and the handler's Cancel comes back to the control.
  std::vector<std::tuple<String, String, bool>> navigations;
  Host->Events.OnBeforeNavigate2 = [&](const String& URL, const String& Headers, bool TopLevel, bool& Cancel) {
    navigations.emplace_back(URL, Headers, TopLevel);
    Cancel = URL.ends_with(u".exe");
  };
  const auto top = Query<IDispatch>(Host->Browser().Get(), IID_IDispatch);
  EXPECT_TRUE(RaiseBeforeNavigate2(sink.Get(), u"lmp://site/x.exe", u"Referer: lmp://site/index.html\r\n"));
  EXPECT_FALSE(RaiseBeforeNavigate2(sink.Get(), u"lmp://site/a.html", u"", top.Get()));
  EXPECT_FALSE(RaiseBeforeNavigate2(sink.Get(), u"lmp://site/f.html", u"", sink.Get()));
  const std::vector<std::tuple<String, String, bool>> expectedNavigations = {
      {u"lmp://site/x.exe", u"Referer: lmp://site/index.html\r\n", false},
      {u"lmp://site/a.html", u"", true},
      {u"lmp://site/f.html", u"", false}};
  EXPECT_EQ(navigations, expectedNavigations);

  // NewWindow2 gives the browser that is to show the page; a NewWindow3
  // for the same request finds it given and opens no second window.
  IDispatch* target = nullptr;
  VARIANT targetOut;
  ::VariantInit(&targetOut);
  targetOut.vt = VT_BYREF | VT_DISPATCH;
  targetOut.ppdispVal = &target;
  cancel = VARIANT_FALSE;
  EXPECT_EQ(invoke(DISPID_NEWWINDOW2, {cancelOut, targetOut}), S_OK);
  EXPECT_EQ(windows, 1);
  ASSERT_NE(target, nullptr);
  TBstr url(u"lmp://site/popup.html"), context(u"lmp://site/index.html");
  VARIANT urlArgument, contextArgument;
  ::VariantInit(&urlArgument);
  urlArgument.vt = VT_BSTR;
  urlArgument.bstrVal = url.Get();
  ::VariantInit(&contextArgument);
  contextArgument.vt = VT_BSTR;
  contextArgument.bstrVal = context.Get();
  EXPECT_EQ(invoke(DISPID_NEWWINDOW3, {urlArgument, contextArgument, number(0), cancelOut, targetOut}), S_OK);
  EXPECT_EQ(windows, 1);
  EXPECT_EQ(cancel, VARIANT_FALSE);
  target->Release();

  // Without a browser given, NewWindow3 hands on who asks and whether the
  // user did (the user's flags, not the others); a handler's refusal, or
  // its failure, cancels the request.
  target = nullptr;
  EXPECT_EQ(invoke(DISPID_NEWWINDOW3,
                   {urlArgument, contextArgument, number(NWMF_USERINITED | NWMF_FIRST), cancelOut, targetOut}),
            S_OK);
  ASSERT_NE(target, nullptr);
  target->Release();
  target = nullptr;
  EXPECT_EQ(invoke(DISPID_NEWWINDOW3, {urlArgument, contextArgument, number(NWMF_FIRST), cancelOut, targetOut}), S_OK);
  ASSERT_NE(target, nullptr);
  target->Release();
  target = nullptr;
  const std::vector<std::tuple<bool, String, bool>> expectedRequests = {
      {false, u"", false}, {true, u"lmp://site/index.html", true}, {true, u"lmp://site/index.html", false}};
  EXPECT_EQ(requests, expectedRequests);
  EXPECT_EQ(cancel, VARIANT_FALSE);
  Host->Events.OnNewWindow = [](const TNewWindowRequest&, bool& Cancel) -> IDispatch* {
    Cancel = true;
    return nullptr;
  };
  EXPECT_EQ(invoke(DISPID_NEWWINDOW3, {urlArgument, contextArgument, number(0), cancelOut, targetOut}), S_OK);
  EXPECT_EQ(cancel, VARIANT_TRUE);
  cancel = VARIANT_FALSE;
  const TPresentedErrors presented;
  Host->Events.OnNewWindow = [](const TNewWindowRequest&, bool&) -> IDispatch* { throw Exception(u"no window"); };
  EXPECT_EQ(invoke(DISPID_NEWWINDOW2, {cancelOut, targetOut}), S_OK);
  EXPECT_EQ(cancel, VARIANT_TRUE);
  EXPECT_EQ(presented.Texts, std::vector<std::string>{"no window"});
  EXPECT_EQ(target, nullptr);
}

TEST_F(WebBrowserHostWin32Test, WithoutAPageScriptCallsAndCommandsDoNothing) {
  const TScriptValue value = Host->ExecScriptEx(u"appCanClose", {0});
  EXPECT_EQ(value.Kind, TScriptValue::TKind::Empty);
  Host->ShowFindDialog();
  Host->PrintPreview();
  EXPECT_TRUE(Host->Application());
}

TEST_F(WebBrowserHostWin32Test, ClosingReleasesEveryObjectAndIsRepeatable) {
  Host->Navigate(u"lmp://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Requests().empty(); }));
  EXPECT_GT(TComObject::LiveCount(), ObjectsBefore);
  Host->Close();
  EXPECT_EQ(Host->Handle(), nullptr);
  EXPECT_FALSE(Host->Browser());
  EXPECT_EQ(TComObject::LiveCount(), ObjectsBefore);
  Host->Close();
  Host->Navigate(u"lmp://site/other.html");
  EXPECT_EQ(Host->ExecScriptEx(u"appCanClose", {0}).Kind, TScriptValue::TKind::Empty);
}

}  // namespace
}  // namespace lumora::test

namespace lumora::test {
namespace {

// Holds the thread's keyboard state with the given keys down, and puts the
// old one back.
class TKeysDown {
 public:
  explicit TKeysDown(std::initializer_list<int> keys) {
    ::GetKeyboardState(FSaved);
    BYTE state[256];
    std::copy(std::begin(FSaved), std::end(FSaved), state);
    for (const int key : {VK_CONTROL, VK_SHIFT, VK_MENU}) state[key] = 0;
    for (const int key : keys) state[key] = 0x80;
    ::SetKeyboardState(state);
  }
  ~TKeysDown() { ::SetKeyboardState(FSaved); }

 private:
  BYTE FSaved[256];
};

TEST_F(WebBrowserHostWin32Test, KeysForTheControlRaiseOnKeyDownAndCtrlYIsSwallowed) {
  std::vector<int> keys;
  Host->Events.OnKeyDown = [&](int Key) { keys.push_back(Key); };
  auto keyDown = [&](HWND window, int key) {
    MSG message{window, WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
    return Host->TranslateAccelerator(message);
  };

  {
    const TKeysDown none({});
    keyDown(Host->Handle(), VK_ESCAPE);
  }
  {
    const TKeysDown ctrl({VK_CONTROL});
    EXPECT_TRUE(keyDown(Host->Handle(), 'Y'));
    keyDown(Host->Handle(), 'Z');
  }
  {
    const TKeysDown ctrlShift({VK_CONTROL, VK_SHIFT});
    keyDown(Host->Handle(), 'Y');
  }
  // A key for a window outside the browser is not the browser's.
  EXPECT_FALSE(keyDown(Parent.get(), VK_ESCAPE));
  EXPECT_EQ(keys, (std::vector<int>{VK_ESCAPE, 'Z', 'Y'}));

  // Escape may close the window, and the browser with it.
  Host->Events.OnKeyDown = [&](int) { Host->Close(); };
  const TKeysDown none({});
  EXPECT_TRUE(keyDown(Host->Handle(), VK_ESCAPE));
  EXPECT_EQ(TComObject::LiveCount(), ObjectsBefore);
}

// Escape closing the main form destroys its browser view, and this host with
// it, while the host is still inside TranslateAccelerator. The host lives in
// storage of the test's own, filled with garbage once the host is gone, so a
// read of the host after the handler sees what freed memory would hold.
TEST_F(WebBrowserHostWin32Test, AHostDestroyedByItsKeyHandlerIsNotTouchedAgain) {
  alignas(TWebBrowserHost) std::byte storage[sizeof(TWebBrowserHost)];
  auto* host = std::construct_at(reinterpret_cast<TWebBrowserHost*>(storage), Parent.get());
  const HWND window = host->Handle();
  int calls = 0;
  host->Events.OnKeyDown = [&](int) {
    ++calls;
    std::destroy_at(host);
    std::fill(std::begin(storage), std::end(storage), std::byte{0xA5});
  };
  const TKeysDown none({});
  MSG message{window, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_TRUE(host->TranslateAccelerator(message));
  EXPECT_EQ(calls, 1);
}

// A key handler's error is presented like every other event's; the key is
// still the browser's.
TEST_F(WebBrowserHostWin32Test, AnErrorInTheKeyHandlerIsPresented) {
  const TPresentedErrors presented;
  Host->Events.OnKeyDown = [](int) { throw Exception(u"Entry is damaged"); };
  const TKeysDown none({});
  MSG message{Host->Handle(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_NO_THROW(Host->TranslateAccelerator(message));
  EXPECT_EQ(presented.Texts, std::vector<std::string>{"Entry is damaged"});
}

}  // namespace
}  // namespace lumora::test
