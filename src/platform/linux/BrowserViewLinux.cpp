// The browser component over a WebKitGTK web view. A view opened by a page
// shares its opener's web process. The page's requests that a view may take
// only from its own top page (window.close(), a link back into the site)
// reach it as messages from the web process extension, which knows the
// frame that asks; WebKit's own close signal and the user content
// manager's script messages do not say that much.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "base/Exception.h"
#include "core/browser/BrowserSettings.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "core/HandlerGuard.h"
#include "core/bridge/JsonString.h"
#include "core/browser/HistoryKeys.h"
#include "core/protocol/SiteOrigin.h"
#include "os/linux/GLibPtr.h"
#include "os/linux/KeyCodes.h"
#include "platform/linux/ModalDialog.h"
#include "platform/linux/browser/SchemeResponse.h"
#include "platform/linux/TerminationWatch.h"
#include "platform/linux/browser/WebKitScheme.h"
#include "platform/linux/browser/WebKitMediaBridge.h"
#include "platform/linux/browser/WebKitBridgeExtension.h"
#include "platform/linux/browser/WebKitScriptBridge.h"
#include "platform/linux/style/StyledWindowsGtk.h"

namespace lumora {

namespace {

// How long ExecScriptEx waits for a page function.
constexpr guint kScriptTimeoutMs = 10000;
// How often that wait looks whether the page is asking the user something.
constexpr guint kScriptTimeoutTickMs = 250;

// The messages of the web process extension (webext/BridgeExtension.cpp):
// the window.close() of the view's top page of the site, and the address
// of a link into the site that the user followed on its top page of
// another origin.
constexpr char kCloseMessage[] = "lumora-window-close";
constexpr char kReturnMessage[] = "lumora-return-to-site";

constexpr char kNoSelectSheet[] =
    "*:not(input):not(textarea):not([contenteditable]) { -webkit-user-select: none !important; "
    "user-select: none !important; }";

String JscString(JSCValue* value) {
  TGCharPtr text(jsc_value_to_string(value));
  return text ? FromUtf8(text.get()) : String();
}

String Property(JSCValue* object, const char* name) {
  TGObjectPtr<JSCValue> value(jsc_value_object_get_property(object, name));
  return value ? JscString(value.get()) : String();
}

}  // namespace

class TBrowserViewLinux final : public TBrowserView {
 public:
  TBrowserViewLinux(TBrowserView* related);
  ~TBrowserViewLinux() override;

  // The rules, for the view's signal handlers below.
  using TBrowserView::IsRefusedNavigation;
  using TBrowserView::PageClosesWindow;
  using TBrowserView::ShowsForeignPage;
  using TBrowserView::UserLinkLeadsBack;

  // The view has shown a page other than the about:blank a new window
  // starts with.
  bool LeftStartPage = false;

 protected:
  void SetAllowTextSelectImpl(bool allow) override;
  void SetScriptErrorActionImpl(TScriptErrorAction action) override;
  void NavigateImpl(const String& url) override;
  TScriptCall CallScriptImpl(const String& name, std::initializer_list<int> arguments) override;
  bool HasDocumentImpl() const override;
  String LocationURLImpl() const override;
  void ShowFindDialogImpl() override;
  void PrintPreviewImpl() override;
  void EnableInspectorImpl() override;
  void ReloadFromSiteImpl() override;
  void* NativeHandleImpl() const override { return View; }

