// The application's one top-level window: applies the site's
// configuration, asks for the password, serves the site scheme, embeds one
// browser form and asks the page whether it may close.
#pragma once

#include <memory>

#include "app/BrowserForm.h"
#include "core/GlobalMainForm.h"
#include "base/Stream.h"
#include "core/protocol/InternetProtocol.h"
#include "core/services/HostServices.h"
#include "core/site/ServedLog.h"
#include "core/site/SiteRequestHandler.h"
#include "platform/FormWindow.h"
#include "platform/TrayIcon.h"

namespace lumora {

class TMainForm final : public TGlobalMainForm {
 public:
  // popups: the application's list of the windows pages open. Runs
  // FormCreate; an error it raises leaves the window as far as it was
  // built and goes to the caller.
  explicit TMainForm(TBrowserFormList& popups);
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // Runs FormCreate. Separate from construction so that a half-built
  // window still exists when it fails.
  void FormCreate();
  // Shows the window as FormCreate left it.
  void Show();
  // Whether the window has closed (the application then ends).
  bool Closed() const { return FClosed; }

  String Caption() const override;
  void Close() override;

  bool IsRuntime() override { return true; }
  // The host services, once the configuration they use is read.
  THostServices& Services() override;

 private:
  bool FormCloseQuery();
  void FormClose();
  void FormKeyDown(int Key);
  void WebBrowserKeyDown(int Key);
  static void ReloadSite();
  void TrayIconClick();
  void CheckPassword();
  void ApplyPackageIcon();
  void RegisterSiteProtocol();
  void CreateBrowserForm();

  TBrowserFormList& FPopups;
  std::unique_ptr<TFormWindow> FWindow = TFormWindow::Create();
  TTrayIcon TrayIcon;

  String FAppTitle;
  String FAppTheme;
  String FIndexFile;
  String FExtractExts;
  String FExecuteExts;
  String FAppRootDir;
  bool FIsMinimized = false;
  bool FEscapeClose = false;
  bool FClosed = false;
  bool FMaximized = false;
  std::unique_ptr<TMemoryStream> FLastSound;
  std::unique_ptr<TBrowserForm> FBrowserForm;
  std::unique_ptr<TSiteRequestHandler> FRequestHandler;
  std::unique_ptr<TServedLog> FServedLog;
  std::unique_ptr<TInternetProtocol> FLmpProtocol;
  std::unique_ptr<THostServices> FServices;
};

}  // namespace lumora
