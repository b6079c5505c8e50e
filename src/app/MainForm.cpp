#include "app/MainForm.h"

#include <cstdio>

#include "core/AppTitle.h"
#include "app/RestrictedForm.h"
#include "app/StylesUtils.h"
#include "core/ConfigKeys.h"
#include "base/Exception.h"
#include "core/ExeHtmlSite.h"
#include "core/TemporalFiles.h"
#include "core/browser/ScriptValue.h"
#include "core/protocol/SiteOrigin.h"
#include "core/WindowIcon.h"
#include "core/zip/AbZipKit.h"
#include "platform/AppIcon.h"
#include "platform/MessageBox.h"
#include "platform/MessageLoop.h"
#include "platform/SaveDialog.h"
#include "platform/SystemDesktop.h"
#include "os/SysUtils.h"

namespace lumora {

namespace {

// The form resource's minimum size; it has no maximum.
constexpr int kResourceMinWidth = 300;
constexpr int kResourceMinHeight = 200;
constexpr int kEscape = 27;

const TMemIniFile& Config() { return *ExeHtmlSite->FIniFile; }

}  // namespace

TMainForm::TMainForm(TBrowserFormList& popups) : FPopups(popups) {
  FWindow->SetSizeConstraints(kResourceMinWidth, 0, kResourceMinHeight, 0);
  FWindow->SetCentered(true);
  FWindow->OnCloseQuery = [this] { return FormCloseQuery(); };
  FWindow->OnClose = [this] { FormClose(); };
  FWindow->OnKeyDown = [this](int Key) { FormKeyDown(Key); };
  TrayIcon.OnClick = [this] { TrayIconClick(); };
}

TMainForm::~TMainForm() {
  FWindow->RemoveContent();
  FBrowserForm.reset();
  FLmpProtocol.reset();
}

void TMainForm::FormCreate() {
  FLastSound = std::make_unique<TMemoryStream>();
  // Step 2 (the framework's newer dialogs) has no counterpart here: the GTK
  // dialogs are the only ones.
  FIsMinimized = false;
  GlobalMainForm = this;
  ApplyPackageIcon();
  FAppTheme = ReadConfigString(Config(), TConfigKeyId::AppTheme);
  TStylesUtils::TrySetStyle(FAppTheme, true);
  FAppTitle = ReadConfigString(Config(), TConfigKeyId::AppTitle);
  CheckPassword();
  RegisterSiteProtocol();
  TrayIcon.SetVisible(ReadConfigBool(Config(), TConfigKeyId::UseTrayIcon));
  FAppRootDir = ReadConfigString(Config(), TConfigKeyId::RootDirName);
  FEscapeClose = ReadConfigBool(Config(), TConfigKeyId::AppEscapeClose);
  FIndexFile = String(kSiteScheme) + u"://" + ReadConfigString(Config(), TConfigKeyId::IndexPage);
  FExtractExts = ReadConfigString(Config(), TConfigKeyId::ExtractFileExts);
  FExecuteExts = ReadConfigString(Config(), TConfigKeyId::ExecuteFileExts);
  FWindow->SetWidth(ReadConfigInteger(Config(), TConfigKeyId::AppWindowWidth));
  FWindow->SetHeight(ReadConfigInteger(Config(), TConfigKeyId::AppWindowHeight));
  HideJavaScriptError = ReadConfigBool(Config(), TConfigKeyId::HideJsErrors);
  AllowUserCopyText = ReadConfigBool(Config(), TConfigKeyId::AllowCopyText);
  if (ReadConfigInteger(Config(), TConfigKeyId::AppWindowStyle) == 1) {
    FWindow->SetBorderStyle(bsNone);
    FMaximized = true;
  } else {
    FWindow->SetBorderStyle(ReadConfigInteger(Config(), TConfigKeyId::AppBorderStyle));
    const int minWidth = ReadConfigInteger(Config(), TConfigKeyId::AppWindowMinWidth);
    const int maxWidth = ReadConfigInteger(Config(), TConfigKeyId::AppWindowMaxWidth);
    const int minHeight = ReadConfigInteger(Config(), TConfigKeyId::AppWindowMinHeight);
    const int maxHeight = ReadConfigInteger(Config(), TConfigKeyId::AppWindowMaxHeight);
    FWindow->SetSizeConstraints(minWidth > 0 ? minWidth : kResourceMinWidth, maxWidth > 0 ? maxWidth : 0,
                                minHeight > 0 ? minHeight : kResourceMinHeight, maxHeight > 0 ? maxHeight : 0);
    if (ReadConfigInteger(Config(), TConfigKeyId::AppWindowOrder) == 1) FWindow->SetStayOnTop(true);
  }
  FWindow->SetCaption(FAppTitle);
  TrayIcon.SetHint(FAppTitle);
  THostServicesSettings settings;
  settings.AppRootDir = FAppRootDir;
  settings.ExtractExts = FExtractExts;
  settings.ExecuteExts = FExecuteExts;
  settings.Title = FAppTitle;
  FServices = std::make_unique<THostServices>(
      *ExeHtmlSite->FZipFile, *TemporalFiles, settings,
      [](TSaveDialogRequest& request) { return RunSaveDialog(request.Filter, request.DefaultExt, request.FileName); },
      std::make_unique<TSystemDesktop>());
  CreateBrowserForm();
}

void TMainForm::Show() {
  if (FMaximized) FWindow->SetMaximized(true);
  FWindow->Show();
}

void TMainForm::CheckPassword() {
  const String password = ReadConfigString(Config(), TConfigKeyId::AppPassword);
  if (password.empty()) return;
  int result = mrNone;
  {
    TRestrictedForm form;
    form.FInput = password;
    form.SetCaption(FAppTitle);
    result = form.ShowModal();
  }
  if (result != mrOk) throw EImmediateExit(0);
}

void TMainForm::RegisterSiteProtocol() {
  FRequestHandler = std::make_unique<TSiteRequestHandler>(
      *ExeHtmlSite->FZipFile, ReadConfigString(Config(), TConfigKeyId::RootDirName),
      [](const String& text) { ShowMessageBox(text, ApplicationTitle(), mbOk); });
  FLmpProtocol = std::make_unique<TInternetProtocol>();
  FLmpProtocol->SetProtocol(String(kSiteScheme));
  TSiteRequestHandler* handler = FRequestHandler.get();
  FServedLog = TServedLog::FromEnvironment();
  TServedLog* log = FServedLog.get();
  FLmpProtocol->SetOnRequestStream(
      [handler, log](TInternetProtocol& Sender, const String& Request, std::unique_ptr<TStream>& Stream) {
        handler->HandleProtocolRequest(Sender, Request, Stream);
        if (log) log->Record(Request, Stream.get());
      });
  FLmpProtocol->SetActive(true);
}

void TMainForm::CreateBrowserForm() {
  FBrowserForm = std::make_unique<TBrowserForm>(FPopups, *FWindow, nullptr, true);
  FBrowserForm->WebBrowser->OnKeyDown = [this](int Key) { WebBrowserKeyDown(Key); };
  FBrowserForm->WebBrowser->Navigate(FIndexFile);
  if (!ExeHtmlSite->ReloadSource().empty()) WatchReloadRequests(ReloadSite);
}

// The preview's --watch packed the site again: the new archive in place of
// the old one, and the page loaded from it, in the same window.
void TMainForm::ReloadSite() {
  auto* form = dynamic_cast<TMainForm*>(GlobalMainForm);
  if (form == nullptr || !form->FBrowserForm || !form->FBrowserForm->WebBrowser) return;
  try {
    ExeHtmlSite->Reload(ExeHtmlSite->ReloadSource());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "reload: %s\n", error.what());
    return;
  }
  form->FBrowserForm->WebBrowser->ReloadFromSite();
}