 private:
  GtkWidget* View = nullptr;
  WebKitUserContentManager* Manager = nullptr;
  WebKitUserStyleSheet* NoSelectSheet = nullptr;
  // window.external's web process extension, in place while views exist.
  std::unique_ptr<TWebKitBridgeExtension> BridgeExtension;
  // What the page's calls of window.external reach.
  TExternalCall ExternalCall;
};

namespace {

TBrowserViewLinux* Self(gpointer data) { return static_cast<TBrowserViewLinux*>(data); }

// The page the view shows; the empty text before its first.
String ShownURL(WebKitWebView* view) {
  const char* uri = webkit_web_view_get_uri(view);
  return uri ? FromUtf8(uri) : String();
}
GtkWidget* OnCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer data) {
  TBrowserViewLinux* self = Self(data);
  // A page of another origin at the top opens a window only on the user's
  // action (its frames, and those of site pages, are held to the same by
  // the web process extension, which knows which frame asks).
  if (self->ShowsForeignPage() && !webkit_navigation_action_is_user_gesture(action)) {
    return nullptr;
  }
  TBrowserView* created = nullptr;
  RunHandler([self, &created] {
    if (self->OnNewWindow) created = self->OnNewWindow();
  });
  return created ? static_cast<GtkWidget*>(created->NativeHandle()) : nullptr;
}

void ApplyWindowProperties(TBrowserView* self, WebKitWebView* view) {
  WebKitWindowProperties* properties = webkit_web_view_get_window_properties(view);
  GdkRectangle geometry{};
  webkit_window_properties_get_geometry(properties, &geometry);
  const bool resizable = webkit_window_properties_get_resizable(properties);
  RunHandler([&] {
    if (geometry.x != 0 && self->OnWindowSetLeft) self->OnWindowSetLeft(geometry.x);
    if (geometry.y != 0 && self->OnWindowSetTop) self->OnWindowSetTop(geometry.y);
    if (geometry.width > 0 && self->OnWindowSetWidth) self->OnWindowSetWidth(geometry.width);
    if (geometry.height > 0 && self->OnWindowSetHeight) self->OnWindowSetHeight(geometry.height);
    if (self->OnWindowSetResizable) self->OnWindowSetResizable(resizable);
  });
}

// The features of window.open, read once when the window is about to show.
// WebKit also reports later geometry changes, but those include the echo of
// the window's own resizing, measured against a different frame, so they
// are not followed.
void OnReadyToShow(WebKitWebView* view, gpointer data) { ApplyWindowProperties(Self(data), view); }

// The view's data naming the page the program itself is about to load at
// the top, which a page of another origin may not.
constexpr char kProgramLoad[] = "lumora-program-load";

// Loads uri at the top as the program's own navigation.
void LoadFromProgram(WebKitWebView* view, const char* uri) {
  g_object_set_data_full(G_OBJECT(view), kProgramLoad, g_strdup(uri), g_free);
  webkit_web_view_load_uri(view, uri);
}

// Whether uri is the load LoadFromProgram started; the mark is used up.
bool TakeProgramLoad(WebKitWebView* view, const char* uri) {
  const auto* pending = static_cast<const char*>(g_object_get_data(G_OBJECT(view), kProgramLoad));
  if (pending == nullptr || g_strcmp0(pending, uri) != 0) return false;
  g_object_set_data(G_OBJECT(view), kProgramLoad, nullptr);
  return true;
}

gboolean OnDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                        gpointer data) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return FALSE;
  WebKitNavigationAction* action =
      webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const String url = FromUtf8(webkit_uri_request_get_uri(request));
  // The program's own load of a page of the site (below): let through.
  if (TakeProgramLoad(view, webkit_uri_request_get_uri(request))) return FALSE;
  // A page of another origin gets nothing of the program: nothing is saved
  // or run for it. WebKit refuses the navigations into the display-isolated
  // scheme that frames of other origins make; the event does not say which
  // frame asked, but it does say which page the view shows, and a foreign
  // page at the top may not navigate into the site either.
  // (about:blank, where a new window starts, is its opener's.)
  TBrowserViewLinux* self = Self(data);
  const WebKitNavigationType kind = webkit_navigation_action_get_navigation_type(action);
  if (self->IsRefusedNavigation(url, {})) {
    // The way back to the site after the user followed a link away: the
    // history the user (or the page) steps back through holds only pages
    // that were shown. (A link into the site that the user clicks never
    // gets here: WebKit refuses it first; see ReturnToSite.)
    if (kind == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  bool cancel = false;
  // The handler gets the URL as the scheme handler reads requests: with
  // non-ASCII characters as they are, not as WebKit's UTF-8 escapes.
  const String target = UrlFromWebKit(webkit_uri_request_get_uri(request));
  // A navigation whose check failed is not made.
  bool checked = false;
  RunHandler([&] {
    if (self->OnBeforeNavigate) self->OnBeforeNavigate(target, cancel);
    checked = true;
  });
  if (checked && !cancel) return FALSE;
  webkit_policy_decision_ignore(decision);
  return TRUE;
}

void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
  TBrowserViewLinux* self = Self(data);
  if (event == WEBKIT_LOAD_COMMITTED && g_strcmp0(webkit_web_view_get_uri(view), "about:blank") != 0) {
    self->LeftStartPage = true;
  }
  if (event != WEBKIT_LOAD_FINISHED) return;
  const String url = ShownURL(view);
  RunHandler([&] {
    if (self->OnNavigateComplete) self->OnNavigateComplete(url);
  });
}

