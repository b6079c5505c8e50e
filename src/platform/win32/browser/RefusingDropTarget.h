// The drop target the browser host gives the control in place of its own:
// every drag over the page is answered with "no drop", so nothing dropped
// on a page is opened or navigated to.
#pragma once

#include <ole2.h>

#include "platform/win32/browser/ComObject.h"
#include "os/win32/ComPtr.h"

namespace lumora {

class TRefusingDropTarget final : public TComObject, public IDropTarget {
 public:
  static TComPtr<IDropTarget> Create();

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  LUMORA_COM_REFCOUNT

  STDMETHODIMP DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
  STDMETHODIMP DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

 private:
  TRefusingDropTarget() = default;
  ~TRefusingDropTarget() override = default;
};

}  // namespace lumora
