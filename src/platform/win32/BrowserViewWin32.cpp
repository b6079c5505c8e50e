// The WebBrowser control host is not built yet.
#include "platform/BrowserView.h"
#include "os/win32/NotSupportedWin32.h"

namespace lumora {

struct TBrowserView::TImpl {};

TBrowserView::TBrowserView(TFormWindow&, TBrowserView*) { RaiseNotSupported(); }
TBrowserView::~TBrowserView() = default;
void TBrowserView::SetAllowTextSelect(bool) { RaiseNotSupported(); }
void TBrowserView::SetScriptErrorAction(TScriptErrorAction) { RaiseNotSupported(); }
void TBrowserView::Navigate(const String&) { RaiseNotSupported(); }
TScriptValue TBrowserView::ExecScriptEx(const String&, std::initializer_list<int>) { RaiseNotSupported(); }
void TBrowserView::ShowFindDialog() { RaiseNotSupported(); }
void TBrowserView::PrintPreview() { RaiseNotSupported(); }
bool TBrowserView::IsChildWindow() const { return false; }
void* TBrowserView::NativeHandle() const { return nullptr; }

}  // namespace lumora