// A link into the site the user clicked on a page of another origin: the
// program loads it at the top as its own navigation, so that the scheme
// serves it, while every request the foreign page itself makes stays
// refused. Nothing is saved or run for it.
void ReturnToSite(TBrowserViewLinux* self, WebKitWebView* view, const char* uri) {
  const String target = UrlFromWebKit(uri);
  bool allowed = false;
  RunHandler([&] { allowed = self->UserLinkLeadsBack(target); });
  if (allowed) LoadFromProgram(view, uri);
}

// The extension's messages (kCloseMessage, kReturnMessage); others are
// left to the view's other listeners.
gboolean OnViewMessage(WebKitWebView* view, WebKitUserMessage* message, gpointer data) {
  TBrowserViewLinux* self = Self(data);
  const char* name = webkit_user_message_get_name(message);
  if (g_strcmp0(name, kCloseMessage) == 0) {
    const bool child = self->IsChildWindow();
    RunHandler([self, child] { self->PageClosesWindow(child); });
    return TRUE;
  }
  if (g_strcmp0(name, kReturnMessage) != 0) return FALSE;
  GVariant* parameters = webkit_user_message_get_parameters(message);
  if (parameters != nullptr && g_variant_is_of_type(parameters, G_VARIANT_TYPE_STRING)) {
    ReturnToSite(self, view, g_variant_get_string(parameters, nullptr));
  }
  return TRUE;
}

// WebKit's own close: raised for any script its rules let close the
// window, whatever its origin: the page, a frame of it (top.close()), or a
// page the window opened (opener.close()); the signal does not say which.
// A window closes by the extension's message instead, which only its top
// page of the site sends. A window a page opened keeps the native close
// only while it has shown nothing but the about:blank it starts with,
// whose script is its opener's.
void OnNativeClose(WebKitWebView*, gpointer data) {
  TBrowserViewLinux* self = Self(data);
  if (!self->IsChildWindow() || self->LeftStartPage) return;
  RunHandler([self] { self->PageClosesWindow(true); });
}

gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer) {
  return TRUE;  // no context menu
}

// WebKit hands a key press to the page first and, when the page leaves it
// alone, delivers the same event to the widgets once more: the view sees
// it twice. The second delivery carries the first one's time and key.
bool IsRedelivery(GtkWidget* view, const GdkEventKey* event) {
  static constexpr char kLastKey[] = "lumora-last-key";
  const guint64 key = (static_cast<guint64>(event->time) << 16) | event->hardware_keycode;
  auto* last = static_cast<guint64*>(g_object_get_data(G_OBJECT(view), kLastKey));
  if (last == nullptr) {
    last = g_new0(guint64, 1);
    g_object_set_data_full(G_OBJECT(view), kLastKey, last, g_free);
  } else if (*last == key && event->time != GDK_CURRENT_TIME) {
    return true;
  }
  *last = key;
  return false;
}

// F12 and Ctrl+Shift+I, the usual keys of a browser's inspector.
bool IsInspectorKey(const GdkEventKey* event) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  const guint key = gdk_keyval_to_upper(event->keyval);
  return (key == GDK_KEY_F12 && modifiers == 0) ||
         (key == GDK_KEY_I && modifiers == (GDK_CONTROL_MASK | GDK_SHIFT_MASK));
}

// Steps through the view's history: -1 back, +1 forward. Whether it may
// is the navigation's own decision (OnDecidePolicy).
gboolean StepHistory(GtkWidget* widget, int step) {
  WebKitWebView* view = WEBKIT_WEB_VIEW(widget);
  if (step < 0 && webkit_web_view_can_go_back(view)) webkit_web_view_go_back(view);
  if (step > 0 && webkit_web_view_can_go_forward(view)) webkit_web_view_go_forward(view);
  return step != 0;
}

