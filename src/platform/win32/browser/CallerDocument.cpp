#include "platform/win32/browser/CallerDocument.h"

#include <exdisp.h>
#include <mshtml.h>

#include "os/win32/ComPtr.h"
#include "platform/win32/browser/Variant.h"

namespace lumora {

namespace {

// The window's document URL; the empty text when it cannot be read.
String DocumentUrlOf(IUnknown& window) {
  TComPtr<IHTMLWindow2> html;
  TComPtr<IHTMLDocument2> document;
  if (SUCCEEDED(window.QueryInterface(IID_IHTMLWindow2, reinterpret_cast<void**>(html.Receive()))) && html &&
      SUCCEEDED(html->get_document(document.Receive())) && document) {
    TBstr url;
    if (SUCCEEDED(document->get_URL(url.Receive())) && url.Get()) return url.Text();
  }
  // A window whose document the host may not read directly (a frame of
  // another origin) is still shown by a browser object that names it.
  TComPtr<IServiceProvider> services;
  if (FAILED(window.QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.Receive())))) return {};
  TComPtr<IWebBrowser2> browser;
  if (FAILED(
          services->QueryService(IID_IWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(browser.Receive()))) ||
      !browser) {
    return {};
  }
  TBstr url;
  if (FAILED(browser->get_LocationURL(url.Receive()))) return {};
  return url.Text();
}

}  // namespace

TExternalCaller CallerOf(IServiceProvider* pspCaller) {
  TExternalCaller caller;
  if (!pspCaller) return caller;
  TComPtr<IUnknown> window;
  if (FAILED(pspCaller->QueryService(SID_SHTMLWindow, IID_IUnknown, reinterpret_cast<void**>(window.Receive()))) ||
      !window) {
    return caller;
  }
  caller.Named = true;
  caller.DocumentURL = DocumentUrlOf(*window.Get());
  return caller;
}

}  // namespace lumora
