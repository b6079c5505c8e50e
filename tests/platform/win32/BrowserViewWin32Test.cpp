// The browser view on Windows: the form's events and settings reach the
// control's host, a new window's view is handed to the control, and
// window.external answers pages of the site only.
#include <gtest/gtest.h>
#include <mshtmhst.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/Stream.h"
#include "core/bridge/JsConstants.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"
#include "core/protocol/SiteOrigin.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/MessageLoop.h"
#include "platform/OleSession.h"
#include "support/win32/BrowserTestSupport.h"
#include "platform/win32/browser/ComObject.h"

namespace lumora::test {
namespace {

// The control's host behind a view.
TWebBrowserHost& HostOf(TBrowserView& view) {
  const auto window = static_cast<HWND>(view.NativeHandle());
  return *reinterpret_cast<TWebBrowserHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The identifier window.external gives the page for name, or -1.
DISPID ExternalID(TBrowserView& view, const wchar_t* name) {
  const auto handler = Query<IDocHostUIHandler>(ClientSiteOf(HostOf(view)).Get(), IID_IDocHostUIHandler);
  TComPtr<IDispatch> external;
  if (!handler || handler->GetExternal(external.Receive()) != S_OK) return -1;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  return SUCCEEDED(external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) ? id : -1;
}

class BrowserViewWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ObjectsBefore = TComObject::LiveCount();
    Server = std::make_unique<TLmpServer>();
  }
  void TearDown() override {
    Server.reset();
    EXPECT_EQ(TComObject::LiveCount(), ObjectsBefore);
  }

  long ObjectsBefore = 0;
  TOleSession Ole;
  std::unique_ptr<TLmpServer> Server;
};

TEST_F(BrowserViewWin32Test, ExternalAnswersPagesOfTheSiteOnly) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  std::vector<String> navigations;
  view.OnBeforeNavigate = [&](const String& URL, bool&) { navigations.push_back(URL); };
  EXPECT_EQ(ExternalID(view, L"appReadFile"), -1);  // no page yet

  view.Navigate(u"LMP://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Server->Requests.empty(); }));
  EXPECT_EQ(navigations, std::vector<String>{u"LMP://site/index.html"});
  EXPECT_EQ(ExternalID(view, L"appReadFile"), kJsAppReadFile);
  EXPECT_EQ(ExternalID(view, L"noSuchFunction"), -1);
  // Wine has no HTML engine: the page arrived, but no document holds it.
  EXPECT_FALSE(view.HasDocument());

  view.Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return HostOf(view).LocationURL() == u"about:blank"; }));
  EXPECT_EQ(ExternalID(view, L"appReadFile"), -1);
}

// A site of another origin, served in the process: a scheme of its own
// answered with a small page while the object lives. The lmp server (and
// its registry) must outlive it.
struct TForeignSite {
  TForeignSite() {
    Web.SetProtocol(u"web");
    Web.SetOnRequestStream([](TInternetProtocol&, const String&, std::unique_ptr<TStream>& stream) {
      auto page = std::make_unique<TMemoryStream>();
      page->WriteBuffer(TLmpServer::kPage, sizeof TLmpServer::kPage - 1);
      stream = std::move(page);
    });
    Web.SetActive(true);
  }
  ~TForeignSite() { Web.SetActive(false); }
  TForeignSite(const TForeignSite&) = delete;
  TForeignSite& operator=(const TForeignSite&) = delete;

  // Puts one of its pages at the top of view.
  void Show(TBrowserView& view) {
    view.Navigate(u"web://127.0.0.1:8000/page.html");
    ASSERT_TRUE(PumpUntil([&] { return HasScheme(HostOf(view).LocationURL(), u"web"); }))
        << ToUtf8(HostOf(view).LocationURL());
  }

  TInternetProtocol Web;
};