// The history keys of the Windows control. Backspace steps on the second
// delivery only: the page had it first and left it alone (a text field
// keeps its Backspace, a page that prevents the key keeps it).
gboolean OnHistoryKey(GtkWidget* widget, const GdkEventKey* event, bool redelivered) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  const TKeyModifiers held{(modifiers & GDK_SHIFT_MASK) != 0, (modifiers & GDK_CONTROL_MASK) != 0,
                           (modifiers & GDK_MOD1_MASK) != 0};
  const THistoryStep step = HistoryStepOfKey(VirtualKeyOf(event->keyval), held);
  return step.PageFirst == redelivered && StepHistory(widget, step.Step);
}

// The mouse's back and forward buttons (X buttons 8 and 9): the press
// steps, and neither press nor release reaches the page.
gboolean OnHistoryButton(GtkWidget* widget, GdkEventButton* event, gpointer) {
  if (event->button != 8 && event->button != 9) return FALSE;
  if (event->type == GDK_BUTTON_PRESS) StepHistory(widget, event->button == 8 ? -1 : 1);
  return TRUE;
}

gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  if (g_object_get_data(G_OBJECT(widget), "lumora-inspector") != nullptr && IsInspectorKey(event)) {
    webkit_web_inspector_show(webkit_web_view_get_inspector(WEBKIT_WEB_VIEW(widget)));
    return TRUE;
  }
  if (IsRedelivery(widget, event)) return OnHistoryKey(widget, event, true);
  TBrowserView* self = Self(data);
  const int key = VirtualKeyOf(event->keyval);
  // The Ctrl shortcuts the browser never sees; any modifier beyond Ctrl and
  // Shift (Alt, Super) counts as Alt.
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (IsDisabledCtrlShortcut(key, (modifiers & GDK_CONTROL_MASK) != 0, (modifiers & GDK_SHIFT_MASK) != 0,
                             (modifiers & ~(GDK_CONTROL_MASK | GDK_SHIFT_MASK)) != 0)) {
    return TRUE;
  }
  // A copy: Escape may close the window and free the view.
  auto handler = self->OnKeyDown;
  if (handler && key != 0) RunHandler([&handler, key] { handler(key); });
  return OnHistoryKey(widget, event, false);
}

// Where the answer of a script call lands.
struct TScriptWait {
  GMainLoop* Loop = g_main_loop_new(nullptr, FALSE);
  JSCValue* Result = nullptr;
  GError* Error = nullptr;
  bool Done = false;
  // The waiter gave up: the answer frees the state.
  bool Abandoned = false;
  TScriptWait() = default;
  TScriptWait(const TScriptWait&) = delete;
  TScriptWait& operator=(const TScriptWait&) = delete;
  ~TScriptWait() {
    g_main_loop_unref(Loop);
    if (Result != nullptr) g_object_unref(Result);
    if (Error != nullptr) g_error_free(Error);
  }
};

// alert, confirm, prompt and the leave-page question as the program's own
// dialogs, titled with the form's caption (WebKit's own are titled
// "JavaScript - " and the page's address). The page waits while one shows.
gboolean OnScriptDialog(WebKitWebView* view, WebKitScriptDialog* request, gpointer data) {
  const std::string caption = ToUtf8(Self(data)->DialogCaption());
  const WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(request);
  GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view));
  GtkWidget* dialog =
      gtk_message_dialog_new(GTK_IS_WINDOW(toplevel) ? GTK_WINDOW(toplevel) : nullptr,
                             static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                             type == WEBKIT_SCRIPT_DIALOG_ALERT ? GTK_MESSAGE_WARNING : GTK_MESSAGE_QUESTION,
                             type == WEBKIT_SCRIPT_DIALOG_ALERT ? GTK_BUTTONS_OK : GTK_BUTTONS_OK_CANCEL, "%s",
                             webkit_script_dialog_get_message(request));
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  GtkWidget* entry = nullptr;
  if (type == WEBKIT_SCRIPT_DIALOG_PROMPT) {
    entry = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(entry), webkit_script_dialog_prompt_get_default_text(request));
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    gtk_container_add(GTK_CONTAINER(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog))), entry);
    gtk_widget_show(entry);
  }
  StyleWindowBeforeShow(GTK_WINDOW(dialog));
  const bool accepted = RunModalDialog(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK;
  if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM || type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
    webkit_script_dialog_confirm_set_confirmed(request, accepted);
  } else if (entry != nullptr && accepted) {
    webkit_script_dialog_prompt_set_text(request, gtk_entry_get_text(GTK_ENTRY(entry)));
  }
  gtk_widget_destroy(dialog);
  return TRUE;
}

}  // namespace

