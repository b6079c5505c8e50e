#include "platform/win32/browser/WebBrowserHost.h"

#include <exdisp.h>
#include <mshtmcid.h>
#include <mshtml.h>

#include <cwchar>
#include <iterator>

#include "core/Exception.h"
#include "core/HandlerGuard.h"
#include "core/browser/BrowserSettings.h"
#include "core/os/File.h"
#include "os/win32/WideString.h"
#include "platform/win32/browser/BrowserEventSink.h"
#include "platform/win32/browser/BrowserSite.h"
#include "platform/win32/browser/CommandGroups.h"
#include "platform/win32/browser/ExternalDispatch.h"
#include "platform/win32/browser/ScriptCall.h"
#include "platform/win32/browser/Variant.h"

namespace lumora {

namespace {

constexpr wchar_t kWindowClass[] = L"LumoraWebBrowserHost";

HINSTANCE ModuleInstance() { return ::GetModuleHandleW(nullptr); }

VARIANT_BOOL VariantBoolOf(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

[[noreturn]] void RaiseComError(const String& what, HRESULT result) {
  throw Exception(what + u": " + SysErrorMessage(static_cast<uint32_t>(result)));
}

bool KeyIsDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

}  // namespace

TWebBrowserHost::TWebBrowserHost(HWND parent) {
  RegisterWindowClass(kWindowClass, &TWebBrowserHost::WindowProc,
                      {.Cursor = ::LoadCursorW(nullptr, IDC_ARROW)});
  RECT client{};
  ::GetClientRect(parent, &client);
  FWindow.reset(::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                  0, 0, client.right, client.bottom, parent, nullptr, ModuleInstance(), this));
  if (!FWindow) RaiseComError(u"The browser window could not be created", HRESULT_FROM_WIN32(::GetLastError()));

  FSite = TBrowserSite::Create(*this);
  FEventSink = TBrowserEventSink::Create(Events);
  FExternal = TExternalDispatch::Create(Events);
  try {
    HRESULT result = ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                        reinterpret_cast<void**>(FControl.Receive()));
    if (FAILED(result)) RaiseComError(u"The WebBrowser control could not be created", result);
    result = FControl->SetClientSite(static_cast<IOleClientSite*>(FSite.Get()));
    if (FAILED(result)) RaiseComError(u"The WebBrowser control refused its site", result);
    result = FControl->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(FBrowser.Receive()));
    if (FAILED(result)) RaiseComError(u"The WebBrowser control has no IWebBrowser2", result);
    ConnectEvents();
    RECT position{0, 0, client.right, client.bottom};
    result = FControl->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(FSite.Get()), 0,
                              FWindow.get(), &position);
    if (FAILED(result)) RaiseComError(u"The WebBrowser control could not be activated", result);
  } catch (...) {
    Close();
    throw;
  }
}

TWebBrowserHost::~TWebBrowserHost() { Close(); }

void TWebBrowserHost::ConnectEvents() {
  TComPtr<IConnectionPointContainer> container;
  HRESULT result =
      FBrowser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Receive()));
  if (SUCCEEDED(result)) result = container->FindConnectionPoint(DIID_DWebBrowserEvents2, FEventPoint.Receive());
  if (SUCCEEDED(result)) result = FEventPoint->Advise(static_cast<IDispatch*>(FEventSink.Get()), &FEventCookie);
  if (FAILED(result)) {
    FEventPoint.Reset();
    RaiseComError(u"The WebBrowser control's events could not be connected", result);
  }
}

void TWebBrowserHost::Close() {
  if (FEventPoint) {
    FEventPoint->Unadvise(FEventCookie);
    FEventPoint.Reset();
    FEventCookie = 0;
  }
  if (FControl) {
    TComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(FControl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Receive())))) {
      inPlace->InPlaceDeactivate();
    }
    inPlace.Reset();
    FControl->Close(OLECLOSE_NOSAVE);
    FControl->SetClientSite(nullptr);
  }
  FBrowser.Reset();
  FControl.Reset();
  // Whatever the control still holds now finds no host behind it.
  if (FSite) FSite->Detach();
  if (FEventSink) FEventSink->Detach();
  if (FExternal) FExternal->Detach();
  FSite.Reset();
  FEventSink.Reset();
  FExternal.Reset();
  if (FWindow) ::SetWindowLongPtrW(FWindow.get(), GWLP_USERDATA, 0);
  FWindow.reset();
}

void TWebBrowserHost::SetRegisterAsBrowser(bool value) {
  if (FBrowser) FBrowser->put_RegisterAsBrowser(VariantBoolOf(value));
}

void TWebBrowserHost::SetRegisterAsDropTarget(bool value) {
  if (FBrowser) FBrowser->put_RegisterAsDropTarget(VariantBoolOf(value));
}

void TWebBrowserHost::SetSilent(bool value) {
  if (FBrowser) FBrowser->put_Silent(VariantBoolOf(value));
}

