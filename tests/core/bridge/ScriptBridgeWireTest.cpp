// The script bridge's wire: calls as the page script encodes them, answers
// as it reads them, and the one folding of function names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/bridge/ScriptBridgeWire.h"

namespace lumora::test {
namespace {

TEST(ScriptBridgeWire, FoldsOnlyTheLettersAToZ) {
  EXPECT_EQ(FoldFunctionName(u"AppReadFile"), u"appreadfile");
  EXPECT_EQ(FoldFunctionName(u"\u00C9T\u0130_9"), u"\u00C9t\u0130_9");
}

TEST(ScriptBridgeWire, CallsDecodeWithTheirArgumentsLastFirst) {
  int32_t id = 0;
  std::vector<TJsValue> params;
  // "héllo" and 2.5 as the script's hex of UTF-16 units, then undefined and true.
  ASSERT_TRUE(ParseBridgeCall("11\ns006800e9006c006c006f\nn0032002e0035\nu\nb1", id, params));
  EXPECT_EQ(id, 11);
  ASSERT_EQ(params.size(), 4u);
  EXPECT_TRUE(params[0].AsBoolean());
  EXPECT_EQ(params[1].Kind(), TJsValue::TKind::Undefined);
  EXPECT_EQ(params[2].AsNumber(), 2.5);
  EXPECT_EQ(params[3].AsString(), u"h\u00E9llo");

  struct TCase {
    const char* number;
    double value;
  };
  for (const TCase& c : {TCase{"1e+21", 1e21}, TCase{"-Infinity", -INFINITY}, TCase{"-0.125", -0.125}}) {
    std::string body = "1\nn";
    for (const char* p = c.number; *p; ++p) {
      char unit[16];
      std::snprintf(unit, sizeof unit, "%04x", static_cast<unsigned>(static_cast<unsigned char>(*p)));
      body += unit;
    }
    params.clear();
    ASSERT_TRUE(ParseBridgeCall(body, id, params)) << c.number;
    EXPECT_EQ(params[0].AsNumber(), c.value) << c.number;
  }
  params.clear();
  ASSERT_TRUE(ParseBridgeCall("1\nn004e0061004e", id, params));
  EXPECT_TRUE(std::isnan(params[0].AsNumber()));
}

TEST(ScriptBridgeWire, MalformedCallsAreRefused) {
  for (const char* body : {"", "x", "1\nq", "1\ns00e", "1\nsZZZZ", "1\nn0078", "99999999999", "1 \nu"}) {
    int32_t id = 0;
    std::vector<TJsValue> params;
    EXPECT_FALSE(ParseBridgeCall(body, id, params)) << body;
  }
}

TEST(ScriptBridgeWire, AnswersAsTheScriptReadsThem) {
  const TJsError none;
  EXPECT_EQ(BridgeAnswer(true, TJsValue(), none), "{\"ok\":true}");
  EXPECT_EQ(BridgeAnswer(true, TJsValue::Number(0.1), none), "{\"ok\":true,\"value\":0.1}");
  EXPECT_EQ(BridgeAnswer(true, TJsValue::Number(NAN), none), "{\"ok\":true,\"value\":null}");
  EXPECT_EQ(BridgeAnswer(true, TJsValue::Boolean(false), none), "{\"ok\":true,\"value\":false}");
  EXPECT_EQ(BridgeAnswer(true, TJsValue::Text(u"a\"\u00E9"), none), "{\"ok\":true,\"value\":\"a\\u0022\\u00e9\"}");
  EXPECT_EQ(BridgeAnswer(false, TJsValue(), {u"EFOpenError", u"Cannot open"}),
            "{\"ok\":false,\"error\":{\"name\":\"EFOpenError\",\"message\":\"Cannot open\"}}");
}

TEST(ScriptBridgeWire, TheScriptKnowsEveryFunctionByItsFoldedName) {
  const std::string script = BridgeScript(u"lmp", "X-Header", "t0ken");
  EXPECT_NE(script.find("location.protocol !== 'lmp:'"), std::string::npos);
  EXPECT_NE(script.find("'t0ken'"), std::string::npos);
  EXPECT_NE(script.find("\"appreadfile\":11"), std::string::npos);
  EXPECT_EQ(script.find("__"), std::string::npos);
}

}  // namespace
}  // namespace lumora::test
