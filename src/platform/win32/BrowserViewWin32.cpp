// The browser view on Windows: the WebBrowser control's host
// (browser/WebBrowserHost) with the view's events and settings. A view is
// made for the window that holds it: the control is created as a child of
// that window, which it then fills.
#include "platform/BrowserView.h"

#include <algorithm>
#include <memory>
#include <vector>

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

// A frame the host could not name counts as another origin's.
bool IsForeignFrame(StringView url) { return url.empty() || IsForeignPage(kSiteScheme, url); }

// Whether the host shows a page of another origin at the top or in any
// frame.
bool ShowsOtherOrigins(const TWebBrowserHost& host) {
  if (IsForeignPage(kSiteScheme, host.LocationURL())) return true;
  const std::vector<String> frames = host.FrameURLs();
  return std::any_of(frames.begin(), frames.end(), [](const String& url) { return IsForeignFrame(url); });
}

}  // namespace

struct TBrowserView::TImpl {
  std::unique_ptr<TWebBrowserHost> Host;
  bool IsChild = false;
  bool AllowTextSelect = false;
  String DialogCaption;
  // The views of the program's main window and of every window opened
  // from it, this one among them: a page in any of them can reach the
  // others (opener, the window a script opened).
  std::shared_ptr<std::vector<TBrowserView*>> Group;
  // The site's pages this view has shown at the top: its history, as far
  // as the site is concerned.
  std::vector<String> ShownSitePages;
  // The page the program itself is about to load at the top (the way back
  // by a link), which a page of another origin may not.
  String ProgramLoad;

  // Whether a page of another origin is shown where it could reach this
  // view's window: in this view (at the top or in a frame) or in another
  // window of the group.
  bool OtherOriginsAround() const {
    return std::any_of(Group->begin(), Group->end(), [](const TBrowserView* view) {
      return view->FImpl->Host && ShowsOtherOrigins(*view->FImpl->Host);
    });
  }
};

TBrowserView::TBrowserView(TFormWindow& holder, TBrowserView* related) : FImpl(std::make_unique<TImpl>()) {
  FImpl->IsChild = related != nullptr;
  FImpl->Group = related ? related->FImpl->Group : std::make_shared<std::vector<TBrowserView*>>();
  FImpl->Host = std::make_unique<TWebBrowserHost>(static_cast<HWND>(holder.NativeHandle()));
  TWebBrowserHost& host = *FImpl->Host;
  host.SetHostFlags(BrowserHostFlags(FImpl->AllowTextSelect));
  host.SetRegisterAsBrowser(true);
  host.SetRegisterAsDropTarget(false);
  host.SetSilent(false);

  TBrowserHostEvents& events = host.Events;
  events.OnBeforeNavigate2 = [this](const String& URL, const String& Headers, bool TopLevel, bool& Cancel) {
    // The program's own load of a page of the site (the way back by a
    // link, below): already asked of the form.
    if (TopLevel) {
      const bool programLoad = !FImpl->ProgramLoad.empty() && URL == FImpl->ProgramLoad;
      FImpl->ProgramLoad.clear();
      if (programLoad) return;
    }
    // A page of another origin gets nothing of the program: nothing is
    // saved or run for it. The event names the page that asked only
    // through its Referer (or Origin), which a page may withhold; the page
    // the browser shows at the top is the wall behind it.
    const String shown = FImpl->Host->LocationURL();
    const TRequestInitiator initiator = InitiatorFromHeaders(Headers);
    if (IsForeignNavigation(kSiteScheme, URL, shown, initiator)) {
      // The way back after the user followed a link away: Back and Forward
      // (the control's keys, the page's history.back()) lead the top
      // window to a page of the site it showed before. The event does not
      // say a navigation travels the history; a page of the site the
      // window showed is what history holds, and loading it again at the
      // top gives the foreign page nothing the Back key does not.
      const bool wayBack = TopLevel && IsForeignPage(kSiteScheme, shown) &&
                           !IsForeignRequest(kSiteScheme, initiator) &&
                           std::find(FImpl->ShownSitePages.begin(), FImpl->ShownSitePages.end(), URL) !=
                               FImpl->ShownSitePages.end() &&
                           OnReturnToSite && OnReturnToSite(URL);
      if (!wayBack) Cancel = true;
      return;
    }
    if (OnBeforeNavigate) OnBeforeNavigate(URL, Cancel);
  };
  events.OnUserFollowsLink = [this](const String& URL) {
    // A link into the site the user followed on a page of another origin
    // at the top: the program loads it at the top as its own navigation,
    // without the page's Referer (which the site's scheme refuses), once
    // the form has said it is no entry it would save or run.
    if (!HasScheme(URL, kSiteScheme) || !IsForeignPage(kSiteScheme, FImpl->Host->LocationURL())) return;
    if (!OnReturnToSite || !OnReturnToSite(URL)) return;
    FImpl->ProgramLoad = URL;
    FImpl->Host->Navigate(URL);
  };
  events.OnNewWindow = [this](const TNewWindowRequest& Request, bool& Cancel) -> IDispatch* {
    // A page of another origin opens windows only on the user's action.
    // NewWindow2 does not say who asks: while such a page is shown, the
    // window waits for the NewWindow3 the control raises next, which does.
    if (!Request.Described) {
      if (ShowsOtherOrigins(*FImpl->Host)) return nullptr;
    } else {
      // A request that names no opener comes from the top page, unless a
      // frame of another origin could have made it.
      const String opener = !Request.OpenerURL.empty()           ? Request.OpenerURL
                            : ShowsOtherOrigins(*FImpl->Host) ? String()
                                                              : FImpl->Host->LocationURL();
      if (!MayOpenWindow(kSiteScheme, opener, Request.UserAction)) {
        Cancel = true;
        return nullptr;
      }
    }
    TBrowserView* view = OnNewWindow ? OnNewWindow() : nullptr;
    if (!view || !view->FImpl->Host) return nullptr;
    return view->FImpl->Host->Application().Detach();
  };
  events.OnNavigateComplete2 = [this](const String& URL) {
    const String top = FImpl->Host->LocationURL();
    if (IsSitePage(top) && std::find(FImpl->ShownSitePages.begin(), FImpl->ShownSitePages.end(), top) ==
                               FImpl->ShownSitePages.end()) {
      FImpl->ShownSitePages.push_back(top);
    }
    if (OnNavigateComplete) OnNavigateComplete(URL);
  };
  events.OnWindowClosing = [this](bool, bool& Cancel) {
    // Only a page of the site closes the program. The event does not say
    // who asked: the top page, a frame of it (top.close()) or a page in
    // another window (opener.close()); while any of them is of another
    // origin the main window stays (the user's own close still works). A
    // window a page opened is this program's too: it closes while it
    // shows no page of another origin. Which window this is, the program
    // knows, not the page.
    const bool opened = FImpl->IsChild;
    if (!MayCloseOnRequest(kSiteScheme, FImpl->Host->LocationURL(), opened, !opened && FImpl->OtherOriginsAround())) {
      Cancel = true;
      return;
    }
    if (OnWindowClosing) OnWindowClosing(opened);
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
  // Last: a view whose construction failed is never destroyed, and must
  // not stay in the group.
  FImpl->Group->push_back(this);
}

TBrowserView::~TBrowserView() {
  FImpl->Host.reset();
  std::erase(*FImpl->Group, this);
}

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
