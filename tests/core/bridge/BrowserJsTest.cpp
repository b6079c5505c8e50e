// The script bridge: name lookup, argument counts and order, results as
// the script sees them, and errors handed to the script.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <system_error>

#include "core/bridge/FakeMainForm.h"
#include "core/CommandLineParams.h"
#include "core/bridge/BrowserJs.h"
#include "core/bridge/JsConstants.h"
#include "os/File.h"

namespace lumora {

// Failure messages show what the script would see.
void PrintTo(const TJsValue& value, std::ostream* out) {
  *out << (value.IsUndefined() ? "undefined" : "\"" + ToUtf8(value.ToText()) + "\"");
}

namespace {

using test::TFakeMainForm;

class TFakeBrowser : public TJsBrowser {
 public:
  std::vector<std::string> Calls;
  void ShowFindDialog() override { Calls.push_back("ShowFindDialog"); }
  void PrintPreview() override { Calls.push_back("PrintPreview"); }
  void MinimizeApplication() override { Calls.push_back("MinimizeApplication"); }
  void RestoreApplication() override { Calls.push_back("RestoreApplication"); }
};

class BrowserJsTest : public ::testing::Test {
 protected:
  void SetUp() override { GlobalMainForm = &FMain; }
  void TearDown() override { GlobalMainForm = nullptr; }

  // Calls name with arguments in script order, as a page would.
  TJsValue Call(StringView name, std::vector<TJsValue> scriptArgs) {
    std::reverse(scriptArgs.begin(), scriptArgs.end());  // the platform's order
    TJsValue result;
    FBridge.ExecuteFunction(FBrowser, FBridge.FunctionIDByName(name), scriptArgs, &result);
    return result;
  }

