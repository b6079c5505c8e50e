// Splitting a command line into ParamStr/ParamCount, and joining separate
// arguments back into a command line that splits into the same ones.
#include <gtest/gtest.h>

#include "core/CommandLineParams.h"
#include "os/CommandLine.h"
#include "os/File.h"

namespace lumora {
namespace {

std::vector<String> Split(StringView line) {
  std::vector<String> params;
  for (int32_t i = 0; i <= TCommandLineParams::ParamCountOf(line); ++i) {
    params.push_back(TCommandLineParams::ParamStrOf(line, i));
  }
  return params;
}

TEST(CommandLineParamsTest, SplitsAsTheRuntimeLibraryDoes) {
  const std::vector<std::pair<const char16_t*, std::vector<String>>> cases = {
      {u"prog", {u"prog"}},
      {u"  prog   a  b ", {u"prog", u"a", u"b"}},
      {u"\"C:\\Program Files\\p.exe\" x", {u"C:\\Program Files\\p.exe", u"x"}},
      {u"prog a\"b c\"d e", {u"prog", u"ab cd", u"e"}},
      {u"prog \"\"a \"\" b", {u"prog", u"a", u"b"}},  // empty quotes before an argument vanish
      {u"prog\ta\x01"
       u"b",
       {u"prog", u"a", u"b"}},  // any control character separates
      {u"prog \"unterminated arg", {u"prog", u"unterminated arg"}},
      {u"prog \"\"", {u"prog"}},
      {u"prog a\\\"b", {u"prog", u"a\\b"}},  // no backslash escapes here
  };
  for (const auto& [line, params] : cases) EXPECT_EQ(Split(line), params) << ToUtf8(line);
  EXPECT_EQ(TCommandLineParams::ParamStrOf(u"prog a", -1), u"");
  EXPECT_EQ(TCommandLineParams::ParamStrOf(u"prog a", 5), u"");
  EXPECT_EQ(TCommandLineParams::ParamCountOf(u""), 0);
}

TEST(CommandLineParamsTest, JoinsWithWindowsQuoting) {
  const std::vector<std::pair<std::vector<String>, const char16_t*>> cases = {
      {{u"prog", u"a", u"b c"}, u"prog a \"b c\""},
      {{u"prog", u""}, u"prog \"\""},
      {{u"prog", u"say \"hi\""}, u"prog \"say \\\"hi\\\"\""},
      {{u"prog", u"C:\\dir\\", u"C:\\a b\\"}, u"prog C:\\dir\\ \"C:\\a b\\\\\""},
  };
  for (const auto& [arguments, line] : cases) {
    EXPECT_EQ(TCommandLineParams::JoinCommandLine(arguments), line) << ToUtf8(line);
  }
  // Arguments without quotes come back whole through the splitting.
  const std::vector<String> arguments = {u"/usr/bin/prog", u"two words", u"caf\u00e9", u"--x=1"};
  EXPECT_EQ(Split(TCommandLineParams::JoinCommandLine(arguments)), arguments);
}

TEST(CommandLineParamsTest, RunningProcess) {
  const String line = RawCommandLine();
  EXPECT_FALSE(line.empty());
  EXPECT_EQ(TCommandLineParams::ParamStr(0), ExecutablePath());
  EXPECT_EQ(TCommandLineParams::ParamCount(), TCommandLineParams::ParamCountOf(line));
}

}  // namespace
}  // namespace lumora
