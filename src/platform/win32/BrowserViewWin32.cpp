// The browser view on Windows: the WebBrowser control's host
// (browser/WebBrowserHost) with the view's events and settings. A view is
// made for the window that holds it: the control is created as a child of
// that window, which it then fills.
#include "core/browser/BrowserSettings.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/win32/browser/WebBrowserHost.h"

namespace lumora {

namespace {

class TBrowserViewWin32 final : public TBrowserView {
 public:
  TBrowserViewWin32(TFormWindow& holder, bool isChild)
      : TBrowserView(isChild), FHost(std::make_unique<TWebBrowserHost>(static_cast<HWND>(holder.NativeHandle()))) {
    FHost->SetRegisterAsBrowser(true);
    FHost->SetRegisterAsDropTarget(false);
    FHost->SetSilent(false);
    ConnectEvents();
  }
  ~TBrowserViewWin32() override { FHost.reset(); }

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

  std::unique_ptr<TWebBrowserHost> FHost;
};

void TBrowserViewWin32::ConnectEvents() {
  TBrowserHostEvents& events = FHost->Events;
  events.OnBeforeNavigate2 = [this](const String& URL, const String& Headers, bool& Cancel) {
    // A page of another origin gets nothing of the program: nothing is
    // saved or run for it. The event names the page that asked only
    // through its Referer (or Origin), which a page may withhold; the page
    // the browser shows at the top is the wall behind it.
    if (IsRefusedNavigation(URL, InitiatorFromHeaders(Headers))) {
      Cancel = true;
      return;
    }
    if (OnBeforeNavigate) OnBeforeNavigate(URL, Cancel);
  };
  events.OnNewWindow = [this]() -> IDispatch* {
    TBrowserView* view = OnNewWindow ? OnNewWindow() : nullptr;
    return view ? static_cast<TBrowserViewWin32*>(view)->Application() : nullptr;
  };
  events.OnNavigateComplete2 = [this](const String& URL) {
    if (OnNavigateComplete) OnNavigateComplete(URL);
  };
  // A window a script opened may close itself whatever it shows, as in any
  // browser; it is not the program.
  events.OnWindowClosing = [this](bool IsChildWindow, bool& Cancel) { Cancel = !PageClosesWindow(IsChildWindow); };
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
                           TJsValue& Result, TJsError& Error) { return CallExternal(ID, Caller, Params, Result, Error); };
}

}  // namespace

std::unique_ptr<TBrowserView> TBrowserView::CreateImpl(TFormWindow& holder, TBrowserView* related) {
  return std::make_unique<TBrowserViewWin32>(holder, related != nullptr);
}

}  // namespace lumora
