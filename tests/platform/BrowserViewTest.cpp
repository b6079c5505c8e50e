// The portable half of the browser view, through a backend that shows
// whatever page it is told and records what its hooks were asked: the
// script-call errors, who may close the program, whom window.external
// answers, and the settings, each as every backend applies them. The last
// test makes the platform's own view.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/Exception.h"
#include "core/bridge/JsConstants.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/OleSession.h"

namespace lumora::test {
namespace {

class TRecordingView final : public TBrowserView {
 public:
  explicit TRecordingView(bool isChild = false) : TBrowserView(isChild) {}

  // The page the view shows at the top; a document exists once there is one.
  String Shown;
  // What a call of a page function gives.
  TScriptCall Answer;
  std::vector<String> Calls;
  std::vector<bool> TextSelect;
  std::vector<TScriptErrorAction> ErrorActions;

  // The page's requests, as the engine would raise them.
  using TBrowserView::CallExternal;
  using TBrowserView::ExternalID;
  using TBrowserView::PageClosesWindow;

 protected:
  void SetAllowTextSelectImpl(bool allow) override { TextSelect.push_back(allow); }
  void SetScriptErrorActionImpl(TScriptErrorAction action) override { ErrorActions.push_back(action); }
  void NavigateImpl(const String& url) override { Shown = url; }
  TScriptCall CallScriptImpl(const String& name, std::initializer_list<int>) override {
    Calls.push_back(name);
    return Answer;
  }
  bool HasDocumentImpl() const override { return !Shown.empty(); }
  String LocationURLImpl() const override { return Shown; }
  void ShowFindDialogImpl() override {}
  void PrintPreviewImpl() override {}
  void* NativeHandleImpl() const override { return nullptr; }
};

// The message ExecScriptEx raised for answer, or "value: <text>".
String Outcome(TRecordingView& view, const TScriptCall& answer) {
  view.Answer = answer;
  try {
    return u"value: " + view.ExecScriptEx(u"appCanClose", {0}).TextValue;
  } catch (const Exception& error) {
    return error.Message();
  }
}

TEST(BrowserView, ScriptCallsRaiseTheBrowserComponentsErrors) {
  TRecordingView view;
  // No page: nothing is called, nothing is raised.
  view.Answer = TScriptCall::Missing();
  EXPECT_EQ(view.ExecScriptEx(u"appCanClose", {0}).Kind, TScriptValue::TKind::Empty);
  EXPECT_TRUE(view.Calls.empty());

  view.Navigate(u"lmp://site/index.html");
  struct TCase {
    TScriptCall Answer;
    const char16_t* Expected;
  } cases[] = {
      {TScriptCall::Returned(TScriptValue::Text(u"yes")), u"value: yes"},
      {TScriptCall::Missing(), u"This object does not support this method"},
      {TScriptCall::Failed(u"boom", u"TypeError"), u"Method call unsuccessful. boom (TypeError)."},
      {TScriptCall::Failed(u"", u""), u"Method call unsuccessful.  ()."},
  };
  for (const TCase& c : cases) EXPECT_EQ(ToUtf8(Outcome(view, c.Answer)), ToUtf8(c.Expected));
  EXPECT_EQ(view.Calls.size(), std::size(cases));
}

// window.close() closes the program only from a page of the site at the
// top, and not while a page of another origin is shown where it could have
// asked; a window a page opened closes while it shows no page of another
// origin.
TEST(BrowserView, OnlyAPageOfTheSiteClosesTheProgram) {
  struct TCase {
    const char16_t* Shown;
    bool IsChild;
    bool OtherOrigins;
    bool Closes;
  } cases[] = {
      {u"lmp://site/index.html", false, false, true},
      {u"LMP://site/index.html", false, false, true},
      {u"lmp://site/index.html", false, true, false},  // a foreign frame or popup may be asking
      {u"", false, false, false},                      // no page yet
      {u"about:blank", false, false, false},
      {u"http://127.0.0.1:8000/page.html", false, false, false},
      {u"lmpx://site/index.html", false, false, false},
      {u"lmp://site/index.html", true, false, true},
      {u"about:blank", true, false, true},  // where a window a page opened starts
      {u"http://127.0.0.1:8000/page.html", true, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Shown) + (c.IsChild ? " (child)" : ""));
    TRecordingView view(c.IsChild);
    view.Navigate(c.Shown);
    std::vector<bool> raised;
    view.OnWindowClosing = [&](bool IsChildWindow) { raised.push_back(IsChildWindow); };
    EXPECT_EQ(view.PageClosesWindow(c.IsChild, c.OtherOrigins), c.Closes);
    EXPECT_EQ(raised, c.Closes ? std::vector<bool>{c.IsChild} : std::vector<bool>{});
  }
  // The handler may free the view.
  auto owned = std::make_unique<TRecordingView>();
  owned->Navigate(u"lmp://site/index.html");
  owned->OnWindowClosing = [&](bool) { owned.reset(); };
  EXPECT_TRUE(owned->PageClosesWindow(false));
  EXPECT_FALSE(owned);
}

// window.external answers pages of the site only: the page at the top and,
// when the browser names the calling document, that one too.
TEST(BrowserView, ExternalAnswersPagesOfTheSiteOnly) {
  struct TCase {
    const char16_t* Shown;
    TExternalCaller Caller;
    bool Answers;
  } cases[] = {
      {u"lmp://site/index.html", {}, true},
      {u"Lmp://site/index.html", {true, u"LMP://site/frame.html"}, true},
      {u"lmp://site/index.html", {true, u"http://127.0.0.1:8000/frame.html"}, false},
      {u"lmp://site/index.html", {true, u""}, false},  // a caller whose document could not be read
      {u"http://127.0.0.1:8000/page.html", {}, false},
      {u"http://127.0.0.1:8000/page.html", {true, u"lmp://site/frame.html"}, false},
      {u"about:blank", {}, false},
      {u"", {}, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Shown) + " / " + ToUtf8(c.Caller.DocumentURL));
    TRecordingView view;
    view.Navigate(c.Shown);
    int calls = 0;
    view.OnExternalCall = [&](int32_t ID, const std::vector<TJsValue>&, TJsValue& Result, TJsError&) {
      ++calls;
      Result = TJsValue::Number(ID);
      return true;
    };
    if (!c.Caller.Named) {
      EXPECT_EQ(view.ExternalID(u"APPREADFILE"), c.Answers ? kJsAppReadFile : -1);
    }
    TJsValue result;
    TJsError error;
    EXPECT_EQ(view.CallExternal(kJsAppReadFile, c.Caller, {}, result, error),
              c.Answers ? TExternalOutcome::Done : TExternalOutcome::Refused);
    EXPECT_EQ(calls, c.Answers ? 1 : 0);
  }

