// The window that holds one browser view and connects it to the main
// window: the main window's client area, and every window a page opens.
#pragma once

#include <memory>
#include <vector>

#include "platform/BrowserView.h"
#include "platform/FormWindow.h"

namespace lumora {

class TBrowserForm;

// The forms opened for pages' new windows, owned by the application until
// it ends (a closed one is only hidden).
using TBrowserFormList = std::vector<std::unique_ptr<TBrowserForm>>;

class TBrowserForm {
 public:
  // A form for the main window's client area (popups == nullptr is not
  // allowed: every form may open windows) or, with related set, for a
  // window a page opened: its view shares the opener's session.
  TBrowserForm(TBrowserFormList& popups, TBrowserView* related, bool embedded);
  ~TBrowserForm();
  TBrowserForm(const TBrowserForm&) = delete;
  TBrowserForm& operator=(const TBrowserForm&) = delete;

  // The form's browser; empty once FormClose has freed it.
  std::unique_ptr<TBrowserView> WebBrowser;
  // The form's own window; none for the embedded main browser form.
  std::unique_ptr<TFormWindow> Window;

  bool HasBeenClosed() const { return FHasBeenClosed; }
  bool ClosedByScript() const { return FClosedByScript; }

 private:
  void FormCreate();
  void FormClose();
  TBrowserView* OpenNewWindow();
  void WebBrowserBeforeNavigate2(const String& URL, bool& Cancel);
  void WebBrowserNavigateComplete2(const String& URL);
  void WebBrowserWindowClosing(bool IsChildWindow);
  void WebBrowserWindowSetResizable(bool Resizable);

  TBrowserFormList& FPopups;
  String FCaption;
  bool FHasBeenClosed = false;
  bool FClosedByScript = false;
};

}  // namespace lumora
