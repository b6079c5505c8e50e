#include "platform/win32/browser/RefusingDropTarget.h"

namespace lumora {

namespace {

HRESULT Refuse(DWORD* pdwEffect) {
  if (!pdwEffect) return E_INVALIDARG;
  *pdwEffect = DROPEFFECT_NONE;
  return S_OK;
}

}  // namespace

TComPtr<IDropTarget> TRefusingDropTarget::Create() { return TComPtr<IDropTarget>::Adopt(new TRefusingDropTarget()); }

STDMETHODIMP TRefusingDropTarget::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    return HandOut(static_cast<IDropTarget*>(this), ppv);
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TRefusingDropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* pdwEffect) { return Refuse(pdwEffect); }

STDMETHODIMP TRefusingDropTarget::DragOver(DWORD, POINTL, DWORD* pdwEffect) { return Refuse(pdwEffect); }

STDMETHODIMP TRefusingDropTarget::DragLeave() { return S_OK; }

STDMETHODIMP TRefusingDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* pdwEffect) { return Refuse(pdwEffect); }

}  // namespace lumora