void TWebBrowserHost::Navigate(const String& url) {
  if (!FBrowser) return;
  const TBstr target(url);
  const HRESULT result = FBrowser->Navigate(target.Get(), nullptr, nullptr, nullptr, nullptr);
  if (FAILED(result)) RaiseComError(u"The page could not be opened", result);
}

String TWebBrowserHost::LocationURL() const {
  TBstr location;
  if (FBrowser) FBrowser->get_LocationURL(location.Receive());
  return location.Text();
}

namespace {

// The loaded page's document, or nothing.
TComPtr<IDispatch> DocumentOf(IWebBrowser2* browser) {
  TComPtr<IDispatch> document;
  if (browser) browser->get_Document(document.Receive());
  return document;
}

}  // namespace

TComPtr<IDispatch> TWebBrowserHost::ScriptDispatch() const {
  const TComPtr<IDispatch> document = DocumentOf(FBrowser.Get());
  TComPtr<IHTMLDocument> html;
  TComPtr<IDispatch> script;
  if (document && SUCCEEDED(document->QueryInterface(IID_IHTMLDocument, reinterpret_cast<void**>(html.Receive())))) {
    html->get_Script(script.Receive());
  }
  return script;
}

bool TWebBrowserHost::HasDocument() const { return static_cast<bool>(ScriptDispatch()); }

TScriptCall TWebBrowserHost::CallScript(const String& name, std::initializer_list<int> arguments) {
  const TComPtr<IDispatch> script = ScriptDispatch();
  if (!script) return {};
  return CallScriptFunction(*script.Get(), name, arguments);
}

void TWebBrowserHost::ShowFindDialog() {
  const TComPtr<IDispatch> document = DocumentOf(FBrowser.Get());
  TComPtr<IOleCommandTarget> commands;
  if (document &&
      SUCCEEDED(document->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(commands.Receive())))) {
    commands->Exec(&kCgidMshtml, IDM_FIND, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  }
}

void TWebBrowserHost::PrintPreview() {
  if (!DocumentOf(FBrowser.Get())) return;
  FBrowser->ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr);
}

TComPtr<IDispatch> TWebBrowserHost::Application() const {
  TComPtr<IDispatch> application;
  if (FBrowser) FBrowser->get_Application(application.Receive());
  return application;
}

TComPtr<IDispatch> TWebBrowserHost::External() const {
  return TComPtr<IDispatch>(static_cast<IDispatch*>(FExternal.Get()));
}

bool TWebBrowserHost::TranslateAccelerator(MSG& message) {
  if (!FWindow || !FControl) return false;
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  if (message.hwnd != FWindow.get() && !::IsChild(FWindow.get(), message.hwnd)) return false;
  if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
    const int key = static_cast<int>(message.wParam);
    if (IsDisabledCtrlShortcut(key, KeyIsDown(VK_CONTROL), KeyIsDown(VK_SHIFT), KeyIsDown(VK_MENU))) return true;
    if (Events.OnKeyDown) {
      // A copy: Escape may close the window, and this host with it, closed
      // or destroyed; after the handler nothing of this object is touched
      // before the token says it still lives.
      const std::weak_ptr<const bool> alive = FAlive;
      auto handler = Events.OnKeyDown;
      RunHandler([&handler, key] { handler(key); });
      if (alive.expired() || !FControl) return true;
    }
  }
  TComPtr<IOleInPlaceActiveObject> active;
  if (FAILED(FControl->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(active.Receive())))) {
    return false;
  }
  return active->TranslateAccelerator(&message) == S_OK;
}

void TWebBrowserHost::FitControl() {
  if (!FWindow || !FControl) return;
  TComPtr<IOleInPlaceObject> inPlace;
  if (FAILED(FControl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.Receive())))) return;
  RECT client{};
  ::GetClientRect(FWindow.get(), &client);
  inPlace->SetObjectRects(&client, &client);
}

TWebBrowserHost* TWebBrowserHost::FromWindow(HWND window) {
  for (; window; window = ::GetAncestor(window, GA_PARENT)) {
    wchar_t className[std::size(kWindowClass) + 1] = {};
    ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (std::wcscmp(className, kWindowClass) == 0) {
      return reinterpret_cast<TWebBrowserHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
  }
  return nullptr;
}

bool TranslateBrowserAccelerator(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  TWebBrowserHost* host = TWebBrowserHost::FromWindow(message.hwnd);
  return host && host->TranslateAccelerator(message);
}

LRESULT CALLBACK TWebBrowserHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* host = reinterpret_cast<TWebBrowserHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_SIZE && host) host->FitControl();
  // The focus given to the browser goes on to the page inside it.
  if (message == WM_SETFOCUS && host && host->FControl) {
    RECT client{};
    ::GetClientRect(window, &client);
    host->FControl->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(host->FSite.Get()), 0, window,
                           &client);
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace lumora
