#include "platform/win32/browser/WebBrowserHost.h"

#include <exdisp.h>
#include <mshtmcid.h>
#include <mshtml.h>

#include <cwchar>
#include <iterator>

#include "base/Exception.h"
#include "core/HandlerGuard.h"
#include "core/browser/BrowserSettings.h"
#include "os/File.h"
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
// Posted to the host window for each link the user followed.
constexpr UINT kUserLinkMessage = WM_APP + 1;
// A link lies inside a bounded number of elements; a page's tree is not
// climbed without end.
constexpr int kLinkDepth = 64;

HINSTANCE ModuleInstance() { return ::GetModuleHandleW(nullptr); }

VARIANT_BOOL VariantBoolOf(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

[[noreturn]] void RaiseComError(const String& what, HRESULT result) {
  throw Exception(what + u": " + SysErrorMessage(static_cast<uint32_t>(result)));
}

bool KeyIsDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

}  // namespace

TWebBrowserHost::TWebBrowserHost(HWND parent) {
  RegisterWindowClass(kWindowClass, &TWebBrowserHost::WindowProc, {.Cursor = ::LoadCursorW(nullptr, IDC_ARROW)});
  RECT client{};
  ::GetClientRect(parent, &client);
  FWindow.reset(::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                  client.right, client.bottom, parent, nullptr, ModuleInstance(), this));
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

namespace {

// The address of the link (an A or AREA element with an address) that
// element is or lies in; empty when there is none.
String LinkOf(TComPtr<IHTMLElement> element) {
  for (int depth = 0; element && depth < kLinkDepth; ++depth) {
    TBstr href;
    TComPtr<IHTMLAnchorElement> anchor;
    TComPtr<IHTMLAreaElement> area;
    if (SUCCEEDED(element->QueryInterface(IID_IHTMLAnchorElement, reinterpret_cast<void**>(anchor.Receive())))) {
      anchor->get_href(href.Receive());
      return href.Text();
    }
    if (SUCCEEDED(element->QueryInterface(IID_IHTMLAreaElement, reinterpret_cast<void**>(area.Receive())))) {
      area->get_href(href.Receive());
      return href.Text();
    }
    TComPtr<IHTMLElement> parent;
    element->get_parentElement(parent.Receive());
    element = parent;
  }
  return {};
}

}  // namespace

void TWebBrowserHost::ConnectEvents() {
  TComPtr<IConnectionPointContainer> container;
  HRESULT result =
      FBrowser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Receive()));
  if (SUCCEEDED(result)) result = container->FindConnectionPoint(DIID_DWebBrowserEvents2, FEventPoint.Receive());
  TComPtr<IUnknown> identity;
  if (SUCCEEDED(result)) result = FBrowser->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Receive()));
  if (SUCCEEDED(result)) FEventSink->SetTopBrowser(identity.Get());
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

// Frames hold frames; a page cannot nest them without end, but a
// document tree of the page's making is not walked without a bound.
constexpr int kFrameDepth = 16;

void CollectFrameURLs(IWebBrowser2* browser, std::vector<String>& urls, int depth) {
  const TComPtr<IDispatch> document = DocumentOf(browser);
  TComPtr<IOleContainer> container;
  TComPtr<IEnumUnknown> objects;
  if (!document || depth >= kFrameDepth ||
      FAILED(document->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container.Receive()))) ||
      FAILED(container->EnumObjects(OLECONTF_EMBEDDINGS, objects.Receive())) || !objects) {
    return;
  }
  for (;;) {
    TComPtr<IUnknown> object;
    if (objects->Next(1, object.Receive(), nullptr) != S_OK || !object) break;
    TComPtr<IWebBrowser2> frame;
    if (FAILED(object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(frame.Receive()))) || !frame) {
      continue;
    }
    TBstr location;
    frame->get_LocationURL(location.Receive());
    urls.push_back(location.Text());
    CollectFrameURLs(frame.Get(), urls, depth + 1);
  }
}

}  // namespace

std::vector<String> TWebBrowserHost::FrameURLs() const {
  std::vector<String> urls;
  CollectFrameURLs(FBrowser.Get(), urls, 0);
  return urls;
}

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
    if (key == VK_RETURN && message.message == WM_KEYDOWN) {
      const String link = LinkAt(nullptr);
      if (!link.empty()) ReportUserLink(link);
    }
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

String TWebBrowserHost::LinkAt(const POINT* point) const {
  const TComPtr<IDispatch> document = DocumentOf(FBrowser.Get());
  TComPtr<IHTMLDocument2> html;
  if (!document || FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(html.Receive())))) {
    return {};
  }
  TComPtr<IHTMLElement> element;
  if (point) {
    html->elementFromPoint(point->x, point->y, element.Receive());
  } else {
    html->get_activeElement(element.Receive());
  }
  return LinkOf(element);
}

void TWebBrowserHost::NoteMouse(const MSG& message) {
  if (!FWindow || message.message != WM_LBUTTONUP) return;
  if (message.hwnd != FWindow.get() && !::IsChild(FWindow.get(), message.hwnd)) return;
  const POINT point{static_cast<short>(LOWORD(message.lParam)), static_cast<short>(HIWORD(message.lParam))};
  const String link = LinkAt(&point);
  if (!link.empty()) ReportUserLink(link);
}

void TWebBrowserHost::ReportUserLink(const String& URL) {
  if (!FWindow) return;
  FUserLinks.push_back(URL);
  ::PostMessageW(FWindow.get(), kUserLinkMessage, 0, 0);
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

void NoteBrowserMouse(const MSG& message) {
  if (message.message != WM_LBUTTONUP) return;
  if (TWebBrowserHost* host = TWebBrowserHost::FromWindow(message.hwnd)) host->NoteMouse(message);
}

LRESULT CALLBACK TWebBrowserHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* host = reinterpret_cast<TWebBrowserHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_SIZE && host) host->FitControl();
  // The mouse's back and forward buttons and the keyboard's Back and
  // Forward keys become application commands, which the control leaves to
  // the windows around it (it steps on its own keys, Backspace and
  // Alt+arrows, only). Whether the step may lead into the site is the
  // navigation's own decision.
  if (message == WM_APPCOMMAND && host && host->FBrowser) {
    const int command = GET_APPCOMMAND_LPARAM(lParam);
    if (command == APPCOMMAND_BROWSER_BACKWARD || command == APPCOMMAND_BROWSER_FORWARD) {
      if (command == APPCOMMAND_BROWSER_BACKWARD) {
        host->FBrowser->GoBack();
      } else {
        host->FBrowser->GoForward();
      }
      return TRUE;
    }
  }
  if (message == kUserLinkMessage && host && !host->FUserLinks.empty()) {
    const String link = host->FUserLinks.front();
    host->FUserLinks.erase(host->FUserLinks.begin());
    // A copy: the handler may close the host.
    if (auto handler = host->Events.OnUserFollowsLink) RunHandler([&] { handler(link); });
    return 0;
  }
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
