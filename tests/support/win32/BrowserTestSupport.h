// Helpers of the tests that host the WebBrowser control.
#pragma once

#include <exdisp.h>
#include <exdispid.h>
#include <ole2.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "base/Stream.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"

#include "os/win32/WindowClass.h"
#include "platform/win32/browser/Variant.h"
#include "platform/win32/browser/WebBrowserHost.h"
#include "platform/ProtocolNamespace.h"
#include "os/win32/ComPtr.h"
#include "support/TestSupport.h"
#include "support/win32/MessageLoop.h"

namespace lumora::test {

// Dispatches the thread's messages until done() holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  return WaitUntil(done, limit, RunMessagesOnce);
}

// A plain top-level window for the host to live in. It stays hidden: the
// control needs no mapped window, and Wine without a window manager waits
// two seconds for a mapped window to be withdrawn when it goes.
inline TWindowHandle MakeParentWindow() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"LumoraBrowserTestParent";
  ::RegisterClassExW(&windowClass);
  TWindowHandle window(::CreateWindowExW(0, windowClass.lpszClassName, L"browser host test", WS_OVERLAPPEDWINDOW, 0, 0,
                                         400, 300, nullptr, nullptr, windowClass.hInstance, nullptr));
  return window;
}

template <typename TInterface>
TComPtr<TInterface> Query(IUnknown* object, REFIID iid) {
  TComPtr<TInterface> result;
  if (object) object->QueryInterface(iid, reinterpret_cast<void**>(result.Receive()));
  return result;
}

// The site the host gave the control, as the control sees it.
inline TComPtr<IOleClientSite> ClientSiteOf(TWebBrowserHost& host) {
  const auto control = Query<IOleObject>(host.Browser().Get(), IID_IOleObject);
  TComPtr<IOleClientSite> site;
  if (control) control->GetClientSite(site.Receive());
  return site;
}

// The host's event sink, as the control's connection point holds it.
inline TComPtr<IDispatch> EventSinkOf(TWebBrowserHost& host) {
  const auto container = Query<IConnectionPointContainer>(host.Browser().Get(), IID_IConnectionPointContainer);
  TComPtr<IConnectionPoint> point;
  TComPtr<IEnumConnections> connections;
  if (!container || FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive())) ||
      FAILED(point->EnumConnections(connections.Receive()))) {
    return {};
  }
  CONNECTDATA data{};
  ULONG fetched = 0;
  if (connections->Next(1, &data, &fetched) != S_OK || fetched != 1) return {};
  // Wine's enumerator hands the sink over without the reference COM's
  // contract gives the caller: releasing it as ours would free the sink
  // while the control and the host still use it. The reference returned is
  // the one Query takes; on Windows the one Next gave is left over, which
  // costs a test no more than the sink's memory.
  return Query<IDispatch>(data.pUnk, IID_IDispatch);
}

// Raises BeforeNavigate2 on the sink as the control does: its seven
// arguments by reference, with the navigation's URL and extra headers, for
// the browser navigating (none: a frame's that is not the host's).
// True when the handler cancelled it.
inline bool RaiseBeforeNavigate2(IDispatch* sink, const String& url, const String& headers,
                                 IDispatch* navigating = nullptr) {
  TBstr urlText(url), headersText(headers);
  VARIANT urlValue, headersValue, none;
  ::VariantInit(&urlValue);
  urlValue.vt = VT_BSTR;
  urlValue.bstrVal = urlText.Get();
  ::VariantInit(&headersValue);
  headersValue.vt = VT_BSTR;
  headersValue.bstrVal = headersText.Get();
  ::VariantInit(&none);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  const auto byReference = [](VARIANT& value) {
    VARIANT reference;
    ::VariantInit(&reference);
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = &value;
    return reference;
  };
  VARIANT cancelOut;
  ::VariantInit(&cancelOut);
  cancelOut.vt = VT_BYREF | VT_BOOL;
  cancelOut.pboolVal = &cancel;
  VARIANT browser;
  ::VariantInit(&browser);
  browser.vt = VT_DISPATCH;  // the browser (or frame) that navigates
  browser.pdispVal = navigating;
  // Last first: Cancel, Headers, PostData, TargetFrameName, Flags, URL, pDisp.
  VARIANT arguments[] = {cancelOut,
                         byReference(headersValue),
                         byReference(none),
                         byReference(none),
                         byReference(none),
                         byReference(urlValue),
                         browser};
  DISPPARAMS parameters{arguments, nullptr, 7, 0};
  sink->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr,
               nullptr);
  return cancel != VARIANT_FALSE;
}

