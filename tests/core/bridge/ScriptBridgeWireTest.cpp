// The script bridge's wire: calls and answers as frames, both ends of the
// channel, and the one folding of function names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/bridge/ScriptBridgeWire.h"

namespace lumora::test {
namespace {

// The body of a frame, its header checked against its length.
std::string BodyOf(const std::string& frame) {
  EXPECT_GE(frame.size(), kBridgeFrameHeaderBytes);
  EXPECT_EQ(BridgeFrameBodySize(reinterpret_cast<const uint8_t*>(frame.data())),
            frame.size() - kBridgeFrameHeaderBytes);
  return frame.substr(kBridgeFrameHeaderBytes);
}

bool ParseCall(const std::string& body, int32_t& id, std::vector<TJsValue>& params) {
  return ParseBridgeCall(reinterpret_cast<const uint8_t*>(body.data()), body.size(), id, params);
}

TEST(ScriptBridgeWire, FoldsOnlyTheLettersAToZ) {
  EXPECT_EQ(FoldFunctionName(u"AppReadFile"), u"appreadfile");
  EXPECT_EQ(FoldFunctionName(u"\u00C9T\u0130_9"), u"\u00C9t\u0130_9");
}

TEST(ScriptBridgeWire, CallsCrossWholeWithTheirArgumentsLastFirst) {
  // A lone surrogate, a NUL and a pair cross as they are.
  const String text(u"h\u00E9llo \xD800 \0 \U0001F600", 12);
  const std::vector<TJsValue> args = {TJsValue::Text(text),    TJsValue::Number(2.5),    TJsValue(),
                                      TJsValue::Boolean(true), TJsValue::Boolean(false), TJsValue::Number(-INFINITY),
                                      TJsValue::Text(u"")};
  int32_t id = 0;
  std::vector<TJsValue> params;
  ASSERT_TRUE(ParseCall(BodyOf(BridgeCallFrame(11, args)), id, params));
  EXPECT_EQ(id, 11);
  EXPECT_EQ(params, std::vector<TJsValue>(args.rbegin(), args.rend()));

  params.clear();
  ASSERT_TRUE(ParseCall(BodyOf(BridgeCallFrame(-7, {TJsValue::Number(NAN)})), id, params));
  EXPECT_EQ(id, -7);
  ASSERT_EQ(params.size(), 1u);
  EXPECT_TRUE(std::isnan(params[0].AsNumber()));

  params.clear();
  ASSERT_TRUE(ParseCall(BodyOf(BridgeCallFrame(9999, {})), id, params));
  EXPECT_EQ(id, 9999);
  EXPECT_TRUE(params.empty());
}

TEST(ScriptBridgeWire, MalformedCallsAreRefused) {
  const std::string good = BodyOf(BridgeCallFrame(3, {TJsValue::Text(u"ab"), TJsValue::Number(1)}));
  std::string countTooLarge = good;
  const uint32_t lie = 1000;
  std::memcpy(countTooLarge.data() + 4, &lie, sizeof lie);
  std::string textPastTheEnd = good;
  const uint32_t units = 0x7FFFFFFF;
  std::memcpy(textPastTheEnd.data() + 9, &units, sizeof units);
  std::string unknownKind = good;
  unknownKind[8] = 'x';
  for (const std::string& body : {std::string(), good.substr(0, 3), good.substr(0, good.size() - 1), good + "u",
                                  countTooLarge, textPastTheEnd, unknownKind}) {
    int32_t id = 0;
    std::vector<TJsValue> params;
    EXPECT_FALSE(ParseCall(body, id, params)) << body.size();
  }
}

TEST(ScriptBridgeWire, AnswersCrossWhole) {
  const TJsError none;
  for (const TJsValue& value :
       {TJsValue(), TJsValue::Number(0.1), TJsValue::Boolean(false), TJsValue::Text(u"a\"\u00E9\xDC00")}) {
    const std::string body = BodyOf(BridgeAnswerFrame(true, value, none));
    bool ok = false;
    TJsValue result = TJsValue::Text(u"stale");
    TJsError error;
    ASSERT_TRUE(ParseBridgeAnswer(reinterpret_cast<const uint8_t*>(body.data()), body.size(), ok, result, error));
    EXPECT_TRUE(ok);
    EXPECT_EQ(result, value);
  }
  const std::string body = BodyOf(BridgeAnswerFrame(false, TJsValue(), {u"EFOpenError", u"Cannot open \u00E9"}));
  bool ok = true;
  TJsValue result;
  TJsError error;
  ASSERT_TRUE(ParseBridgeAnswer(reinterpret_cast<const uint8_t*>(body.data()), body.size(), ok, result, error));
  EXPECT_FALSE(ok);
  EXPECT_EQ(error.Source, u"EFOpenError");
  EXPECT_EQ(error.Message, u"Cannot open \u00E9");
  for (const std::string& broken : {std::string(), std::string("x"), body.substr(0, body.size() - 1), body + "!"}) {
    EXPECT_FALSE(ParseBridgeAnswer(reinterpret_cast<const uint8_t*>(broken.data()), broken.size(), ok, result, error));
  }
}

TEST(ScriptBridgeWire, TheScriptKnowsEveryFunctionByItsFoldedNameAndTheLimit) {
  const std::string script = BridgeScript(u"lmp");
  EXPECT_NE(script.find("location.protocol !== 'lmp:'"), std::string::npos);
  EXPECT_NE(script.find("\"appreadfile\":11"), std::string::npos);
  EXPECT_NE(script.find("\"sayhello\":9999"), std::string::npos);
  EXPECT_NE(script.find("var limit = 67108864;"), std::string::npos);
  EXPECT_EQ(script.find("__"), std::string::npos);
}

TEST(ScriptBridgeWire, TheLimitCountsAsTheFrameDoes) {
  // The script counts 8 bytes for the identifier and count, 5 plus two per
  // unit for a text, 9 for a number, 1 for anything else: what the frame
  // holds.
  const std::string body =
      BodyOf(BridgeCallFrame(1, {TJsValue::Text(u"abc"), TJsValue::Number(1), TJsValue(), TJsValue::Boolean(true)}));
  EXPECT_EQ(body.size(), 8u + (5 + 2 * 3) + 9 + 1 + 1);
}

}  // namespace
}  // namespace lumora::test
