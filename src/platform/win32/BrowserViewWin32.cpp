// The browser view on Windows: the WebBrowser control's host
// (browser/WebBrowserHost) with the view's events and settings. A view is
// made for the window that holds it: the control is created as a child of
// that window, which it then fills.
#include "core/browser/BrowserSettings.h"
#include "platform/BrowserView.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/FormWindow.h"
#include "platform/win32/browser/WebBrowserHost.h"

namespace lumora {

namespace {

// A frame the host could not name counts as another origin's.
bool IsForeignFrame(StringView url) { return url.empty() || IsForeignPage(kSiteScheme, url); }

// Whether the host shows a page of another origin at the top or in any
// frame.
bool ShowsOtherOrigins(const TWebBrowserHost& host) {
  if (IsForeignPage(kSiteScheme, host.LocationURL())) return true;
  const std::vector<String> frames = host.FrameURLs();
  return std::any_of(frames.begin(), frames.end(), [](const String& url) { return IsForeignFrame(url); });
}

class TBrowserViewWin32 final : public TBrowserView {
 public:
  TBrowserViewWin32(TFormWindow& holder, TBrowserViewWin32* related)
      : TBrowserView(related != nullptr),
        FHost(std::make_unique<TWebBrowserHost>(static_cast<HWND>(holder.NativeHandle()))),
        FGroup(related ? related->FGroup : std::make_shared<std::vector<TBrowserViewWin32*>>()) {
    FHost->SetRegisterAsBrowser(true);
    FHost->SetRegisterAsDropTarget(false);
    FHost->SetSilent(false);
    ConnectEvents();
    // Last: a view whose construction failed is never destroyed, and must
    // not stay in the group.
    FGroup->push_back(this);
  }
  ~TBrowserViewWin32() override {
    FHost.reset();
    std::erase(*FGroup, this);
  }

  // The control's Application object, for the control that asked for a new
  // window.
  IDispatch* Application() const { return FHost->Application().Detach(); }

 protected:
  void SetAllowTextSelectImpl(bool allow) override { FHost->SetHostFlags(BrowserHostFlags(allow)); }
  void SetScriptErrorActionImpl(TScriptErrorAction action) override {
    FHost->SetScriptErrorsHandled(action == TScriptErrorAction::eaContinue);
  }
  void NavigateImpl(const String& url) override { FHost->Navigate(url); }
  TScriptCall CallScriptImpl(const String& name, std::initializer_list<int> arguments) override {
    return FHost->CallScript(name, arguments);
  }
  bool HasDocumentImpl() const override { return FHost->HasDocument(); }
  String LocationURLImpl() const override { return FHost->LocationURL(); }
  void ShowFindDialogImpl() override { FHost->ShowFindDialog(); }
  void PrintPreviewImpl() override { FHost->PrintPreview(); }
  void* NativeHandleImpl() const override { return FHost->Handle(); }

 private:
  void ConnectEvents();

  // Whether a page of another origin is shown where it could reach this
  // view's window: in this view (at the top or in a frame) or in another
  // window of the group.
  bool OtherOriginsAround() const {
    return std::any_of(FGroup->begin(), FGroup->end(),
                       [](const TBrowserViewWin32* view) { return view->FHost && ShowsOtherOrigins(*view->FHost); });
  }

