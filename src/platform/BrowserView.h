// The embedded browser component: one web view with the events and
// operations the browser forms rely on. Linux: a WebKitGTK web view;
// Windows: the WebBrowser control.
//
// What every backend's view does, beyond the operations below:
// - It shows no context menu of its own, for any element.
// - It swallows Ctrl+Y (Ctrl alone with Y, which would redo in an editor)
//   before the page, the browser or OnKeyDown sees it. Every other key
//   reaches the page, and OnKeyDown sees each one pressed inside the view
//   (Escape included).
// - It is no drop target: files and text dropped on it are refused and
//   never navigate.
// - It steps back and forward through its history on the Windows
//   control's keys: Alt+Left and Alt+Right, the keyboard's Back and
//   Forward keys, the mouse's back and forward buttons, and Backspace
//   (Shift+Backspace forward) that the page leaves alone (outside a text
//   field). History and a link the user follows also lead from a page of
//   another origin back into the site (docs/security.md).
// - A page of another origin closes no window of the program and opens
//   windows only on the user's action.
// - Pages of the site scheme have window.external from the start of their
//   script. OnNavigateComplete is the event that means the page's script is
//   ready: it is raised once the page has finished loading (WebKit: load
//   finished; Windows: NavigateComplete2 of the top frame), and from then
//   on ExecScriptEx reaches the page's functions.
// - A script error never stops the page's other scripts; how it is shown
//   follows SetScriptErrorAction.
// - Text selection is off until SetAllowTextSelect allows it.
//
// What both platforms do alike is written here once (BrowserView.cpp): the
// site's scheme, which pages window.external answers, that only a page of
// the site closes the program, the script-call errors, the default
// settings and placing the view in its window. Each backend derives from
// TBrowserView, implements the protected *Impl hooks, which touch the
// engine, and raises the page's requests through the protected Page*
// members, which apply those rules.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "base/String.h"
#include "core/bridge/BrowserJs.h"
#include "core/browser/ScriptValue.h"
#include "core/protocol/SiteOrigin.h"

namespace lumora {

class TFormWindow;

// How a script error is treated: eaContinue reports it handled (scripts go
// on, no prompt); eaAskUser leaves it to the browser's own reporting.
enum class TScriptErrorAction { eaContinue, eaAskUser };

class TBrowserView {
 public:
  // A view of the platform being built, made for the window holder, whose
  // content it becomes (the Windows control needs its parent window when
  // it is created, so a view is never made first and placed later).
  // related is the view whose page asked for this one as a new window
  // (window.open); it shares that view's session and process.
  static std::unique_ptr<TBrowserView> Create(TFormWindow& holder, TBrowserView* related = nullptr);
  virtual ~TBrowserView();
  TBrowserView(const TBrowserView&) = delete;
  TBrowserView& operator=(const TBrowserView&) = delete;

  // Settings, applied to the pages loaded after them.
  void SetAllowTextSelect(bool allow);
  bool AllowTextSelect() const { return FAllowTextSelect; }
  void SetScriptErrorAction(TScriptErrorAction action);
  TScriptErrorAction ScriptErrorAction() const { return FScriptErrorAction; }
  // The caption of the page's alert, confirm and prompt dialogs (the
  // browser form's caption, the application title). Linux: the view's own
  // GTK dialogs, modal for its window. Windows: kept for the host's
  // dialogs (IDocHostShowUI), which do not yet use it.
  void SetDialogCaption(const String& caption);
  const String& DialogCaption() const { return FDialogCaption; }

  void Navigate(const String& url) { NavigateImpl(url); }

  // Calls the page's script function name with arguments (numbers) and
  // waits for its value. No page loaded: an empty value. Raises the errors
  // of ScriptCallValue: "This object does not support this method" when
  // the page has no such function, "Method call unsuccessful. %s (%s)."
  // when the call fails.
  TScriptValue ExecScriptEx(const String& name, std::initializer_list<int> arguments);
  // True when the view holds a document ExecScriptEx can reach. On Windows
  // every navigation leaves one (an error page at worst) where the platform
  // has its HTML engine; without the engine there is never one.
  bool HasDocument() const { return HasDocumentImpl(); }

  // The address of the page the view shows at the top; empty before the
  // first one.
  String LocationURL() const { return LocationURLImpl(); }
  void ShowFindDialog() { ShowFindDialogImpl(); }
  void PrintPreview() { PrintPreviewImpl(); }
  // Turns on the web engine's inspector for this view (the preview's
  // --inspect): F12 and Ctrl+Shift+I open it. The Windows control has none.
  void EnableInspector() { EnableInspectorImpl(); }
  // Loads the page again from the site, past every cache (the preview's
  // --watch, after the archive changed).
  void ReloadFromSite() { ReloadFromSiteImpl(); }

