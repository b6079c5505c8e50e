// The cost of a window.external call from a page of a packed site, beside
// the transport it rides on: a synchronous request for a small entry of the
// same site. The page times the calls itself (performance.now), writes the
// figures through the bridge and closes its window.
//
// Usage: lumora_bench_bridge [CALLS [RUNTIME]] (CALLS defaults to 2000).
// With RUNTIME (another build's runtime, an older one say), the same page
// runs packed with it too, after this build's, and the figures show side
// by side. Needs an X display (scripts/with-display).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Each case runs CALLS times after a warm-up of 50, in 20 rounds that take
// turns, so that a busy spell of the (shared) machine falls on every case
// alike; the page reports the mean time per call in microseconds, and how
// the calls compare with the reference and with a plain call.
const char kPage[] = R"HTML(<!DOCTYPE html><html><body><h1>Bridge bench</h1><script>
var ext = window.external;
var calls = Number(ext.appParamStr(2));
var get = function () {
  var xhr = new XMLHttpRequest();
  xhr.open('GET', 'small.txt', false);
  xhr.send();
  return xhr.responseText;
};
var cases = [
  ['sync request for a 10-byte entry (reference)', get],
  ['SayHello', function () { return ext.SayHello('bench'); }],
  ['appFileExists (missing file)', function () { return ext.appFileExists('/nonexistent/x'); }],
  ['appWriteReg', function (i) { return ext.appWriteReg('Software\\Lumora Bench', 'v', String(i)); }],
  ['appReadReg', function () { return ext.appReadReg('Software\\Lumora Bench', 'v'); }],
];
var rounds = 20, each = Math.max(1, Math.round(calls / rounds)), spent = [];
cases.forEach(function (c, n) { for (var i = 0; i < 50; i++) c[1](i); spent[n] = 0; });
for (var round = 0; round < rounds; round++) {
  cases.forEach(function (c, n) {
    var start = performance.now();
    for (var i = 0; i < each; i++) c[1](round * each + i);
    spent[n] += performance.now() - start;
  });
}
var mean = spent.map(function (ms) { return ms * 1000 / (rounds * each); });
var lines = cases.map(function (c, n) { return c[0] + ' ' + mean[n].toFixed(1) + ' us/call'; });
var ratio = function (name, a, b) { lines.push(name + ' ' + (mean[a] / mean[b]).toFixed(2) + ' times'); };
ratio('SayHello / reference', 1, 0);
ratio('appWriteReg / SayHello', 3, 1);
ratio('appReadReg / SayHello', 4, 1);
ext.appWriteFile(ext.appParamStr(1), lines.join('\n'));
window.close();
</script></body></html>
)HTML";

// The page's lines ("NAME FIGURE UNIT") for a program packed with runtime,
// run in folder with a store and a temporary folder of its own; empty when
// it reported nothing.
std::vector<std::string> RunPage(const std::string& runtime, int calls, const fs::path& folder) {
  const fs::path app = folder / "bench-app";
  fs::create_directories(folder);
  const std::string pack = std::string(LUMORA_PACK_PATH) + " --runtime '" + runtime + "' " +
                           (folder.parent_path() / "site").string() + " " + app.string() + " > /dev/null";
  if (std::system(pack.c_str()) != 0) return {};
  fs::create_directories(folder / "run");
  fs::permissions(folder / "run", fs::perms::owner_all, fs::perm_options::replace);
  setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  const fs::path results = folder / "results.txt";
  const std::string command = "'" + app.string() + "' '" + results.string() + "' " + std::to_string(calls);
  const int status = std::system(command.c_str());
  std::ifstream in(results);
  std::stringstream text;
  text << in.rdbuf();
  std::string body = text.str();
  if (status != 0 || body.empty()) {
    std::fprintf(stderr, "the bench page of %s reported nothing (exit status %d)\n", runtime.c_str(), status);
    return {};
  }
  if (body.rfind("\xEF\xBB\xBF", 0) == 0) body.erase(0, 3);
  std::vector<std::string> lines;
  std::istringstream stream(body);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "NAME FIGURE UNIT" split at its last two blanks.
void SplitLine(const std::string& line, std::string& name, std::string& figure) {
  const size_t unit = line.rfind(' ');
  const size_t at = unit == std::string::npos || unit == 0 ? std::string::npos : line.rfind(' ', unit - 1);
  if (at == std::string::npos) {
    name = line;
    figure.clear();
    return;
  }
  name = line.substr(0, at);
  figure = line.substr(at + 1);
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const std::string other = argc > 2 ? argv[2] : "";
  if (std::getenv("DISPLAY") == nullptr) {
    std::fprintf(stderr, "lumora_bench_bridge needs an X display\n");
    return 1;
  }
  std::string folderTemplate = (fs::temp_directory_path() / "lumora-bench-bridge-XXXXXX").string();
  const char* made = mkdtemp(folderTemplate.data());
  if (made == nullptr) return 1;
  const fs::path folder = made;
  fs::create_directories(folder / "site" / "site");
  std::ofstream(folder / "site" / "site" / "index.html") << kPage;
  std::ofstream(folder / "site" / "site" / "small.txt") << "0123456789";
  std::ofstream(folder / "site" / "lm-config") << "[Lumora]\nIndexPage=site/index.html\nAppTitle=bench\n";
  const std::vector<std::string> ours = RunPage(LUMORA_RUNTIME_PATH, calls, folder / "this");
  const std::vector<std::string> theirs =
      other.empty() ? std::vector<std::string>() : RunPage(other, calls, folder / "other");
  fs::remove_all(folder);
  if (ours.empty() || (!other.empty() && theirs.empty())) return 1;
  std::cout << "window.external calls, mean of " << calls << " each:\n";
  if (other.empty()) {
    for (const std::string& line : ours) std::cout << "  " << line << "\n";
    return 0;
  }
  std::printf("  %-46s %16s %16s\n", "", "this build", "other runtime");
  for (size_t i = 0; i < ours.size(); ++i) {
    std::string name, figure, otherName, otherFigure;
    SplitLine(ours[i], name, figure);
    if (i < theirs.size()) SplitLine(theirs[i], otherName, otherFigure);
    std::printf("  %-46s %16s %16s\n", name.c_str(), figure.c_str(), otherFigure.c_str());
  }
  return 0;
}