  TFakeMainForm FMain;
  TFakeBrowser FBrowser;
  TBrowserJs FBridge;
};

TJsValue S(const char16_t* text) { return TJsValue::Text(text); }
TJsValue N(double number) { return TJsValue::Number(number); }

TEST_F(BrowserJsTest, TableAndNameLookup) {
  ASSERT_EQ(JsFunctions.size(), 25u);
  for (size_t i = 0; i + 1 < JsFunctions.size(); ++i) EXPECT_EQ(JsFunctions[i].ID, static_cast<int>(i + 1));
  EXPECT_EQ(JsFunctions.back().ID, 9999);
  for (const TJsFunction& function : JsFunctions) {
    EXPECT_EQ(FBridge.FunctionIDByName(function.Name), function.ID);
    EXPECT_EQ(FBridge.FunctionNameByID(function.ID), function.Name);
  }
  const std::vector<std::pair<const char16_t*, int>> cases = {
      {u"APPDOCSDIR", 23}, {u"appdocsdir", 23}, {u"sayhello", 9999},      {u"appDocsDir ", -1},
      {u"", -1},           {u"toString", -1},   {u"appDocsD\u0130r", -1},  // only A-Z fold: a dotted capital I is no
                                                                           // "i"
  };
  for (const auto& [name, id] : cases) EXPECT_EQ(FBridge.FunctionIDByName(name), id) << ToUtf8(name);
  EXPECT_EQ(FBridge.FunctionNameByID(0), u"");
}

TEST_F(BrowserJsTest, ServicesGetTheirArgumentsInScriptOrder) {
  struct TCase {
    const char16_t* Name;
    std::vector<TJsValue> Args;
    std::string Call;  // what reached the main window, "" for nothing
    TJsValue Result;
  };
  const TJsValue undefined;
  const std::vector<TCase> cases = {
      {u"appReadFile", {S(u"notes.txt")}, "ReadFile(notes.txt)", S(u"text")},
      {u"appWriteFile", {S(u"a.txt"), S(u"body")}, "WriteFile(a.txt|body)", undefined},
      {u"appWriteReg", {S(u"K"), S(u"N"), S(u"V")}, "WriteRegistry(K|N|V)", N(1)},
      {u"appWriteReg", {S(u"K"), S(u"N")}, "", undefined},
      {u"appReadReg", {S(u"K"), S(u"N")}, "ReadRegistry(K|N)", S(u"text")},
      {u"appRemoveReg", {S(u"K"), S(u"")}, "RemoveRegistry(K|)", N(1)},
      {u"appOpenFileWith", {S(u"prog"), S(u"doc")}, "OpenFileWith(prog|doc)", undefined},
      {u"appOpenFile", {S(u"doc")}, "OpenFile(doc)", undefined},
      {u"appOpenFile", {}, "", undefined},
      {u"appFileExists", {S(u"x")}, "DoFileExists(x)", N(1)},
      {u"appCreateDir", {S(u"d")}, "CreateDir(d)", N(1)},
      {u"appDirExists", {S(u"d")}, "DirExists(d)", N(1)},
      {u"appRemoveFile", {S(u"f")}, "RemoveFile(f)", N(1)},
      {u"appRemoveFile", {S(u"f"), S(u"g")}, "", undefined},
      {u"appIsRuntime", {N(5)}, "IsRuntime()", N(1)},
      {u"appComputerName", {}, "GetPCName()", S(u"text")},
      {u"appUserName", {}, "GetPCUserName()", S(u"text")},
      {u"appDocsDir", {}, "GetUserDocsDir()", S(u"text")},
      {u"appPlayWav", {S(u"a.wav")}, "PlayWavSound(a.wav|once)", undefined},
      {u"appPlayWav", {S(u"a.wav"), TJsValue::Boolean(true)}, "PlayWavSound(a.wav|loop)", undefined},
      {u"appPlayWav", {S(u"a.wav"), N(0)}, "PlayWavSound(a.wav|once)", undefined},
      {u"appPlayWav", {}, "", undefined},
      {u"appPlayWav", {S(u"a.wav"), N(1), N(1)}, "", undefined},
      // Non-string arguments are taken as their text.
      {u"appReadFile", {N(42)}, "ReadFile(42)", S(u"text")},
      {u"appReadFile", {undefined}, "ReadFile()", S(u"text")},
  };
  for (const TCase& c : cases) {
    FMain.Calls.clear();
    const TJsValue result = Call(c.Name, c.Args);
    const std::string what = ToUtf8(c.Name) + " with " + std::to_string(c.Args.size());
    EXPECT_EQ(FMain.Calls, c.Call.empty() ? std::vector<std::string>() : std::vector<std::string>{c.Call}) << what;
    EXPECT_EQ(result, c.Result) << what;
  }
  // Booleans arrive as numbers: false is 0, not undefined.
  FMain.BoolAnswer = false;
  EXPECT_EQ(Call(u"appFileExists", {S(u"missing")}), N(0));
}

TEST_F(BrowserJsTest, BrowserAndApplicationSteps) {
  for (const char16_t* name : {u"webFind", u"webPreview", u"appMinimize", u"appRestore"}) {
    EXPECT_TRUE(Call(name, {S(u"ignored")}).IsUndefined());
  }
  EXPECT_EQ(FBrowser.Calls,
            (std::vector<std::string>{"ShowFindDialog", "PrintPreview", "MinimizeApplication", "RestoreApplication"}));
  EXPECT_TRUE(FMain.Calls.empty());
}

TEST_F(BrowserJsTest, SayHelloAndUnknownIds) {
  EXPECT_EQ(Call(u"SayHello", {S(u"Ann")}), S(u"Hello Ann!"));
  EXPECT_EQ(Call(u"SayHello", {S(u"%s")}), S(u"Hello %s!"));
  EXPECT_EQ(Call(u"SayHello", {}), S(u"Hello!"));
  EXPECT_EQ(Call(u"SayHello", {S(u"Ann"), S(u"Bob")}), S(u"Hello!"));

  TJsValue result = S(u"kept");
  FBridge.ExecuteFunction(FBrowser, 25, {}, &result);
  EXPECT_EQ(result, S(u"kept"));
  // No result variant: the result is dropped.
  FBridge.ExecuteFunction(FBrowser, kJsAppReadFile, {S(u"x")}, nullptr);
  EXPECT_EQ(FMain.Calls, std::vector<std::string>{"ReadFile(x)"});
}

TEST_F(BrowserJsTest, CommandLineFunctions) {
  const int count = TCommandLineParams::ParamCount();
  EXPECT_EQ(Call(u"appParamCount", {}), TJsValue::Text(IntToStr(count)));
  EXPECT_EQ(Call(u"appParamStr", {N(0)}), TJsValue::Text(ExecutablePath()));
  EXPECT_TRUE(Call(u"appParamStr", {N(count + 1)}).IsUndefined());
  EXPECT_EQ(Call(u"appParamStr", {N(-1)}), S(u""));
  if (count >= 1) {
    EXPECT_EQ(Call(u"appParamStr", {N(1)}), TJsValue::Text(TCommandLineParams::ParamStr(1)));
  }
}

TEST_F(BrowserJsTest, ErrorsReachTheScriptWithTheirMessage) {
  FMain.Failure = "Cannot open file \"x\". Denied";
  TJsValue result;
  TJsError error;
  EXPECT_FALSE(FBridge.ExecuteForScript(FBrowser, kJsAppReadFile, {S(u"x")}, &result, error));
  EXPECT_EQ(error.Message, u"Cannot open file \"x\". Denied");
  EXPECT_EQ(error.Source, u"Exception");
  EXPECT_TRUE(result.IsUndefined());
  EXPECT_THROW(FBridge.ExecuteFunction(FBrowser, kJsAppReadFile, {S(u"x")}, &result), Exception);

  EXPECT_TRUE(FBridge.ExecuteForScript(FBrowser, kJsSayHello, {}, &result, error));

  // The source is the class's own name, without its namespaces.
  struct Case {
    std::exception_ptr thrown;
    std::u16string source;
  };
  const Case cases[] = {
      {std::make_exception_ptr(EFOpenError(u"denied")), u"EFOpenError"},
      {std::make_exception_ptr(std::runtime_error("plain")), u"runtime_error"},
      {std::make_exception_ptr(std::bad_alloc()), u"bad_alloc"},
      {std::make_exception_ptr(std::system_error(std::make_error_code(std::errc::io_error))), u"system_error"},
  };
  for (const Case& c : cases) {
    FMain.Thrown = c.thrown;
    EXPECT_FALSE(FBridge.ExecuteForScript(FBrowser, kJsAppReadFile, {S(u"x")}, &result, error));
    EXPECT_EQ(error.Source, c.source);
  }
  FMain.Thrown = nullptr;
  // Without a main window the services are refused, never followed.
  GlobalMainForm = nullptr;
  EXPECT_FALSE(FBridge.ExecuteForScript(FBrowser, kJsAppDocsDir, {}, &result, error));
}

TEST(JsValueTest, ArgumentConversions) {
  const std::vector<std::pair<TJsValue, std::u16string>> texts = {
      {TJsValue(), u""},
      {S(u"x"), u"x"},
      {TJsValue::Boolean(true), u"true"},
      {N(3), u"3"},
      {N(-2.5), u"-2.5"},
      {N(-0.0), u"0"},
      {N(1e21), u"1e+21"},
      {N(std::numeric_limits<double>::quiet_NaN()), u"NaN"},
      {N(-std::numeric_limits<double>::infinity()), u"-Infinity"},
  };
  for (const auto& [value, text] : texts) EXPECT_EQ(value.ToText(), text) << ToUtf8(text);
  const std::vector<std::pair<TJsValue, int16_t>> numbers = {
      {TJsValue(), 0},
      {TJsValue::Boolean(true), -1},
      {TJsValue::Boolean(false), 0},
      {N(7.9), 7},
      {N(-7.9), -7},
      {N(65537), 1},
      {N(32768), -32768},
      {N(std::numeric_limits<double>::quiet_NaN()), 0},
      {N(1e300), 0},
      {S(u"12"), 12},
      {S(u"-3"), -3},
      {S(u"1x"), 0},
      {S(u""), 0},
  };
  for (const auto& [value, number] : numbers) EXPECT_EQ(value.ToInt16(), number) << ToUtf8(value.ToText());
}

// A number passed for text is written as the script itself writes it
// (String(x)): the shortest digits that read back as the same number, in
// plain notation from 1e-6 up to below 1e21 and in exponent notation
// outside, with an explicit sign after the "e".
TEST(JsValueTest, NumbersAsTextFollowTheScript) {
  const std::pair<double, std::u16string> cases[] = {
      {0.0, u"0"},
      {-0.0, u"0"},
      {std::numeric_limits<double>::quiet_NaN(), u"NaN"},
      {std::numeric_limits<double>::infinity(), u"Infinity"},
      {-std::numeric_limits<double>::infinity(), u"-Infinity"},
      {1, u"1"},
      {-42, u"-42"},
      {100, u"100"},
      {123.456, u"123.456"},
      {0.1 + 0.2, u"0.30000000000000004"},
      {1e20, u"100000000000000000000"},
      {123456789012345680000.0, u"123456789012345680000"},
      {9007199254740993.0, u"9007199254740992"},
      {1e21, u"1e+21"},
      {-1.5e21, u"-1.5e+21"},
      {1.7976931348623157e308, u"1.7976931348623157e+308"},
      {1e-6, u"0.000001"},
      {0.000123, u"0.000123"},
      {-1.25e-6, u"-0.00000125"},
      {1e-7, u"1e-7"},
      {123e-20, u"1.23e-18"},
      {5e-324, u"5e-324"},
      {1e23, u"1e+23"},
      {1.0 / 3, u"0.3333333333333333"},
      // Next to a power of two the span that reads back as a number is
      // lopsided: the shortest digits are not always the nearest ones of
      // their count, and a reader that rounds wrongly there is caught.
      {7.1202363472230444e-307, u"7.120236347223045e-307"},
      {6.1427581497165044e-238, u"6.142758149716505e-238"},
      {3.0713790748582519e-238, u"3.071379074858252e-238"},
      {3.0713790748582522e-238, u"3.0713790748582522e-238"},
      {1.7976931348623155e308, u"1.7976931348623155e+308"},
  };
  for (const auto& [number, text] : cases) EXPECT_EQ(N(number).ToText(), text) << ToUtf8(text);
}

}  // namespace
}  // namespace lumora