// What the form's handler does with a navigation (the downloads path) is
// never reached for a navigation into the site that a page of another
// origin asked for, nor while such a page is at the top.
TEST_F(BrowserViewWin32Test, NavigationsIntoTheSiteFromOtherOriginsNeverReachTheForm) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  std::vector<String> reached;
  view.OnBeforeNavigate = [&](const String& URL, bool&) { reached.push_back(URL); };
  const TComPtr<IDispatch> sink = EventSinkOf(HostOf(view));
  ASSERT_TRUE(sink);

  view.Navigate(u"lmp://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Server->Requests.empty(); }));
  reached.clear();
  struct Case {
    const char16_t* Url;
    const char16_t* Headers;
    bool Refused;
  } fromSitePage[] = {
      {u"lmp://site/x.exe", u"Referer: lmp://site/index.html\r\n", false},
      {u"lmp://site/x.exe", u"", false},  // the Referer withheld: the top page decides
      {u"lmp://site/x.exe", u"Referer: http://127.0.0.1:8000/frame.html\r\n", true},
      {u"lmp://site/x.exe", u"Origin: null\r\nReferer: lmp://site/index.html\r\n", true},
      {u"LMP://site/y.exe", u"Accept: */*\r\nreferer: https://example.com/\r\n", true},
      {u"http://127.0.0.1:8000/next.html", u"Referer: http://127.0.0.1:8000/frame.html\r\n", false},
  };
  std::vector<String> expected;
  for (const Case& c : fromSitePage) {
    EXPECT_EQ(RaiseBeforeNavigate2(sink.Get(), c.Url, c.Headers), c.Refused) << ToUtf8(c.Url) << ToUtf8(c.Headers);
    if (!c.Refused) expected.push_back(c.Url);
  }
  EXPECT_EQ(reached, expected);

  // A page of another origin at the top may not navigate into the site,
  // whatever its request says; it may go elsewhere.
  TForeignSite foreign;
  foreign.Show(view);
  reached.clear();
  EXPECT_TRUE(RaiseBeforeNavigate2(sink.Get(), u"lmp://site/x.exe", u""));
  EXPECT_TRUE(RaiseBeforeNavigate2(sink.Get(), u"lmp://site/x.exe", u"Referer: lmp://site/index.html\r\n"));
  EXPECT_FALSE(RaiseBeforeNavigate2(sink.Get(), u"http://127.0.0.1:8000/", u""));
  EXPECT_EQ(reached, std::vector<String>{u"http://127.0.0.1:8000/"});
  // Through the control itself: the request never reaches the site (the
  // navigation after it is done, so it was decided).
  const size_t requests = Server->Requests.size();
  view.Navigate(u"lmp://site/z.exe");
  view.Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return HostOf(view).LocationURL() == u"about:blank"; }));
  EXPECT_EQ(Server->Requests.size(), requests);

  // A new window starts at about:blank, its opener's.
  reached.clear();
  EXPECT_FALSE(RaiseBeforeNavigate2(sink.Get(), u"lmp://site/x.exe", u""));
  EXPECT_EQ(reached, std::vector<String>{u"lmp://site/x.exe"});
}

// After the user followed a link to another site, Back and Forward lead
// to the site's pages the window showed, and a link into the site the user
// follows is loaded by the program; nothing the foreign page asks for
// itself gets into the site, and nothing of it reaches the form's
// download handler.
TEST_F(BrowserViewWin32Test, TheWayBackFromAPageOfAnotherOriginLeadsToTheSitesPagesOnly) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  std::vector<String> reached, asked;
  view.OnBeforeNavigate = [&](const String& URL, bool&) { reached.push_back(URL); };
  view.OnReturnToSite = [&](const String& URL) {
    asked.push_back(URL);
    return !URL.ends_with(u".exe");
  };
  const TComPtr<IDispatch> sink = EventSinkOf(HostOf(view));
  ASSERT_TRUE(sink);
  const auto requested = [&](const String& request) {
    return std::find(Server->Requests.begin(), Server->Requests.end(), request) != Server->Requests.end();
  };
  for (const char16_t* page : {u"lmp://site/index.html", u"lmp://site/b.html"}) {
    view.Navigate(page);
    ASSERT_TRUE(PumpUntil([&] { return HostOf(view).LocationURL() == page; }));
    RaiseNavigateComplete2(sink.Get(), page);
  }
  TForeignSite foreign;
  foreign.Show(view);
  reached.clear();

  const TComPtr<IDispatch> top = Query<IDispatch>(HostOf(view).Browser().Get(), IID_IDispatch);
  struct Case {
    const char16_t* Url;
    const char16_t* Headers;
    bool Top;
    bool Refused;
  } cases[] = {
      {u"lmp://site/index.html", u"", true, false},                                            // Back
      {u"lmp://site/b.html", u"", true, false},                                                // Forward
      {u"lmp://site/index.html", u"Referer: web://127.0.0.1:8000/page.html\r\n", true, true},  // the page's own
      {u"lmp://site/index.html", u"", false, true},                                            // a frame
      {u"lmp://site/other.html", u"", true, true},                                             // never shown
      {u"lmp://site/x.exe", u"", true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RaiseBeforeNavigate2(sink.Get(), c.Url, c.Headers, c.Top ? top.Get() : nullptr), c.Refused)
        << ToUtf8(c.Url) << ToUtf8(c.Headers) << c.Top;
  }
  EXPECT_TRUE(reached.empty());

  // The user's link into the site: loaded at the top, unless it leads to
  // an entry the form would save or run.
  HostOf(view).ReportUserLink(u"lmp://site/x.exe");
  HostOf(view).ReportUserLink(u"lmp://site/c.html");
  ASSERT_TRUE(PumpUntil([&] { return HostOf(view).LocationURL() == u"lmp://site/c.html"; }));
  EXPECT_TRUE(requested(u"//site/c.html"));
  EXPECT_FALSE(requested(u"//site/x.exe"));
  EXPECT_TRUE(reached.empty());
  EXPECT_EQ(asked, (std::vector<String>{u"lmp://site/index.html", u"lmp://site/b.html", u"lmp://site/x.exe",
                                        u"lmp://site/c.html"}));
}

