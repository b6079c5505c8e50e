// The close query's comparison of a page function's value with -1, by the
// rules a variant compares with an integer.
#include <gtest/gtest.h>

#include "base/Exception.h"
#include "core/browser/ScriptValue.h"

namespace lumora {
namespace {

TEST(ScriptValueTest, ComparesWithMinusOneByVariantRules) {
  struct TCase {
    const char* Name;
    TScriptValue Value;
    bool Equal;
  };
  const TCase cases[] = {
      {"true", TScriptValue::Boolean(true), true},
      {"false", TScriptValue::Boolean(false), false},
      {"-1", TScriptValue::Number(-1), true},
      {"-1.0", TScriptValue::Number(-1.0), true},
      {"0", TScriptValue::Number(0), false},
      {"-1.5", TScriptValue::Number(-1.5), false},
      {"nothing", TScriptValue{}, false},
      {"null", TScriptValue::Null(), false},
      {"'-1'", TScriptValue::Text(u"-1"), true},
      {"' -1 '", TScriptValue::Text(u" -1 "), true},
      {"'-1e0'", TScriptValue::Text(u"-1e0"), true},
      {"'0'", TScriptValue::Text(u"0"), false},
      {"'$FF'", TScriptValue::Text(u"$FF"), false},
  };
  for (const TCase& c : cases) EXPECT_EQ(ScriptValueEquals(c.Value, -1), c.Equal) << c.Name;
}

TEST(ScriptValueTest, EmptyAndFalseEqualZero) {
  EXPECT_TRUE(ScriptValueEquals(TScriptValue{}, 0));
  EXPECT_TRUE(ScriptValueEquals(TScriptValue::Boolean(false), 0));
  EXPECT_FALSE(ScriptValueEquals(TScriptValue::Null(), 0));
  EXPECT_TRUE(ScriptValueEquals(TScriptValue::Text(u"$FF"), 255));
}

TEST(ScriptValueTest, TextThatIsNoNumberRaises) {
  for (const char16_t* text : {u"no", u"", u"  ", u"true", u"inf", u"nan", u"0x10", u"1 2", u"$", u"-1\u00A0"}) {
    EXPECT_THROW(ScriptValueEquals(TScriptValue::Text(text), -1), Exception) << ToUtf8(text);
  }
}

}  // namespace
}  // namespace lumora