bool TMainForm::FormCloseQuery() {
  bool CanClose = true;
  try {
    // A browser without a document has no script to ask (Windows without
    // its HTML engine): the page has no say, and the window closes rather
    // than never. Neither has a page of another origin the user followed a
    // link to: it could otherwise keep the user from ever closing.
    TBrowserView* view = FBrowserForm ? FBrowserForm->WebBrowser.get() : nullptr;
    if (view && view->HasDocument() && !IsForeignPage(kSiteScheme, view->LocationURL())) {
      const TScriptValue result = view->ExecScriptEx(u"appCanClose", {0});
      CanClose = ScriptValueEquals(result, -1);
    }
  } catch (const std::exception&) {
    // No such function, a script error or a text that is no number: the
    // page has no say, and the window closes.
  }
  return CanClose;
}

void TMainForm::FormClose() {
  TSysUtils::StopCurrentSound();
  FServices.reset();
  FLastSound.reset();
  FWindow->RemoveContent();
  FBrowserForm.reset();
  FLmpProtocol.reset();
  FClosed = true;
  TerminateMessageLoop();
}

void TMainForm::FormKeyDown(int Key) {
  if (FEscapeClose && Key == kEscape) Close();
}

void TMainForm::WebBrowserKeyDown(int Key) {
  if (FEscapeClose && Key == kEscape) Close();
}

// A program file with no icon of its own (Linux) shows the one packed as
// "lm-icon" on every window, the password window included. An image the
// toolkit cannot read, one too large to decode safely, or an entry that
// cannot be read (damaged) leaves the toolkit's default and is reported:
// the start goes on as without one.
void TMainForm::ApplyPackageIcon() {
  if (!UsesPackedIcon()) return;
  TAbZipKit& zip = *ExeHtmlSite->FZipFile;
  const String name(IconEntryName);
  const int32_t index = zip.FindFile(name);
  if (index < 0) return;
  TMemoryStream image;
  if (zip.Archive()->ItemList()[static_cast<size_t>(index)].UncompressedSize <= TWindowIcon::kMaxBytes) {
    try {
      zip.ExtractToStream(name, &image);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s: cannot be read, the windows keep the default icon: %s\n", ToUtf8(name).c_str(),
                   error.what());
      return;
    }
  }
  const std::string_view bytes(reinterpret_cast<const char*>(image.Bytes().data()), image.Bytes().size());
  if (!TWindowIcon::IsAcceptable(bytes) || !SetApplicationIcon(image.Bytes())) {
    std::fprintf(stderr, "%s: not an image this system can show\n", ToUtf8(name).c_str());
  }
}

void TMainForm::TrayIconClick() {
  if (!FIsMinimized) {
    FIsMinimized = true;
    FWindow->Hide();
  } else {
    FIsMinimized = false;
    FWindow->BringToFront();
  }
}

String TMainForm::Caption() const { return FWindow->Caption(); }

void TMainForm::Close() {
  if (!FClosed) FWindow->Close();
}

THostServices& TMainForm::Services() {
  if (!FServices) throw Exception(u"The main window is not ready yet");
  return *FServices;
}

}  // namespace lumora
