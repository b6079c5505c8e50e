// The portable half of the browser view (see BrowserView.h).
#include "platform/BrowserView.h"

#include "platform/FormWindow.h"

namespace lumora {

std::unique_ptr<TBrowserView> TBrowserView::Create(TFormWindow& holder, TBrowserView* related) {
  std::unique_ptr<TBrowserView> view = CreateImpl(holder, related);
  view->SetAllowTextSelectImpl(view->FAllowTextSelect);
  view->SetScriptErrorActionImpl(view->FScriptErrorAction);
  holder.SetContent(*view);
  return view;
}

TBrowserView::~TBrowserView() = default;

void TBrowserView::SetAllowTextSelect(bool allow) {
  FAllowTextSelect = allow;
  SetAllowTextSelectImpl(allow);
}

void TBrowserView::SetScriptErrorAction(TScriptErrorAction action) {
  FScriptErrorAction = action;
  SetScriptErrorActionImpl(action);
}

void TBrowserView::SetDialogCaption(const String& caption) {
  FDialogCaption = caption;
  SetDialogCaptionImpl(caption);
}

TScriptValue TBrowserView::ExecScriptEx(const String& name, std::initializer_list<int> arguments) {
  if (!HasDocument()) return {};
  return ScriptCallValue(CallScriptImpl(name, arguments));
}

bool TBrowserView::PageClosesWindow(bool isChild, bool otherOriginsShown) {
  if (!MayCloseOnRequest(kSiteScheme, LocationURL(), isChild, otherOriginsShown)) return false;
  // A copy: the handler may free the view, and the event with it.
  const auto handler = OnWindowClosing;
  if (handler) handler(isChild);
  return true;
}

bool TBrowserView::UserLinkLeadsBack(const String& url) {
  if (!HasScheme(url, kSiteScheme) || !ShowsForeignPage()) return false;
  return OnReturnToSite && OnReturnToSite(url);
}

bool TBrowserView::ExternalAnswers(const TExternalCaller& caller) const {
  return ShowsSitePage() && (!caller.Named || HasScheme(caller.DocumentURL, kSiteScheme));
}

int32_t TBrowserView::ExternalID(const String& name) const {
  return ShowsSitePage() ? TBrowserJs().FunctionIDByName(name) : -1;
}

TExternalOutcome TBrowserView::CallExternal(int32_t ID, const TExternalCaller& caller,
                                            const std::vector<TJsValue>& Params, TJsValue& Result, TJsError& Error) {
  if (!ExternalAnswers(caller)) return TExternalOutcome::Refused;
  // A copy: the function may close the window and free the view.
  const TExternalCallHandler handler = OnExternalCall;
  if (!handler) return TExternalOutcome::Done;
  return handler(ID, Params, Result, Error) ? TExternalOutcome::Done : TExternalOutcome::Raised;
}

}  // namespace lumora
