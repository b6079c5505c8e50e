#include "app/BrowserForm.h"

#include "core/ExeHtmlSite.h"
#include "core/GlobalMainForm.h"

namespace lumora {

namespace {

// The client size of a new window until the page's features resize it.
constexpr int kDefaultClientWidth = 411;
constexpr int kDefaultClientHeight = 302;

}  // namespace

TBrowserForm::TBrowserForm(TBrowserFormList& popups, TFormWindow& mainWindow, TBrowserView* related, bool embedded)
    : FPopups(popups), FMainWindow(mainWindow) {
  if (!embedded) {
    Window = TFormWindow::Create();
    Window->SetClientSize(kDefaultClientWidth, kDefaultClientHeight);
    Window->OnClose = [this] { FormClose(); };
  }
  // The view is made for the window that holds it: the main window's
  // client area, or the form's own window.
  WebBrowser = TBrowserView::Create(embedded ? mainWindow : *Window, related);
  WebBrowser->OnNavigateComplete = [this](const String& URL) { WebBrowserNavigateComplete2(URL); };
  FormCreate();
}

TBrowserForm::~TBrowserForm() {
  if (Window) Window->RemoveContent();
  WebBrowser.reset();
}

void TBrowserForm::FormCreate() {
  FHasBeenClosed = false;
  FClosedByScript = false;
  FCaption = GlobalMainForm->Caption();
  if (Window) Window->SetCaption(FCaption);
  // The page's alert, confirm and prompt dialogs carry the same caption.
  WebBrowser->SetDialogCaption(FCaption);

  TScriptErrorAction action = TScriptErrorAction::eaContinue;
  if (GlobalMainForm->IsRuntime() && !GlobalMainForm->HideJavaScriptError) action = TScriptErrorAction::eaAskUser;
  WebBrowser->SetScriptErrorAction(action);
  WebBrowser->SetAllowTextSelect(GlobalMainForm->AllowUserCopyText);
  if (ExeHtmlSite && ExeHtmlSite->InspectorRequested()) WebBrowser->EnableInspector();

  WebBrowser->OnNewWindow = [this] { return OpenNewWindow(); };
  WebBrowser->OnBeforeNavigate = [this](const String& URL, bool& Cancel) { WebBrowserBeforeNavigate2(URL, Cancel); };
  // The way back from a page of another origin: never to an entry the
  // program would save or run, which that page must not set off.
  WebBrowser->OnReturnToSite = [](const String& URL) { return !GlobalMainForm->Services().IsSavedOrRun(URL); };
  WebBrowser->OnWindowClosing = [this](bool IsChildWindow) { WebBrowserWindowClosing(IsChildWindow); };
  if (Window) {
    TFormWindow* window = Window.get();
    WebBrowser->OnWindowSetTop = [window](int value) { window->SetTop(value); };
    WebBrowser->OnWindowSetLeft = [window](int value) { window->SetLeft(value); };
    WebBrowser->OnWindowSetWidth = [window](int value) { window->SetWidth(value); };
    WebBrowser->OnWindowSetHeight = [window](int value) { window->SetHeight(value); };
  }
  WebBrowser->OnWindowSetResizable = [this](bool Resizable) { WebBrowserWindowSetResizable(Resizable); };
  WebBrowser->OnExternalCall = [this](int32_t ID, const std::vector<TJsValue>& Params, TJsValue& Result,
                                      TJsError& Error) {
    return TBrowserJs().ExecuteForScript(*this, ID, Params, &Result, Error);
  };
}

TBrowserView* TBrowserForm::OpenNewWindow() {
  // A closed window is never shown again: its form goes now, while none of
  // its code runs (this form's own stays, its page is opening a window), so
  // a site that opens many windows keeps only those still open.
  std::erase_if(FPopups, [this](const std::unique_ptr<TBrowserForm>& form) {
    return form.get() != this && form->FHasBeenClosed;
  });
  FPopups.push_back(std::make_unique<TBrowserForm>(FPopups, FMainWindow, WebBrowser.get(), false));
  TBrowserForm& form = *FPopups.back();
  form.Window->Show();
  return form.WebBrowser.get();
}

void TBrowserForm::WebBrowserBeforeNavigate2(const String& URL, bool& Cancel) {
  Cancel = GlobalMainForm->Services().HandleDownloableFiles(URL);
}

void TBrowserForm::WebBrowserNavigateComplete2(const String&) {
  // The view always fills its window's client area; nothing to move.
}

void TBrowserForm::WebBrowserWindowClosing(bool IsChildWindow) {
  if (IsChildWindow) {
    if (FHasBeenClosed) return;
    FClosedByScript = true;
    if (Window) Window->Close();
    return;
  }
  GlobalMainForm->DesignTimeForceClose = true;
  GlobalMainForm->Close();
}

void TBrowserForm::WebBrowserWindowSetResizable(bool Resizable) {
  // The embedded main browser form has no frame of its own.
  if (Window) Window->SetBorderStyle(Resizable ? bsSizeable : bsDialog);
}

void TBrowserForm::ShowFindDialog() {
  if (WebBrowser) WebBrowser->ShowFindDialog();
}

void TBrowserForm::PrintPreview() {
  if (WebBrowser) WebBrowser->PrintPreview();
}

void TBrowserForm::MinimizeApplication() { FMainWindow.Minimize(); }

void TBrowserForm::RestoreApplication() { FMainWindow.Restore(); }

void TBrowserForm::FormClose() {
  FHasBeenClosed = true;
  if (!FClosedByScript) {
    if (Window) Window->RemoveContent();
    WebBrowser.reset();
  }
}

}  // namespace lumora