TBrowserViewLinux::TBrowserViewLinux(TBrowserView* related) : TBrowserView(related != nullptr) {
  // Before the view: its web process may start as soon as it exists.
  BridgeExtension = std::make_unique<TWebKitBridgeExtension>(webkit_web_context_get_default(), String(kSiteScheme));
  Manager = webkit_user_content_manager_new();
  GtkWidget* view;
  if (related != nullptr) {
    view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", related->NativeHandle(),
                                   "user-content-manager", Manager, nullptr));
  } else {
    view = webkit_web_view_new_with_user_content_manager(Manager);
  }
  View = view;
  g_object_ref_sink(view);

  AddWebKitMediaBridge(Manager, String(kSiteScheme));
  ExternalCall = [this](int32_t ID, const std::vector<TJsValue>& Params, TJsValue& Result, TJsError& Error) {
    // The page names no calling frame here: the web process extension
    // gives window.external only to frames of the site.
    return CallExternal(ID, {}, Params, Result, Error);
  };
  AddWebKitScriptBridge(WEBKIT_WEB_VIEW(view), ExternalCall);

  WebKitWebView* web = WEBKIT_WEB_VIEW(view);
  g_signal_connect(web, "user-message-received", G_CALLBACK(OnViewMessage), this);
  // Pages may open windows from script, not only from a click.
  webkit_settings_set_javascript_can_open_windows_automatically(webkit_web_view_get_settings(web), TRUE);
  g_signal_connect(web, "create", G_CALLBACK(OnCreate), this);
  g_signal_connect(web, "ready-to-show", G_CALLBACK(OnReadyToShow), this);
  g_signal_connect(web, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), this);
  g_signal_connect(web, "close", G_CALLBACK(OnNativeClose), this);
  g_signal_connect(web, "context-menu", G_CALLBACK(OnContextMenu), this);
  g_signal_connect(web, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect(web, "button-press-event", G_CALLBACK(OnHistoryButton), this);
  g_signal_connect(web, "button-release-event", G_CALLBACK(OnHistoryButton), this);
  g_signal_connect(web, "script-dialog", G_CALLBACK(OnScriptDialog), this);
  // Drops are refused: the view is no drop target at all.
  gtk_drag_dest_unset(view);
}

TBrowserViewLinux::~TBrowserViewLinux() {
  WebKitWebView* web = WEBKIT_WEB_VIEW(View);
  g_signal_handlers_disconnect_by_data(web, this);
  // The view outlives this object until the idle below: calls still on
  // their way must not find it.
  DetachWebKitScriptBridge(web);
  if (NoSelectSheet) webkit_user_style_sheet_unref(NoSelectSheet);
  // The view may be the one whose signal is being handled right now: it
  // leaves its window now and is destroyed once control is back in the loop.
  if (GtkWidget* parent = gtk_widget_get_parent(View)) {
    gtk_container_remove(GTK_CONTAINER(parent), View);
  }
  g_idle_add(
      +[](gpointer widget) -> gboolean {
        gtk_widget_destroy(GTK_WIDGET(widget));
        g_object_unref(widget);
        return G_SOURCE_REMOVE;
      },
      View);
  g_object_unref(Manager);
}

void TBrowserViewLinux::SetAllowTextSelectImpl(bool allow) {
  if (allow && NoSelectSheet) {
    webkit_user_content_manager_remove_all_style_sheets(Manager);
    webkit_user_style_sheet_unref(NoSelectSheet);
    NoSelectSheet = nullptr;
  } else if (!allow && !NoSelectSheet) {
    NoSelectSheet = webkit_user_style_sheet_new(kNoSelectSheet, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
    webkit_user_content_manager_add_style_sheet(Manager, NoSelectSheet);
  }
}

void TBrowserViewLinux::SetScriptErrorActionImpl(TScriptErrorAction action) {
  // WebKit shows no script-error prompt of its own: with eaAskUser the
  // page's console messages, errors included, are written to the program's
  // standard error (the setting's name says "stdout", but WebKit's web
  // process logs them to standard error, which it shares with us); with
  // eaContinue they stay quiet. Scripts go on in both.
  WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(View));
  webkit_settings_set_enable_write_console_messages_to_stdout(settings, action == TScriptErrorAction::eaAskUser);
}