  std::unique_ptr<TWebBrowserHost> FHost;
  // The views of the program's main window and of every window opened
  // from it, this one among them: a page in any of them can reach the
  // others (opener, the window a script opened).
  std::shared_ptr<std::vector<TBrowserViewWin32*>> FGroup;
  // The site's pages this view has shown at the top: its history, as far
  // as the site is concerned.
  std::vector<String> FShownSitePages;
  // The page the program itself is about to load at the top (the way back
  // by a link), which a page of another origin may not.
  String FProgramLoad;
};

void TBrowserViewWin32::ConnectEvents() {
  TBrowserHostEvents& events = FHost->Events;
  events.OnBeforeNavigate2 = [this](const String& URL, const String& Headers, bool TopLevel, bool& Cancel) {
    // The program's own load of a page of the site (the way back by a
    // link, below): already asked of the form.
    if (TopLevel) {
      const bool programLoad = !FProgramLoad.empty() && URL == FProgramLoad;
      FProgramLoad.clear();
      if (programLoad) return;
    }
    // A page of another origin gets nothing of the program: nothing is
    // saved or run for it. The event names the page that asked only
    // through its Referer (or Origin), which a page may withhold; the page
    // the browser shows at the top is the wall behind it.
    const TRequestInitiator initiator = InitiatorFromHeaders(Headers);
    if (IsRefusedNavigation(URL, initiator)) {
      // The way back after the user followed a link away: Back and Forward
      // (the control's keys, the page's history.back()) lead the top
      // window to a page of the site it showed before. The event does not
      // say a navigation travels the history; a page of the site the
      // window showed is what history holds, and loading it again at the
      // top gives the foreign page nothing the Back key does not.
      const bool wayBack = TopLevel && ShowsForeignPage() && !IsForeignRequest(kSiteScheme, initiator) &&
                           std::find(FShownSitePages.begin(), FShownSitePages.end(), URL) != FShownSitePages.end() &&
                           OnReturnToSite && OnReturnToSite(URL);
      if (!wayBack) Cancel = true;
      return;
    }
    if (OnBeforeNavigate) OnBeforeNavigate(URL, Cancel);
  };
  events.OnUserFollowsLink = [this](const String& URL) {
    if (!UserLinkLeadsBack(URL)) return;
    FProgramLoad = URL;
    FHost->Navigate(URL);
  };
  events.OnNewWindow = [this](const TNewWindowRequest& Request, bool& Cancel) -> IDispatch* {
    // A page of another origin opens windows only on the user's action.
    // NewWindow2 does not say who asks: while such a page is shown, the
    // window waits for the NewWindow3 the control raises next, which does.
    if (!Request.Described) {
      if (ShowsOtherOrigins(*FHost)) return nullptr;
    } else {
      // A request that names no opener comes from the top page, unless a
      // frame of another origin could have made it.
      const String opener = !Request.OpenerURL.empty()  ? Request.OpenerURL
                            : ShowsOtherOrigins(*FHost) ? String()
                                                        : FHost->LocationURL();
      if (!MayOpenWindow(kSiteScheme, opener, Request.UserAction)) {
        Cancel = true;
        return nullptr;
      }
    }
    TBrowserView* view = OnNewWindow ? OnNewWindow() : nullptr;
    return view ? static_cast<TBrowserViewWin32*>(view)->Application() : nullptr;
  };
  events.OnNavigateComplete2 = [this](const String& URL) {
    const String top = FHost->LocationURL();
    if (HasScheme(top, kSiteScheme) &&
        std::find(FShownSitePages.begin(), FShownSitePages.end(), top) == FShownSitePages.end()) {
      FShownSitePages.push_back(top);
    }
    if (OnNavigateComplete) OnNavigateComplete(URL);
  };
  // The event does not say who asked: the top page, a frame of it
  // (top.close()) or a page in another window (opener.close(), or any
  // window that found this one by its name); while any of them is of
  // another origin the window stays (the user's own close still works).
  // Which window this is, the program knows, not the page.
  events.OnWindowClosing = [this](bool, bool& Cancel) {
    Cancel = !PageClosesWindow(IsChildWindow(), OtherOriginsAround());
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
  events.OnGetIDsOfNames = [this](const String& name) { return ExternalID(name); };
  events.OnMayInvoke = [this](const TExternalCaller& Caller) { return ExternalAnswers(Caller); };
  events.OnInvoke = [this](int32_t ID, const TExternalCaller& Caller, const std::vector<TJsValue>& Params,
                           TJsValue& Result,
                           TJsError& Error) { return CallExternal(ID, Caller, Params, Result, Error); };
}

}  // namespace

std::unique_ptr<TBrowserView> TBrowserView::CreateImpl(TFormWindow& holder, TBrowserView* related) {
  return std::make_unique<TBrowserViewWin32>(holder, static_cast<TBrowserViewWin32*>(related));
}

}  // namespace lumora