// window.close() closes the program only from a page of the site; a window
// a script opened closes whatever it shows.
TEST_F(BrowserViewWin32Test, OnlyASitePageClosesTheProgram) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  std::vector<bool> closings;
  view.OnWindowClosing = [&](bool IsChildWindow) { closings.push_back(IsChildWindow); };
  const TComPtr<IDispatch> sink = EventSinkOf(HostOf(view));
  ASSERT_TRUE(sink);

  EXPECT_TRUE(RaiseWindowClosing(sink.Get(), false));  // no page yet
  EXPECT_TRUE(closings.empty());

  view.Navigate(u"lmp://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Server->Requests.empty(); }));
  EXPECT_FALSE(RaiseWindowClosing(sink.Get(), false));
  EXPECT_EQ(closings, std::vector<bool>{false});

  TForeignSite foreign;
  foreign.Show(view);
  EXPECT_TRUE(RaiseWindowClosing(sink.Get(), false));
  view.Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return HostOf(view).LocationURL() == u"about:blank"; }));
  EXPECT_TRUE(RaiseWindowClosing(sink.Get(), false));
  EXPECT_EQ(closings, std::vector<bool>{false});
}

// The control's close event does not say who asked: the page, a frame of
// it (top.close()) or another window (opener.close()). While a window of
// the program shows a page of another origin, that page may be the one
// asking, and the main window stays; a window a page opened closes while
// it shows no page of another origin.
TEST_F(BrowserViewWin32Test, PagesOfOtherOriginsCloseNoWindowOfTheProgram) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TFormWindow> popupWindow = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  std::unique_ptr<TBrowserView> popup = TBrowserView::Create(*popupWindow, &view);
  std::vector<String> closings;
  view.OnWindowClosing = [&](bool) { closings.push_back(u"main"); };
  popup->OnWindowClosing = [&](bool) { closings.push_back(u"popup"); };
  const TComPtr<IDispatch> sink = EventSinkOf(HostOf(view));
  const TComPtr<IDispatch> popupSink = EventSinkOf(HostOf(*popup));
  ASSERT_TRUE(sink && popupSink);
  view.Navigate(u"lmp://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Server->Requests.empty(); }));

  TForeignSite foreign;
  foreign.Show(*popup);
  EXPECT_TRUE(RaiseWindowClosing(sink.Get(), false));      // its opener.close()
  EXPECT_TRUE(RaiseWindowClosing(popupSink.Get(), true));  // its window.close()
  EXPECT_TRUE(closings.empty());

  // (The program's own load of a site page is refused as well while the
  // foreign page is at the top: through about:blank.)
  popup->Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return HostOf(*popup).LocationURL() == u"about:blank"; }));
  popup->Navigate(u"lmp://site/popup.html");
  ASSERT_TRUE(PumpUntil([&] { return HasScheme(HostOf(*popup).LocationURL(), u"lmp"); }));
  EXPECT_FALSE(RaiseWindowClosing(popupSink.Get(), true));
  EXPECT_FALSE(RaiseWindowClosing(sink.Get(), false));
  // Gone, the popup's foreign page holds the main window no more.
  foreign.Show(*popup);
  popup.reset();
  EXPECT_FALSE(RaiseWindowClosing(sink.Get(), false));
  EXPECT_EQ(closings, (std::vector<String>{u"popup", u"main", u"main"}));
}