void TBrowserViewLinux::EnableInspectorImpl() {
  WebKitWebView* web = WEBKIT_WEB_VIEW(View);
  webkit_settings_set_enable_developer_extras(webkit_web_view_get_settings(web), TRUE);
  g_object_set_data(G_OBJECT(View), "lumora-inspector", GINT_TO_POINTER(1));
  // The inspector opens in a window of its own instead of taking half of
  // the site's window, which keeps the size the configuration gave it.
  g_signal_connect(webkit_web_view_get_inspector(web), "attach",
                   G_CALLBACK(+[](WebKitWebInspector* inspector, gpointer) -> gboolean {
                     // Attached first, as WebKit insists on, then moved out.
                     g_idle_add_full(
                         G_PRIORITY_DEFAULT_IDLE,
                         +[](gpointer data) -> gboolean {
                           webkit_web_inspector_detach(WEBKIT_WEB_INSPECTOR(data));
                           return G_SOURCE_REMOVE;
                         },
                         g_object_ref(inspector), g_object_unref);
                     return FALSE;
                   }),
                   nullptr);
}

void TBrowserViewLinux::ReloadFromSiteImpl() {
  // The scheme's cache of entries would answer with the old bytes.
  ForgetWebKitSchemeEntries(webkit_web_view_get_context(WEBKIT_WEB_VIEW(View)), String(kSiteScheme));
  webkit_web_view_reload_bypass_cache(WEBKIT_WEB_VIEW(View));
}

void TBrowserViewLinux::NavigateImpl(const String& url) {
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(View), ToUtf8(url).c_str());
}

String TBrowserViewLinux::LocationURLImpl() const { return ShownURL(WEBKIT_WEB_VIEW(View)); }

bool TBrowserViewLinux::HasDocumentImpl() const { return webkit_web_view_get_uri(WEBKIT_WEB_VIEW(View)) != nullptr; }

TScriptCall TBrowserViewLinux::CallScriptImpl(const String& name, std::initializer_list<int> arguments) {
  WebKitWebView* web = WEBKIT_WEB_VIEW(View);
  std::string args;
  for (int argument : arguments) {
    if (!args.empty()) args += ",";
    args += std::to_string(argument);
  }
  const std::string script =
      "(function () { var f = window[" + JsonString(name) +
      "]; if (typeof f !== 'function') return { k: 'missing' };"
      " try { var v = f(" +
      args +
      "); var t = v === null ? 'null' : typeof v;"
      " return { k: 'value', t: t, v: (t === 'object' || t === 'function' || t === 'symbol' || t === 'bigint') ? "
      "String(v) : v }; }"
      " catch (e) { return { k: 'error', m: String(e && e.message !== undefined ? e.message : e),"
      " s: String(e && e.name || 'Error') }; } })()";

  // WebKit answers a call only once the page has run it, even a cancelled
  // one; a wait that gives up first leaves its state to that answer, which
  // then frees it.
  auto wait = std::make_unique<TScriptWait>();
  TGObjectPtr<GCancellable> cancellable(g_cancellable_new());
  webkit_web_view_evaluate_javascript(
      web, script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr, cancellable.get(),
      +[](GObject* source, GAsyncResult* result, gpointer data) {
        auto* state = static_cast<TScriptWait*>(data);
        state->Result = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &state->Error);
        state->Done = true;
        if (state->Abandoned) {
          const std::unique_ptr<TScriptWait> owned(state);
        } else {
          g_main_loop_quit(state->Loop);
        }
      },
      wait.get());
  // A page that never answers must not hang the window: after the timeout
  // the wait gives up and the call counts as failed. Only time in which the
  // page's script runs on by itself counts: while a dialog asks the user
  // (the page's confirm, the print or save dialog), the page waits for an
  // answer, and so does the call, however long. A termination request
  // does not wait for the page either.
  auto giveUp = [&wait, &cancellable] {
    g_cancellable_cancel(cancellable.get());
    g_main_loop_quit(wait->Loop);
  };
  const TTerminationWatch watch(giveUp);
  struct TTimer {
    std::function<void()> GiveUp;
    guint Source = 0;
    guint QuietTicks = 0;
  } timer{giveUp};
  timer.Source = g_timeout_add(
      kScriptTimeoutTickMs,
      +[](gpointer data) -> gboolean {
        auto* self = static_cast<TTimer*>(data);
        self->QuietTicks = ModalDialogShows() ? 0 : self->QuietTicks + 1;
        if (self->QuietTicks * kScriptTimeoutTickMs < kScriptTimeoutMs) return G_SOURCE_CONTINUE;
        self->Source = 0;
        self->GiveUp();
        return G_SOURCE_REMOVE;
      },
      &timer);
  while (!wait->Done && !g_cancellable_is_cancelled(cancellable.get())) g_main_loop_run(wait->Loop);
  if (timer.Source != 0) g_source_remove(timer.Source);
  if (!wait->Done) {
    wait->Abandoned = true;
    static_cast<void>(wait.release());
    return TScriptCall::Failed(u"Operation was cancelled", u"WebKit");
  }

  TGObjectPtr<JSCValue> result(std::exchange(wait->Result, nullptr));
  if (wait->Error != nullptr) return TScriptCall::Failed(FromUtf8(wait->Error->message), u"WebKit");
  if (!result || !jsc_value_is_object(result.get())) return {};
  const String kind = Property(result.get(), "k");
  if (kind == u"missing") return TScriptCall::Missing();
  if (kind == u"error") return TScriptCall::Failed(Property(result.get(), "m"), Property(result.get(), "s"));
  const String type = Property(result.get(), "t");
  TGObjectPtr<JSCValue> value(jsc_value_object_get_property(result.get(), "v"));
  if (type == u"undefined" || !value) return {};
  if (type == u"null") return TScriptCall::Returned(TScriptValue::Null());
  if (type == u"boolean") return TScriptCall::Returned(TScriptValue::Boolean(jsc_value_to_boolean(value.get())));
  if (type == u"number") return TScriptCall::Returned(TScriptValue::Number(jsc_value_to_double(value.get())));
  return TScriptCall::Returned(TScriptValue::Text(JscString(value.get())));
}