  // An error of the function reaches the script; without a handler the
  // call does nothing.
  TRecordingView view;
  view.Navigate(u"lmp://site/index.html");
  EXPECT_EQ(view.ExternalID(u"noSuchFunction"), -1);
  TJsValue result;
  TJsError error;
  EXPECT_EQ(view.CallExternal(kJsAppReadFile, {}, {}, result, error), TExternalOutcome::Done);
  view.OnExternalCall = [](int32_t, const std::vector<TJsValue>&, TJsValue&, TJsError& Error) {
    Error = {u"EFOpenError", u"Cannot open"};
    return false;
  };
  EXPECT_EQ(view.CallExternal(kJsAppReadFile, {}, {}, result, error), TExternalOutcome::Raised);
  EXPECT_EQ(error.Message, u"Cannot open");
}

TEST(BrowserView, SettingsReachTheBackendAndAreKept) {
  TRecordingView view;
  EXPECT_FALSE(view.AllowTextSelect());
  EXPECT_EQ(view.ScriptErrorAction(), TScriptErrorAction::eaContinue);
  view.SetAllowTextSelect(true);
  view.SetScriptErrorAction(TScriptErrorAction::eaAskUser);
  view.SetDialogCaption(u"Notes");
  EXPECT_TRUE(view.AllowTextSelect());
  EXPECT_EQ(view.ScriptErrorAction(), TScriptErrorAction::eaAskUser);
  EXPECT_EQ(view.DialogCaption(), u"Notes");
  EXPECT_EQ(view.TextSelect, std::vector<bool>{true});
  EXPECT_EQ(view.ErrorActions, std::vector<TScriptErrorAction>{TScriptErrorAction::eaAskUser});
}

// The platform's view starts with text selection off and scripts going on
// after an error, and becomes its window's content.
TEST(BrowserView, ThePlatformsViewStartsWithTheDefaults) {
  const TOleSession ole;
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  std::unique_ptr<TBrowserView> view;
  try {
    view = TBrowserView::Create(*window);
  } catch (const Exception& error) {
    GTEST_SKIP() << "no browser here: " << ToUtf8(error.Message());
  }
  EXPECT_FALSE(view->AllowTextSelect());
  EXPECT_EQ(view->ScriptErrorAction(), TScriptErrorAction::eaContinue);
  EXPECT_FALSE(view->IsChildWindow());
  EXPECT_EQ(view->LocationURL(), u"");
  EXPECT_FALSE(view->HasDocument());
  EXPECT_EQ(view->ExecScriptEx(u"appCanClose", {0}).Kind, TScriptValue::TKind::Empty);
  ASSERT_NE(view->NativeHandle(), nullptr);
  window->RemoveContent();
}

}  // namespace
}  // namespace lumora::test
