#include "platform/win32/browser/BrowserSite.h"

#include "platform/win32/browser/AmbientProperties.h"
#include "platform/win32/browser/CommandGroups.h"
#include "platform/win32/browser/RefusingDropTarget.h"
#include "platform/win32/browser/WebBrowserHost.h"

namespace lumora {

TComPtr<TBrowserSite> TBrowserSite::Create(TWebBrowserHost& host) {
  return TComPtr<TBrowserSite>::Adopt(new TBrowserSite(host));
}

STDMETHODIMP TBrowserSite::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
    return HandOut(static_cast<IOleClientSite*>(this), ppv);
  }
  if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
    return HandOut(static_cast<IOleInPlaceSite*>(this), ppv);
  }
  if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
    return HandOut(static_cast<IOleInPlaceFrame*>(this), ppv);
  }
  if (IsEqualIID(riid, IID_IDocHostUIHandler)) return HandOut(static_cast<IDocHostUIHandler*>(this), ppv);
  if (IsEqualIID(riid, IID_IOleCommandTarget)) return HandOut(static_cast<IOleCommandTarget*>(this), ppv);
  if (IsEqualIID(riid, IID_IDispatch)) return HandOut(static_cast<IDispatch*>(this), ppv);
  *ppv = nullptr;
  return E_NOINTERFACE;
}

// IOleClientSite: an embedding without storage, monikers or container.

STDMETHODIMP TBrowserSite::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  if (ppmk) *ppmk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TBrowserSite::GetContainer(IOleContainer** ppContainer) {
  if (ppContainer) *ppContainer = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TBrowserSite::ShowObject() { return S_OK; }

STDMETHODIMP TBrowserSite::OnShowWindow(BOOL) { return S_OK; }

STDMETHODIMP TBrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleWindow

STDMETHODIMP TBrowserSite::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = FHost ? FHost->Handle() : nullptr;
  return *phwnd ? S_OK : E_FAIL;
}

STDMETHODIMP TBrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// IOleInPlaceSite

STDMETHODIMP TBrowserSite::CanInPlaceActivate() { return FHost ? S_OK : S_FALSE; }

STDMETHODIMP TBrowserSite::OnInPlaceActivate() { return S_OK; }

STDMETHODIMP TBrowserSite::OnUIActivate() { return S_OK; }

STDMETHODIMP TBrowserSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                            LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) {
  if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo) return E_POINTER;
  *ppFrame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *ppDoc = nullptr;
  const HWND window = FHost ? FHost->Handle() : nullptr;
  RECT client{};
  if (window) ::GetClientRect(window, &client);
  *lprcPosRect = client;
  *lprcClipRect = client;
  lpFrameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
  lpFrameInfo->fMDIApp = FALSE;
  lpFrameInfo->hwndFrame = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
  lpFrameInfo->haccel = nullptr;
  lpFrameInfo->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP TBrowserSite::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::OnUIDeactivate(BOOL) { return S_OK; }

STDMETHODIMP TBrowserSite::OnInPlaceDeactivate() { return S_OK; }

STDMETHODIMP TBrowserSite::DiscardUndoState() { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::OnPosRectChange(LPCRECT) {
  // The control always fills the host window, whatever it asks for.
  if (FHost) FHost->FitControl();
  return S_OK;
}

// IOleInPlaceUIWindow and IOleInPlaceFrame

STDMETHODIMP TBrowserSite::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }

STDMETHODIMP TBrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }

STDMETHODIMP TBrowserSite::SetBorderSpace(LPCBORDERWIDTHS) { return OLE_E_INVALIDRECT; }

STDMETHODIMP TBrowserSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }

STDMETHODIMP TBrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }

STDMETHODIMP TBrowserSite::RemoveMenus(HMENU) { return E_NOTIMPL; }

STDMETHODIMP TBrowserSite::SetStatusText(LPCOLESTR) { return S_OK; }

STDMETHODIMP TBrowserSite::EnableModeless(BOOL) { return S_OK; }

STDMETHODIMP TBrowserSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// IDocHostUIHandler

STDMETHODIMP TBrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  return S_OK;  // handled: no menu at all
}

STDMETHODIMP TBrowserSite::GetHostInfo(DOCHOSTUIINFO* pInfo) {
  if (!pInfo) return E_POINTER;
  pInfo->cbSize = sizeof(DOCHOSTUIINFO);
  pInfo->dwFlags = FHost ? FHost->HostFlags() : 0;
  pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}

STDMETHODIMP TBrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                  IOleInPlaceUIWindow*) {
  return S_OK;  // the host shows no menus or toolbars of the browser
}

STDMETHODIMP TBrowserSite::HideUI() { return S_OK; }

STDMETHODIMP TBrowserSite::UpdateUI() { return S_OK; }

STDMETHODIMP TBrowserSite::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP TBrowserSite::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP TBrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

STDMETHODIMP TBrowserSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
  // The host's own key handling has run before the control saw the key
  // (TWebBrowserHost::TranslateAccelerator); what is left is the control's.
  return S_FALSE;
}

STDMETHODIMP TBrowserSite::GetOptionKeyPath(LPOLESTR* pchKey, DWORD) {
  if (pchKey) *pchKey = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TBrowserSite::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget) {
  if (!ppDropTarget) return E_POINTER;
  // Drops are refused: the control uses this target instead of its own.
  *ppDropTarget = TRefusingDropTarget::Create().Detach();
  return S_OK;
}

STDMETHODIMP TBrowserSite::GetExternal(IDispatch** ppDispatch) {
  if (!ppDispatch) return E_POINTER;
  *ppDispatch = FHost ? FHost->External().Detach() : nullptr;
  return *ppDispatch ? S_OK : S_FALSE;
}

STDMETHODIMP TBrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* ppchURLOut) {
  if (ppchURLOut) *ppchURLOut = nullptr;
  return S_FALSE;
}

STDMETHODIMP TBrowserSite::FilterDataObject(IDataObject*, IDataObject** ppDORet) {
  if (ppDORet) *ppDORet = nullptr;
  return S_FALSE;
}

// IOleCommandTarget

STDMETHODIMP TBrowserSite::QueryStatus(const GUID* pguidCmdGroup, ULONG, OLECMD[], OLECMDTEXT*) {
  return pguidCmdGroup ? OLECMDERR_E_UNKNOWNGROUP : OLECMDERR_E_NOTSUPPORTED;
}

STDMETHODIMP TBrowserSite::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD, VARIANT*, VARIANT* pvaOut) {
  if (!pguidCmdGroup || !IsEqualGUID(*pguidCmdGroup, kCgidDocHostCommandHandler)) {
    return OLECMDERR_E_UNKNOWNGROUP;
  }
  if (nCmdID != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
  // Unhandled: the control shows its own prompt, if any.
  if (!FHost || !FHost->ScriptErrorsHandled()) return OLECMDERR_E_NOTSUPPORTED;
  // Handled, and the page's scripts are to go on.
  if (pvaOut) {
    ::VariantClear(pvaOut);
    pvaOut->vt = VT_BOOL;
    pvaOut->boolVal = VARIANT_TRUE;
  }
  return S_OK;
}

// IDispatch

STDMETHODIMP TBrowserSite::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP TBrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TBrowserSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID, DISPID* rgDispId) {
  for (UINT i = 0; rgDispId && i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP TBrowserSite::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* pVarResult,
                                  EXCEPINFO*, UINT*) {
  return ServeAmbientProperty(dispIdMember, wFlags, pVarResult) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

}  // namespace lumora