void TBrowserViewLinux::ShowFindDialogImpl() {
  WebKitFindController* finder = webkit_web_view_get_find_controller(WEBKIT_WEB_VIEW(View));
  GtkWidget* toplevel = gtk_widget_get_toplevel(View);
  GtkWidget* dialog =
      gtk_dialog_new_with_buttons("Find", GTK_IS_WINDOW(toplevel) ? GTK_WINDOW(toplevel) : nullptr,
                                  GTK_DIALOG_DESTROY_WITH_PARENT, "_Close", GTK_RESPONSE_CLOSE, nullptr);
  GtkWidget* entry = gtk_search_entry_new();
  gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), entry);
  g_signal_connect(entry, "search-changed", G_CALLBACK(+[](GtkSearchEntry* search, gpointer data) {
                     webkit_find_controller_search(
                         static_cast<WebKitFindController*>(data), gtk_entry_get_text(GTK_ENTRY(search)),
                         WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND, G_MAXUINT);
                   }),
                   finder);
  g_signal_connect(entry, "activate", G_CALLBACK(+[](GtkEntry*, gpointer data) {
                     webkit_find_controller_search_next(static_cast<WebKitFindController*>(data));
                   }),
                   finder);
  g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog* self, int, gpointer data) {
                     webkit_find_controller_search_finish(static_cast<WebKitFindController*>(data));
                     gtk_widget_destroy(GTK_WIDGET(self));
                   }),
                   finder);
  gtk_widget_show_all(dialog);
}

void TBrowserViewLinux::PrintPreviewImpl() {
  TGObjectPtr<WebKitPrintOperation> operation(webkit_print_operation_new(WEBKIT_WEB_VIEW(View)));
  GtkWidget* toplevel = gtk_widget_get_toplevel(View);
  RunForeignModalDialog([&] {
    webkit_print_operation_run_dialog(operation.get(), GTK_IS_WINDOW(toplevel) ? GTK_WINDOW(toplevel) : nullptr);
  });
}

std::unique_ptr<TBrowserView> TBrowserView::CreateImpl(TFormWindow&, TBrowserView* related) {
  return std::make_unique<TBrowserViewLinux>(related);
}

}  // namespace lumora
