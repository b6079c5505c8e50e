// The browser component over a real WebKitGTK view: calling a page's
// script function synchronously and reading its value back, and the
// before-navigate and navigate-complete events.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "core/Exception.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"

namespace lumora {
namespace {

const char16_t kPage[] =
    u"data:text/html,<script>"
    u"function yes(x) { return x === 0; }"
    u"function num(a, b) { return a * 10 + b; }"
    u"function text() { return 'no'; }"
    u"function nothing() {}"
    u"function nul() { return null; }"
    u"function obj() { return { a: 1 }; }"
    u"function boom() { throw new TypeError('boom'); }"
    u"</script>";

class BrowserViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  }

  // Loads url into FView inside a window and waits until it has loaded.
  void Load(const String& url) {
    FWindow = TFormWindow::Create();
    FView = std::make_unique<TBrowserView>(*FWindow);
    FWindow->Show();
    FView->OnNavigateComplete = [this](const String& URL) { FLoaded.push_back(URL); };
    FView->Navigate(url);
    for (int i = 0; i < 2000 && FLoaded.empty(); ++i) {
      while (gtk_events_pending()) gtk_main_iteration();
      g_usleep(5000);
    }
    ASSERT_FALSE(FLoaded.empty()) << "the page did not load";
  }

  void TearDown() override {
    if (FWindow) FWindow->RemoveContent();
    FView.reset();
    FWindow.reset();
  }

  std::unique_ptr<TFormWindow> FWindow;
  std::unique_ptr<TBrowserView> FView;
  std::vector<String> FLoaded;
};

TEST_F(BrowserViewTest, CallsPageFunctionsAndReturnsTheirValues) {
  Load(kPage);
  using K = TScriptValue::TKind;
  TScriptValue v = FView->ExecScriptEx(u"yes", {0});
  EXPECT_EQ(v.Kind, K::Boolean);
  EXPECT_TRUE(v.BooleanValue);
  v = FView->ExecScriptEx(u"num", {4, 2});
  EXPECT_EQ(v.Kind, K::Number);
  EXPECT_EQ(v.NumberValue, 42);
  v = FView->ExecScriptEx(u"text", {});
  EXPECT_EQ(v.Kind, K::Text);
  EXPECT_EQ(v.TextValue, u"no");
  EXPECT_EQ(FView->ExecScriptEx(u"nothing", {}).Kind, K::Empty);
  EXPECT_EQ(FView->ExecScriptEx(u"nul", {}).Kind, K::Null);
  v = FView->ExecScriptEx(u"obj", {});
  EXPECT_EQ(v.Kind, K::Text);
  EXPECT_EQ(v.TextValue, u"[object Object]");
}

TEST_F(BrowserViewTest, MissingAndFailingFunctionsRaise) {
  Load(kPage);
  for (const char16_t* name : {u"appCanClose", u"document", u"x\"]; alert(1); //"}) {
    try {
      FView->ExecScriptEx(name, {0});
      ADD_FAILURE() << ToUtf8(name) << " raised nothing";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), u"This object does not support this method") << ToUtf8(name);
    }
  }
  try {
    FView->ExecScriptEx(u"boom", {});
    ADD_FAILURE() << "boom raised nothing";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"Method call unsuccessful. boom (TypeError).");
  }
}

TEST_F(BrowserViewTest, WithoutAPageThereIsNothingToCall) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  TBrowserView view(*window);
  EXPECT_EQ(view.ExecScriptEx(u"appCanClose", {0}).Kind, TScriptValue::TKind::Empty);
}

TEST_F(BrowserViewTest, BeforeNavigateCanCancel) {
  Load(kPage);
  std::vector<String> asked;
  FView->OnBeforeNavigate = [&](const String& URL, bool& Cancel) {
    asked.push_back(URL);
    Cancel = true;
  };
  FLoaded.clear();
  FView->Navigate(u"data:text/html,<p>second</p>");
  for (int i = 0; i < 200; ++i) {
    while (gtk_events_pending()) gtk_main_iteration();
    g_usleep(5000);
  }
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], u"data:text/html,<p>second</p>");
  EXPECT_TRUE(FLoaded.empty());
  // The first page is still there to be called.
  EXPECT_EQ(FView->ExecScriptEx(u"num", {1, 2}).NumberValue, 12);
}

}  // namespace
}  // namespace lumora
