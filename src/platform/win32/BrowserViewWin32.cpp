// The browser view on Windows: the WebBrowser control's host
// (browser/WebBrowserHost) with the view's events and settings. A view is
// made for the window that holds it: the control is created as a child of
// that window, which it then fills.
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "core/browser/BrowserSettings.h"
#include "core/protocol/SiteOrigin.h"
#include "platform/win32/browser/WebBrowserHost.h"

namespace lumora {

namespace {

constexpr char16_t kSiteScheme[] = u"lmp";

// window.external answers pages of the site only: a page of any other
// origin finds no host function.
bool IsSitePage(StringView url) { return HasScheme(url, kSiteScheme); }

// A call reaches the program only while the browser shows a page of the
// site and, when the script engine names the calling window, that
// window's document is a page of the site too: a frame of another origin
// inside a site page is refused.
bool MayCallTheProgram(const TWebBrowserHost* host, const TExternalCaller& caller) {
  if (!host || !IsSitePage(host->LocationURL())) return false;
  return !caller.Named || IsSitePage(caller.DocumentURL);
}

}  // namespace

struct TBrowserView::TImpl {
  std::unique_ptr<TWebBrowserHost> Host;
  bool IsChild = false;
  bool AllowTextSelect = false;
  String DialogCaption;
};

TBrowserView::TBrowserView(TFormWindow& holder, TBrowserView* related) : FImpl(std::make_unique<TImpl>()) {
  FImpl->IsChild = related != nullptr;
  FImpl->Host = std::make_unique<TWebBrowserHost>(static_cast<HWND>(holder.NativeHandle()));
  TWebBrowserHost& host = *FImpl->Host;
  host.SetHostFlags(BrowserHostFlags(FImpl->AllowTextSelect));
  host.SetRegisterAsBrowser(true);
  host.SetRegisterAsDropTarget(false);
  host.SetSilent(false);

  TBrowserHostEvents& events = host.Events;
  events.OnBeforeNavigate2 = [this](const String& URL, const String& Headers, bool& Cancel) {
    // A page of another origin gets nothing of the program: nothing is
    // saved or run for it. The event names the page that asked only
    // through its Referer (or Origin), which a page may withhold; the page
    // the browser shows at the top is the wall behind it.
    if (IsForeignNavigation(kSiteScheme, URL, FImpl->Host->LocationURL(), InitiatorFromHeaders(Headers))) {
      Cancel = true;
      return;
    }
    if (OnBeforeNavigate) OnBeforeNavigate(URL, Cancel);
  };
  events.OnNewWindow = [this]() -> IDispatch* {
    TBrowserView* view = OnNewWindow ? OnNewWindow() : nullptr;
    if (!view || !view->FImpl->Host) return nullptr;
    return view->FImpl->Host->Application().Detach();
  };
  events.OnNavigateComplete2 = [this](const String& URL) {
    if (OnNavigateComplete) OnNavigateComplete(URL);
  };
  events.OnWindowClosing = [this](bool IsChildWindow, bool& Cancel) {
    // Only a page of the site closes the program. A window a script opened
    // may close itself whatever it shows, as in any browser; it is not the
    // program.
    if (!IsChildWindow && !IsSitePage(FImpl->Host->LocationURL())) {
      Cancel = true;
      return;
    }
    if (OnWindowClosing) OnWindowClosing(IsChildWindow);
  };
  events.OnWindowSetLeft = [this](int value) {
    if (OnWindowSetLeft) OnWindowSetLeft(value);
  };
  events.OnWindowSetTop = [this](int value) {
    if (OnWindowSetTop) OnWindowSetTop(value);
  };
  events.OnWindowSetWidth = [this](int value) {
    if (OnWindowSetWidth) OnWindowSetWidth(value);
  };
  events.OnWindowSetHeight = [this](int value) {
    if (OnWindowSetHeight) OnWindowSetHeight(value);
  };
  events.OnWindowSetResizable = [this](bool Resizable) {
    if (OnWindowSetResizable) OnWindowSetResizable(Resizable);
  };
  events.OnKeyDown = [this](int Key) {
    if (OnKeyDown) OnKeyDown(Key);
  };
  events.OnGetIDsOfNames = [this](const String& name) {
    if (!FImpl->Host || !IsSitePage(FImpl->Host->LocationURL())) return -1;
    return TBrowserJs().FunctionIDByName(name);
  };
  events.OnMayInvoke = [this](const TExternalCaller& Caller) { return MayCallTheProgram(FImpl->Host.get(), Caller); };
  events.OnInvoke = [this](int32_t ID, const TExternalCaller& Caller, const std::vector<TJsValue>& Params,
                           TJsValue& Result, TJsError& Error) {
    if (!MayCallTheProgram(FImpl->Host.get(), Caller)) return TExternalOutcome::Refused;
    if (!OnExternalCall) return TExternalOutcome::Done;
    return OnExternalCall(ID, Params, Result, Error) ? TExternalOutcome::Done : TExternalOutcome::Raised;
  };
  holder.SetContent(*this);
}

TBrowserView::~TBrowserView() { FImpl->Host.reset(); }

void TBrowserView::SetDialogCaption(const String& caption) { FImpl->DialogCaption = caption; }

void TBrowserView::SetAllowTextSelect(bool allow) {
  FImpl->AllowTextSelect = allow;
  FImpl->Host->SetHostFlags(BrowserHostFlags(allow));
}

void TBrowserView::SetScriptErrorAction(TScriptErrorAction action) {
  FImpl->Host->SetScriptErrorsHandled(action == TScriptErrorAction::eaContinue);
}

void TBrowserView::Navigate(const String& url) { FImpl->Host->Navigate(url); }

TScriptValue TBrowserView::ExecScriptEx(const String& name, std::initializer_list<int> arguments) {
  return FImpl->Host->ExecScriptEx(name, arguments);
}

bool TBrowserView::HasDocument() const { return FImpl->Host->HasDocument(); }

String TBrowserView::LocationURL() const { return FImpl->Host->LocationURL(); }

void TBrowserView::ShowFindDialog() { FImpl->Host->ShowFindDialog(); }

void TBrowserView::PrintPreview() { FImpl->Host->PrintPreview(); }

void TBrowserView::EnableInspector() {}

void TBrowserView::ReloadFromSite() {}

bool TBrowserView::IsChildWindow() const { return FImpl->IsChild; }

void* TBrowserView::NativeHandle() const { return FImpl->Host->Handle(); }

}  // namespace lumora
