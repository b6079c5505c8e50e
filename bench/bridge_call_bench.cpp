// The cost of a window.external call from a page of a packed site, beside
// the transport it rides on: a synchronous request for a small entry of the
// same site. The page times the calls itself (performance.now), writes the
// figures through the bridge and closes its window.
//
// Usage: lumora_bench_bridge [CALLS] (default 2000). Needs an X display
// (scripts/with-display).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Each case runs CALLS times after a warm-up of 50; the page reports the
// mean time per call in microseconds.
const char kPage[] = R"HTML(<!DOCTYPE html><html><body><h1>Bridge bench</h1><script>
var ext = window.external;
var calls = Number(ext.appParamStr(2));
var time = function (name, f) {
  for (var i = 0; i < 50; i++) f(i);
  var start = performance.now();
  for (var i = 0; i < calls; i++) f(i);
  return name + ' ' + ((performance.now() - start) * 1000 / calls).toFixed(1) + ' us/call';
};
var get = function () {
  var xhr = new XMLHttpRequest();
  xhr.open('GET', 'small.txt', false);
  xhr.send();
  return xhr.responseText;
};
var lines = [
  time('sync request for a 10-byte entry (reference)', get),
  time('SayHello', function () { return ext.SayHello('bench'); }),
  time('appFileExists (missing file)', function () { return ext.appFileExists('/nonexistent/x'); }),
  time('appWriteReg', function (i) { return ext.appWriteReg('Software\\Lumora Bench', 'v', String(i)); }),
  time('appReadReg', function () { return ext.appReadReg('Software\\Lumora Bench', 'v'); }),
];
ext.appWriteFile(ext.appParamStr(1), lines.join('\n'));
window.close();
</script></body></html>
)HTML";

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
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
  const fs::path app = folder / "bench-app";
  const std::string pack = std::string(LUMORA_PACK_PATH) + " --runtime " + LUMORA_RUNTIME_PATH + " " +
                           (folder / "site").string() + " " + app.string() + " > /dev/null";
  if (std::system(pack.c_str()) != 0) return 1;
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
  fs::remove_all(folder);
  if (status != 0 || text.str().empty()) {
    std::fprintf(stderr, "the bench page reported nothing (exit status %d)\n", status);
    return 1;
  }
  std::string body = text.str();
  if (body.rfind("\xEF\xBB\xBF", 0) == 0) body.erase(0, 3);
  std::cout << "window.external calls, mean of " << calls << " each:\n";
  std::istringstream lines(body);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::cout << "  " << line << "\n";
  }
  return 0;
}