// A window a page opened that shows a site page: a foreign page in a
// window it opened in turn (opener.close()), or anywhere else in the
// program, might be the one asking, so it stays until that page is gone.
TEST_F(BrowserViewWin32Test, APopupShowingASitePageClosesForNoPageOfAnotherOrigin) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TFormWindow> popupWindow = TFormWindow::Create();
  const std::unique_ptr<TFormWindow> innerWindow = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> view = TBrowserView::Create(*window);
  const std::unique_ptr<TBrowserView> popup = TBrowserView::Create(*popupWindow, view.get());
  std::unique_ptr<TBrowserView> inner = TBrowserView::Create(*innerWindow, popup.get());
  int closings = 0;
  popup->OnWindowClosing = [&](bool) { ++closings; };
  const TComPtr<IDispatch> popupSink = EventSinkOf(HostOf(*popup));
  ASSERT_TRUE(popupSink);
  popup->Navigate(u"lmp://site/popup.html");
  ASSERT_TRUE(PumpUntil([&] { return HasScheme(HostOf(*popup).LocationURL(), u"lmp"); }));

  TForeignSite foreign;
  foreign.Show(*inner);
  EXPECT_TRUE(RaiseWindowClosing(popupSink.Get(), true));
  foreign.Show(*view);
  inner.reset();
  EXPECT_TRUE(RaiseWindowClosing(popupSink.Get(), true));
  EXPECT_EQ(closings, 0);

  view->Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return HostOf(*view).LocationURL() == u"about:blank"; }));
  EXPECT_FALSE(RaiseWindowClosing(popupSink.Get(), true));
  EXPECT_EQ(closings, 1);
}

// A page of another origin (a frame's, as the control names the opener)
// opens a window only on the user's action; the site's pages always. The
// first event of a request (NewWindow2) names no opener: while a page of
// another origin is shown, the window waits for the next (NewWindow3).
TEST_F(BrowserViewWin32Test, PagesOfOtherOriginsOpenWindowsOnlyOnTheUsersAction) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  std::vector<std::unique_ptr<TFormWindow>> windows;
  std::vector<std::unique_ptr<TBrowserView>> popups;
  view.OnNewWindow = [&] {
    windows.push_back(TFormWindow::Create());
    popups.push_back(TBrowserView::Create(*windows.back(), &view));
    return popups.back().get();
  };
  const TComPtr<IDispatch> sink = EventSinkOf(HostOf(view));
  ASSERT_TRUE(sink);
  view.Navigate(u"lmp://site/index.html");
  ASSERT_TRUE(PumpUntil([&] { return !Server->Requests.empty(); }));

  constexpr long kUser = NWMF_USERINITED, kAsked = NWMF_USERREQUESTED, kFirst = NWMF_FIRST;
  struct Case {
    const char16_t* Context;
    long Flags;
    bool Opens;
  } cases[] = {
      {u"lmp://site/index.html", 0, true},
      {u"LMP://site/frame.html", kFirst, true},
      {u"http://127.0.0.1:8000/frame.html", 0, false},
      {u"http://127.0.0.1:8000/frame.html", kFirst, false},
      {u"http://127.0.0.1:8000/frame.html", kUser, true},
      {u"https://example.com/", kAsked, true},
      {u"about:blank", 0, false},  // a blank frame another origin may have made
      {u"data:text/html,x", 0, false},
      {u"about:blank", kUser | kFirst, true},
  };
  for (const Case& c : cases) {
    const size_t before = popups.size();
    IDispatch* target = nullptr;
    EXPECT_EQ(RaiseNewWindow(sink.Get(), target, c.Context, c.Flags), !c.Opens) << ToUtf8(c.Context) << c.Flags;
    EXPECT_EQ(popups.size(), before + (c.Opens ? 1 : 0)) << ToUtf8(c.Context) << c.Flags;
    EXPECT_EQ(target != nullptr, c.Opens);
    if (target) target->Release();
  }

  // A page of the site alone: NewWindow2 gives the window at once.
  IDispatch* target = nullptr;
  EXPECT_FALSE(RaiseNewWindow(sink.Get(), target));
  ASSERT_NE(target, nullptr);
  target->Release();

  TForeignSite foreign;
  foreign.Show(view);
  const size_t before = popups.size();
  target = nullptr;
  EXPECT_FALSE(RaiseNewWindow(sink.Get(), target));
  EXPECT_EQ(target, nullptr);
  EXPECT_TRUE(RaiseNewWindow(sink.Get(), target, u"web://127.0.0.1:8000/page.html", 0));
  EXPECT_EQ(target, nullptr);
  EXPECT_EQ(popups.size(), before);
  EXPECT_FALSE(RaiseNewWindow(sink.Get(), target, u"web://127.0.0.1:8000/page.html", kUser));
  ASSERT_NE(target, nullptr);
  target->Release();
  EXPECT_EQ(popups.size(), before + 1);
}

