// The window that holds one browser view and connects it to the main
// window: the main window's client area, and every window a page opens.
#pragma once

#include <memory>
#include <vector>

#include "core/bridge/JsBrowser.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"

namespace lumora {

class TBrowserForm;

// The forms opened for pages' new windows, owned by the application; a
// closed one is hidden, and freed when the next window opens.
using TBrowserFormList = std::vector<std::unique_ptr<TBrowserForm>>;

class TBrowserForm final : public TJsBrowser {
 public:
  // A form for the main window's client area (embedded) or, with related
  // set, for a window a page opened: its view shares the opener's
  // session. Windows the page opens go to popups; mainWindow is the
  // application's window, which the page may minimise and restore.
  TBrowserForm(TBrowserFormList& popups, TFormWindow& mainWindow, TBrowserView* related, bool embedded);
  ~TBrowserForm() override;
  TBrowserForm(const TBrowserForm&) = delete;
  TBrowserForm& operator=(const TBrowserForm&) = delete;

  // The form's browser; empty once FormClose has freed it.
  std::unique_ptr<TBrowserView> WebBrowser;
  // The form's own window; none for the embedded main browser form.
  std::unique_ptr<TFormWindow> Window;

  bool HasBeenClosed() const { return FHasBeenClosed; }
  bool ClosedByScript() const { return FClosedByScript; }

  // What the script bridge asks of the browser that received a call.
  void ShowFindDialog() override;
  void PrintPreview() override;
  void MinimizeApplication() override;
  void RestoreApplication() override;

 private:
  void FormCreate();
  void FormClose();
  TBrowserView* OpenNewWindow();
  void WebBrowserBeforeNavigate2(const String& URL, bool& Cancel);
  void WebBrowserNavigateComplete2(const String& URL);
  void WebBrowserWindowClosing(bool IsChildWindow);
  void WebBrowserWindowSetResizable(bool Resizable);

  TBrowserFormList& FPopups;
  TFormWindow& FMainWindow;
  String FCaption;
  bool FHasBeenClosed = false;
  bool FClosedByScript = false;
};

}  // namespace lumora
