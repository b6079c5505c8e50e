// The browser view on Windows: the form's events and settings reach the
// control's host, a new window's view is handed to the control, and
// window.external answers pages of the site only.
#include <gtest/gtest.h>
#include <mshtmhst.h>

#include <memory>
#include <vector>

#include "core/Stream.h"
#include "core/bridge/JsConstants.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"
#include "core/protocol/SiteOrigin.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/MessageLoop.h"
#include "platform/OleSession.h"
#include "platform/win32/BrowserTestSupport.h"
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
  EXPECT_FALSE(RaiseWindowClosing(sink.Get(), true));
  view.Navigate(u"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return HostOf(view).LocationURL() == u"about:blank"; }));
  EXPECT_TRUE(RaiseWindowClosing(sink.Get(), false));
  EXPECT_EQ(closings, (std::vector<bool>{false, true}));
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
  VARIANT targetOut, cancelOut;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  ::VariantInit(&targetOut);
  targetOut.vt = VT_BYREF | VT_DISPATCH;
  targetOut.ppdispVal = &target;
  ::VariantInit(&cancelOut);
  cancelOut.vt = VT_BYREF | VT_BOOL;
  cancelOut.pboolVal = &cancel;
  VARIANT arguments[] = {cancelOut, targetOut};
  DISPPARAMS parameters{arguments, nullptr, 2, 0};
  ASSERT_EQ(EventSinkOf(host)->Invoke(DISPID_NEWWINDOW2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                                      nullptr, nullptr, nullptr),
            S_OK);
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
