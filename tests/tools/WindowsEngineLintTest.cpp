// The check of script and CSS against the Windows runtime's engine
// (Internet Explorer 11): each newer construct is found with its line, and
// ES5 that only looks like one (inside strings, comments, regular
// expressions, property names) raises nothing.
#include <gtest/gtest.h>

#include "pack/WindowsEngineLint.h"

namespace lumora {
namespace {

std::vector<String> Constructs(const std::vector<TEngineFinding>& findings) {
  std::vector<String> what;
  for (const TEngineFinding& finding : findings)
    what.push_back(IntToStr(static_cast<int64_t>(finding.Line)) + u" " + finding.What);
  return what;
}

TEST(WindowsEngineLintTest, EachNewerScriptConstructIsFoundOnItsLine) {
  struct TCase {
    const char* Script;
    std::vector<String> Found;
  };
  const TCase cases[] = {
      {"var f = x =>\n  x + 1;", {u"1 arrow functions (=>)"}},
      {"var a;\nfor (let i = 0; i < 3; i++) a = i;",
       {u"2 let or const in a for loop's head (all iterations share one binding)"}},
      {"for (const k in o) {}", {u"1 let or const in a for loop's head (all iterations share one binding)"}},
      {"class Note extends Base {}", {u"1 classes"}},
      {"var C = class {};", {u"1 classes"}},
      {"var s = `a\nb ${x} c`;", {u"1 template literals (`...`)"}},
      {"for (var x of list) {}", {u"1 for...of loops"}},
      {"for (var [a, b] of pairs) {}", {u"1 for...of loops", u"1 destructuring"}},
      {"f(...args);", {u"1 spread and rest (...)"}},
      {"function f(a, ...rest) {}", {u"1 spread and rest (...)"}},
      {"function f(a, b = 2) {}", {u"1 default parameters"}},
      {"var {a, b} = o;", {u"1 destructuring"}},
      {"var [a, b] = list;", {u"1 destructuring"}},
      {"function f({a}) {}", {u"1 destructuring"}},
      {"async function load() {}", {u"1 async functions"}},
      {"var load = async (u) => u;", {u"1 async functions", u"1 arrow functions (=>)"}},
      {"function g() {\n  return await fetch(u);\n}", {u"2 await"}},
      {"var n = o?.a;", {u"1 optional chaining (?.)"}},
      {"var n = a ?? b;", {u"1 the ?? operator"}},
      {"var p = 2 ** 8;", {u"1 the ** operator"}},
      {"import x from './x.js';", {u"1 modules (import and export)"}},
      {"export function f() {}", {u"1 modules (import and export)"}},
      {"function* g() {}", {u"1 generators (function*)"}},
      {"var r = /a/u;", {u"1 regular-expression flags u, y and s"}},
      // Substitutions are script: what is inside them counts, on its line.
      {"var s = `${\n  list.map(x => x)\n}`;", {u"1 template literals (`...`)", u"2 arrow functions (=>)"}},
      {"var s = `${ `inner` }`;", {u"1 template literals (`...`)"}},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Constructs(TWindowsEngineLint::CheckScript(c.Script)), c.Found) << c.Script;
  }
}

TEST(WindowsEngineLintTest, ValidEs5RaisesNothing) {
  const char* const scripts[] = {
      "var s = 'x => y', t = \"`template`\", u = 'a ?? b ?. c';",
      "// const f = () => 1; class A {}\nvar a = 1; /* for (let x of y) ... */",
      "var r = /=>|`|\\/\\.\\.\\./g; var q = /[/`]/;",
      "var half = total / 2 / count; var x = (a) / b;",
      "if (ok) /=>/.test(s);",
      "var o = { class: 1, let: 2, of: 3, async: 4, await: 5, import: 6 }; o.class = o.of;",
      "var c = a ? .5 : 1; var d = a?.5:1;",
      "var let = 1; var of = [1]; var async = function () {}; async(of);",
      "function f(a, b) { return a == b ? a : b; }",
      "for (var i = 0; i < n; i++) {} for (var k in o) {}",
      "var s = 'line \\\n continued => still a string';",
      "var obj = {}; obj['=>'] = 1;",
      "label: for (;;) { break label; }",
      "var n = 1e+5 - 0x1F;",
  };
  for (const char* script : scripts) {
    EXPECT_EQ(Constructs(TWindowsEngineLint::CheckScript(script)), std::vector<String>{}) << script;
  }
}

TEST(WindowsEngineLintTest, CssCustomPropertiesAndGrid) {
  EXPECT_EQ(Constructs(TWindowsEngineLint::CheckCss(":root {\n  --accent: #06c;\n}\na { color: var(--accent); }\n"
                                                    ".g { display: grid;\n grid-template-columns: 1fr 1fr; }")),
            (std::vector<String>{u"2 custom properties (--name)", u"4 custom properties (var())", u"5 CSS grid",
                                 u"6 CSS grid"}));
  EXPECT_EQ(
      Constructs(TWindowsEngineLint::CheckCss("/* --x: 1; display: grid */ .grid:hover, a[href=\"--x:1\"] "
                                              "{ content: 'var(--x)'; display: -ms-grid; -ms-grid-columns: 1fr; }")),
      std::vector<String>{});
}

TEST(WindowsEngineLintTest, HtmlInlineScriptStyleAndModules) {
  const char* page =
      "<html>\n"
      "<head><style>\n"
      "  :root { --x: 1 }\n"
      "</style>\n"
      "<script type=\"module\" src=\"app.js\"></script>\n"
      "<script type=\"text/template\">${ x => x }</script>\n"
      "<!-- <script>let f = () => 1;</script> -->\n"
      "<script>\n"
      "  var a = 1;\n"
      "  var f = () => a;\n"
      "</script>\n"
      "<p style=\"display: grid\">x</p>\n"
      "<SCRIPT TYPE='text/javascript'>var s = `x`;</SCRIPT>\n";
  EXPECT_EQ(Constructs(TWindowsEngineLint::CheckHtml(page)),
            (std::vector<String>{u"3 custom properties (--name)", u"5 module scripts (type=\"module\")",
                                 u"10 arrow functions (=>)", u"12 CSS grid", u"13 template literals (`...`)"}));
}

}  // namespace
}  // namespace lumora