  // The page asks for a new window: the handler creates a view related to
  // this one, shows it and returns it; the page loads into it. nullptr
  // refuses the window.
  std::function<TBrowserView*()> OnNewWindow;
  // Before each navigation; set Cancel to stop it.
  std::function<void(const String& URL, bool& Cancel)> OnBeforeNavigate;
  // A page of another origin shown at the top has a link into the site
  // that the user followed: true lets the view load URL as a page of the
  // site at the top (OnBeforeNavigate is not raised for it). The page's
  // own navigations into the site, without the user, are refused.
  std::function<bool(const String& URL)> OnReturnToSite;
  std::function<void(const String& URL)> OnNavigateComplete;
  // The page called window.close(); IsChildWindow is true in a view
  // opened by a page.
  std::function<void(bool IsChildWindow)> OnWindowClosing;
  std::function<void(int value)> OnWindowSetLeft, OnWindowSetTop, OnWindowSetWidth, OnWindowSetHeight;
  std::function<void(bool Resizable)> OnWindowSetResizable;
  // A key pressed inside the view; Key is the Windows virtual-key code
  // (27 for Escape).
  std::function<void(int Key)> OnKeyDown;
  // A page of the site called window.external.
  TExternalCallHandler OnExternalCall;

  bool IsChildWindow() const { return FIsChild; }

  // The toolkit's widget, for the window that holds the view.
  void* NativeHandle() const { return NativeHandleImpl(); }

 protected:
  explicit TBrowserView(bool isChild) : FIsChild(isChild) {}

  // The page's requests, as a backend raises them; each applies the rules
  // every backend shares.
  //
  // Whether the view shows a page of the site at the top, and whether it
  // shows one of another origin (neither: no page yet, or about:).
  bool ShowsSitePage() const { return HasScheme(LocationURL(), kSiteScheme); }
  bool ShowsForeignPage() const { return IsForeignPage(kSiteScheme, LocationURL()); }
  // Whether a navigation to url that initiator asked for is refused: it
  // goes into the site from a page of another origin, or while one is at
  // the top (core/protocol/SiteOrigin.h).
  bool IsRefusedNavigation(const String& url, const TRequestInitiator& initiator) const {
    return IsForeignNavigation(kSiteScheme, url, LocationURL(), initiator);
  }
  // A page asked to close the window: only a page of the site closes the
  // program (the main window), and only while no page of another origin is
  // shown where it could have asked instead (otherOriginsShown, as far as
  // the backend can tell); a window a page opened closes while it shows no
  // page of another origin. Raises OnWindowClosing when the close goes
  // ahead; false when it is refused. The handler may free the view.
  bool PageClosesWindow(bool isChild, bool otherOriginsShown = false);
  // The user followed a link to url on a page of another origin at the
  // top: true when it leads into the site and OnReturnToSite lets the view
  // load it itself, as its own navigation (the page's Referer would be
  // refused by the site's scheme).
  bool UserLinkLeadsBack(const String& url);
  // window.external answers pages of the site only: the view shows one at
  // the top and, when the browser names the calling document, that is one
  // too. ExternalID is the identifier of name, or -1 while it does not
  // answer; CallExternal raises OnExternalCall when it does (a handler may
  // free the view).
  bool ExternalAnswers(const TExternalCaller& caller) const;
  int32_t ExternalID(const String& name) const;
  TExternalOutcome CallExternal(int32_t ID, const TExternalCaller& caller, const std::vector<TJsValue>& Params,
                                TJsValue& Result, TJsError& Error);

  // The hooks a backend implements: each does what its name says to the
  // engine, nothing more.
  virtual void SetAllowTextSelectImpl(bool allow) = 0;
  virtual void SetScriptErrorActionImpl(TScriptErrorAction action) = 0;
  virtual void SetDialogCaptionImpl(const String&) {}
  virtual void NavigateImpl(const String& url) = 0;
  // Only called while HasDocumentImpl is true.
  virtual TScriptCall CallScriptImpl(const String& name, std::initializer_list<int> arguments) = 0;
  virtual bool HasDocumentImpl() const = 0;
  virtual String LocationURLImpl() const = 0;
  virtual void ShowFindDialogImpl() = 0;
  virtual void PrintPreviewImpl() = 0;
  virtual void EnableInspectorImpl() {}
  virtual void ReloadFromSiteImpl() {}
  virtual void* NativeHandleImpl() const = 0;

 private:
  // The platform's view (each backend defines it).
  static std::unique_ptr<TBrowserView> CreateImpl(TFormWindow& holder, TBrowserView* related);

  const bool FIsChild;
  bool FAllowTextSelect = false;
  TScriptErrorAction FScriptErrorAction = TScriptErrorAction::eaContinue;
  String FDialogCaption;
};

}  // namespace lumora
