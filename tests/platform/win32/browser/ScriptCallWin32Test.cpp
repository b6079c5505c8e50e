// A page function called through a script dispatch, the way ExecScriptEx
// calls appCanClose: here Wine's own JScript engine holds the functions, so
// the values and the error texts come from a real script engine.
#include <gtest/gtest.h>

#include "base/Exception.h"
#include "platform/OleSession.h"
#include "platform/win32/browser/ScriptCall.h"
#include "os/win32/ComPtr.h"
#include "support/win32/JScriptHost.h"

namespace lumora::test {
namespace {

constexpr char kPage[] =
    "function appCanClose(reason) { return reason === 0; }\n"
    "function sum(a, b) { return a + b; }\n"
    "function saysNo() { return 'no'; }\n"
    "function nothing() {}\n"
    "function nullish() { return null; }\n"
    "function fails() { throw new Error('the page broke'); }\n";

class ScriptCallWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Engine.Status(), S_OK);
    ASSERT_EQ(Engine.Parse(kPage, 0), S_OK);
    ASSERT_EQ(Engine.Run(SCRIPTSTATE_STARTED), S_OK);
    Script = Engine.ScriptDispatch();
    ASSERT_TRUE(Script);
  }

  // No named items; the errors the site records are left alone (the calls
  // report their own).
  TOleSession Ole;
  TJScriptSite Site;
  TJScriptEngine Engine{Site};
  TComPtr<IDispatch> Script;  // released before the engine closes
};

TEST_F(ScriptCallWin32Test, ValuesComeBackAsThePageReturnsThem) {
  using K = TScriptValue::TKind;
  struct Case {
    const char16_t* Name;
    std::initializer_list<int> Arguments;
    K Kind;
    double Number;
    bool Flag;
    const char16_t* Text;
  } cases[] = {
      {u"appCanClose", {0}, K::Boolean, 0, true, u""}, {u"appCanClose", {1}, K::Boolean, 0, false, u""},
      {u"sum", {2, 40}, K::Number, 42, false, u""},    {u"saysNo", {}, K::Text, 0, false, u"no"},
      {u"nothing", {}, K::Empty, 0, false, u""},       {u"nullish", {}, K::Null, 0, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Name));
    const TScriptValue value = ScriptCallValue(CallScriptFunction(*Script.Get(), c.Name, c.Arguments));
    EXPECT_EQ(value.Kind, c.Kind);
    EXPECT_EQ(value.NumberValue, c.Number);
    EXPECT_EQ(value.BooleanValue, c.Flag);
    EXPECT_EQ(value.TextValue, c.Text);
  }
}

TEST_F(ScriptCallWin32Test, MissingAndFailingFunctionsRaiseTheComponentsTexts) {
  try {
    ScriptCallValue(CallScriptFunction(*Script.Get(), u"appCanClosed", {0}));
    ADD_FAILURE() << "no error for a missing function";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"This object does not support this method");
  }
  try {
    ScriptCallValue(CallScriptFunction(*Script.Get(), u"fails", {}));
    ADD_FAILURE() << "no error for a failing function";
  } catch (const Exception& error) {
    // Wine's JScript reports the error to its site and hands an outside
    // caller no description or source; the browser's engine gives both.
    EXPECT_EQ(error.Message(), u"Method call unsuccessful.  ().");
  }
}

}  // namespace
}  // namespace lumora::test