TEST_F(BrowserViewWin32Test, SettingsReachTheHostAndNewWindowsGetTheirView) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  TWebBrowserHost& host = HostOf(view);
  EXPECT_EQ(host.HostFlags(), 0x100007u);
  view.SetAllowTextSelect(true);
  EXPECT_EQ(host.HostFlags(), 0x100006u);
  view.SetScriptErrorAction(TScriptErrorAction::eaAskUser);
  EXPECT_FALSE(host.ScriptErrorsHandled());
  view.SetScriptErrorAction(TScriptErrorAction::eaContinue);
  EXPECT_TRUE(host.ScriptErrorsHandled());
  EXPECT_FALSE(view.IsChildWindow());

  const std::unique_ptr<TFormWindow> popupWindow = TFormWindow::Create();
  std::unique_ptr<TBrowserView> popup;
  view.OnNewWindow = [&] {
    popup = TBrowserView::Create(*popupWindow, &view);
    return popup.get();
  };
  IDispatch* target = nullptr;
  EXPECT_FALSE(RaiseNewWindow(EventSinkOf(host).Get(), target));
  ASSERT_TRUE(popup);
  EXPECT_TRUE(popup->IsChildWindow());
  // The control is given the popup's browser, as one COM identity.
  const auto given = Query<IUnknown>(target, IID_IUnknown);
  const auto expected = Query<IUnknown>(HostOf(*popup).Application().Get(), IID_IUnknown);
  EXPECT_EQ(given.Get(), expected.Get());
  target->Release();
}

// The loop hands each key to the window it is for: a browser's keys to
// that browser, any other child's to its form first (Escape closes the
// form from anywhere), the form's own to the form.
TEST_F(BrowserViewWin32Test, TheLoopHandsKeysToTheBrowserOrTheFormTheyAreFor) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  const std::unique_ptr<TBrowserView> viewOwner = TBrowserView::Create(*window);
  TBrowserView& view = *viewOwner;
  const auto form = static_cast<HWND>(window->NativeHandle());
  const auto browser = static_cast<HWND>(view.NativeHandle());
  const TWindowHandle field(
      ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, form, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  std::vector<int> viewKeys, formKeys;
  view.OnKeyDown = [&](int Key) { viewKeys.push_back(Key); };
  window->OnKeyDown = [&](int Key) { formKeys.push_back(Key); };
  ::PostMessageW(browser, WM_KEYDOWN, VK_ESCAPE, 0);
  ::PostMessageW(field.get(), WM_KEYDOWN, VK_ESCAPE, 0);
  ::PostMessageW(form, WM_KEYDOWN, VK_RETURN, 0);
  ::PostMessageW(browser, WM_KEYDOWN, VK_F5, 0);
  ::PostQuitMessage(0);
  RunMessageLoop();
  EXPECT_EQ(viewKeys, (std::vector<int>{VK_ESCAPE, VK_F5}));
  EXPECT_EQ(formKeys, (std::vector<int>{VK_ESCAPE, VK_RETURN}));
}

}  // namespace
}  // namespace lumora::test