// Raises NavigateComplete2 on the sink for the top browser's url, as the
// control does once a page has arrived (Wine, without its HTML engine,
// does not).
inline void RaiseNavigateComplete2(IDispatch* sink, const String& url) {
  TBstr urlText(url);
  VARIANT arguments[2];
  ::VariantInit(&arguments[0]);
  arguments[0].vt = VT_BSTR;
  arguments[0].bstrVal = urlText.Get();
  ::VariantInit(&arguments[1]);
  arguments[1].vt = VT_DISPATCH;
  DISPPARAMS parameters{arguments, nullptr, 2, 0};
  sink->Invoke(DISPID_NAVIGATECOMPLETE2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr,
               nullptr);
}

// Raises WindowClosing on the sink, as a page's window.close() makes the
// control do. True when the handler cancelled it.
inline bool RaiseWindowClosing(IDispatch* sink, bool isChildWindow) {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT arguments[2];
  ::VariantInit(&arguments[0]);
  arguments[0].vt = VT_BYREF | VT_BOOL;
  arguments[0].pboolVal = &cancel;
  ::VariantInit(&arguments[1]);
  arguments[1].vt = VT_BOOL;
  arguments[1].boolVal = isChildWindow ? VARIANT_TRUE : VARIANT_FALSE;
  DISPPARAMS parameters{arguments, nullptr, 2, 0};
  sink->Invoke(DISPID_WINDOWCLOSING, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr,
               nullptr);
  return cancel != VARIANT_FALSE;
}

// Raises a new window's request on the sink as the control does: NewWindow2
// (no opener named) when context is null, else NewWindow3 with the opener's
// URL and the NWMF flags. target is the browser the handler gave, if any
// (the caller releases it). True when the handler cancelled the request.
inline bool RaiseNewWindow(IDispatch* sink, IDispatch*& target, const char16_t* context = nullptr, long flags = 0) {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT targetOut, cancelOut, flagsValue, contextValue, urlValue;
  ::VariantInit(&targetOut);
  targetOut.vt = VT_BYREF | VT_DISPATCH;
  targetOut.ppdispVal = &target;
  ::VariantInit(&cancelOut);
  cancelOut.vt = VT_BYREF | VT_BOOL;
  cancelOut.pboolVal = &cancel;
  TBstr contextText(context ? String(context) : String()), urlText(u"lmp://site/popup.html");
  ::VariantInit(&flagsValue);
  flagsValue.vt = VT_I4;
  flagsValue.lVal = flags;
  ::VariantInit(&contextValue);
  contextValue.vt = VT_BSTR;
  contextValue.bstrVal = contextText.Get();
  ::VariantInit(&urlValue);
  urlValue.vt = VT_BSTR;
  urlValue.bstrVal = urlText.Get();
  // Last first: bstrUrl, bstrUrlContext, dwFlags, Cancel, ppDisp.
  VARIANT arguments[] = {urlValue, contextValue, flagsValue, cancelOut, targetOut};
  const bool described = context != nullptr;
  DISPPARAMS parameters{described ? arguments : arguments + 3, nullptr, described ? 5u : 2u, 0};
  sink->Invoke(described ? DISPID_NEWWINDOW3 : DISPID_NEWWINDOW2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
               &parameters, nullptr, nullptr, nullptr);
  return cancel != VARIANT_FALSE;
}

// The lmp scheme registered for the life of the object, answering every
// request with a small page and recording what was asked. (Every request is
// answered: Wine's urlmon keeps a handler whose Start refused alive for
// good, see the protocol handler's tests.) OLE must be initialised first.
struct TLmpServer {
  TLmpServer() {
    SetUpProtocolRegistry(NewProtocolNamespace);
    Lmp.SetProtocol(u"lmp");
    Lmp.SetOnRequestStream([this](TInternetProtocol&, const String& request, std::unique_ptr<TStream>& stream) {
      Requests.push_back(request);
      auto page = std::make_unique<TMemoryStream>();
      page->WriteBuffer(kPage, sizeof kPage - 1);
      stream = std::move(page);
    });
    Lmp.SetActive(true);
  }
  ~TLmpServer() {
    Lmp.SetActive(false);
    ReleaseProtocolRegistry();
  }
  TLmpServer(const TLmpServer&) = delete;
  TLmpServer& operator=(const TLmpServer&) = delete;

  static constexpr char kPage[] = "<html><body>page</body></html>";
  TInternetProtocol Lmp;
  std::vector<String> Requests;
};

}  // namespace lumora::test
