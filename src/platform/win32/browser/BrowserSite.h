// The WebBrowser control's site in the browser host: the client site and
// in-place site (the host's child window is the control's window, the
// host's frame its frame), the document host's user-interface handler
// (host flags, no context menu, no drops, the Ctrl shortcuts, window.external)
// and the command target that answers the control's script-error prompt.
// Its IDispatch answers the control's ambient-property requests.
#pragma once

#include <docobj.h>
#include <mshtmhst.h>
#include <ole2.h>

#include "platform/win32/browser/ComObject.h"
#include "os/win32/ComPtr.h"

namespace lumora {

class TWebBrowserHost;

class TBrowserSite final : public TComObject,
                           public IOleClientSite,
                           public IOleInPlaceSite,
                           public IOleInPlaceFrame,
                           public IDocHostUIHandler,
                           public IOleCommandTarget,
                           public IDispatch {
 public:
  // A site serving host, holding one reference for the caller.
  static TComPtr<TBrowserSite> Create(TWebBrowserHost& host);
  // Cuts the site off its host: later calls from the control find no host
  // and change nothing.
  void Detach() { FHost = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  LUMORA_COM_REFCOUNT

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
  STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL fShow) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow, of the in-place site and the frame alike
  STDMETHODIMP GetWindow(HWND* phwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
  STDMETHODIMP Scroll(SIZE scrollExtant) override;
  STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override;

  // IOleInPlaceUIWindow and IOleInPlaceFrame: a frame without menus,
  // toolbars or status bar.
  STDMETHODIMP GetBorder(LPRECT lprectBorder) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) override;
  STDMETHODIMP InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
  STDMETHODIMP SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override;
  STDMETHODIMP RemoveMenus(HMENU hmenuShared) override;
  STDMETHODIMP SetStatusText(LPCOLESTR pszStatusText) override;
  STDMETHODIMP EnableModeless(BOOL fEnable) override;
  STDMETHODIMP TranslateAccelerator(LPMSG lpmsg, WORD wID) override;

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* pInfo) override;
  STDMETHODIMP ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                      IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP OnDocWindowActivate(BOOL fActivate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL fActivate) override;
  STDMETHODIMP ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fRameWindow) override;
  STDMETHODIMP TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
  STDMETHODIMP GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
  STDMETHODIMP GetExternal(IDispatch** ppDispatch) override;
  STDMETHODIMP TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) override;
  STDMETHODIMP FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

  // IOleCommandTarget: the control's OLECMDID_SHOWSCRIPTERROR request.
  STDMETHODIMP QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT* pCmdText) override;
  STDMETHODIMP Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                    VARIANT* pvaOut) override;

  // IDispatch: the ambient properties (download control, user agent, user
  // mode and the standard ones), as the component's dispatch serves them;
  // no names, no other members.
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

 private:
  explicit TBrowserSite(TWebBrowserHost& host) : FHost(&host) {}
  ~TBrowserSite() override = default;

  TWebBrowserHost* FHost;
};

}  // namespace lumora
