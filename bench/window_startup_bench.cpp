// Start-up of a packaged site to its first painted page, beside a bare
// WebKitGTK window loading the same page from a file:// URL, in the same
// run and on the same display; plus the resident memory of both (the
// program and its WebKit helper processes) once the page shows.
//
// Usage: lumora_bench_window [RUNS] (default 7). Needs an X display
// (scripts/with-display). "--bare URL" is the reference program itself.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The page fills the window with this colour; its appearance at the
// window's centre is the first paint.
constexpr unsigned long kPageColour = 0x33AA77;
const char kPage[] =
    "<!DOCTYPE html><html><head><style>html,body{margin:0;height:100%;background:#33aa77}</style></head>"
    "<body><h1 style='margin:0;padding:40px;font:32px sans-serif;color:#fff'>First paint</h1></body></html>";

int RunBare(const char* url) {
  gtk_init(nullptr, nullptr);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  gtk_window_set_title(GTK_WINDOW(window), "bare");
  GtkWidget* view = webkit_web_view_new();
  gtk_container_add(GTK_CONTAINER(window), view);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), url);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}

pid_t Spawn(const std::vector<std::string>& argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

unsigned long CentrePixel(Display* display) {
  const int screen = DefaultScreen(display);
  const int x = DisplayWidth(display, screen) / 2, y = DisplayHeight(display, screen) / 2;
  XImage* image = XGetImage(display, RootWindow(display, screen), x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

// The resident memory, in KiB, of pid and every process below it.
long TreeRssKiB(pid_t root) {
  std::map<pid_t, pid_t> parents;
  std::map<pid_t, long> rss;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream status(entry.path() / "status");
    std::string line;
    pid_t ppid = 0;
    long kib = 0;
    while (std::getline(status, line)) {
      if (line.rfind("PPid:", 0) == 0) ppid = std::atoi(line.c_str() + 5);
      if (line.rfind("VmRSS:", 0) == 0) kib = std::atol(line.c_str() + 6);
    }
    parents[std::atoi(name.c_str())] = ppid;
    rss[std::atoi(name.c_str())] = kib;
  }
  long total = 0;
  for (const auto& [pid, kib] : rss) {
    for (pid_t p = pid; p > 1; p = parents.count(p) ? parents[p] : 0) {
      if (p == root) {
        total += kib;
        break;
      }
    }
  }
  return total;
}

struct TSample {
  double Seconds;
  long RssKiB;
};

TSample Measure(Display* display, const std::vector<std::string>& argv, const char* env) {
  if (env) putenv(const_cast<char*>(env));
  const auto start = Clock::now();
  const pid_t pid = Spawn(argv);
  double seconds = -1;
  while (std::chrono::duration<double>(Clock::now() - start).count() < 30) {
    if (CentrePixel(display) == kPageColour) {
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
      break;
    }
    usleep(2000);
  }
  usleep(1000000);  // let the helper processes settle before reading memory
  const long rss = TreeRssKiB(pid);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  usleep(300000);
  if (seconds < 0) {
    std::fprintf(stderr, "no first paint from %s\n", argv[0].c_str());
    std::exit(1);
  }
  return {seconds, rss};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--bare") return RunBare(argv[2]);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "lumora_bench_window needs an X display\n");
    return 1;
  }
  std::string folderTemplate = (fs::temp_directory_path() / "lumora-bench-window-XXXXXX").string();
  const char* made = mkdtemp(folderTemplate.data());
  if (made == nullptr) return 1;
  const fs::path folder = made;
  fs::create_directories(folder / "site" / "site");
  std::ofstream(folder / "site" / "site" / "index.html") << kPage;
  std::ofstream(folder / "site" / "lm-config") << "[Lumora]\nIndexPage=site/index.html\nAppTitle=bench\n";
  const std::string app = (folder / "bench-app").string();
  const std::string pack = std::string(LUMORA_PACK_PATH) + " --runtime " + LUMORA_RUNTIME_PATH + " " +
                           (folder / "site").string() + " " + app + " > /dev/null";
  if (std::system(pack.c_str()) != 0) return 1;
  const std::string url = "file://" + (folder / "site" / "site" / "index.html").string();
  const std::string self = fs::canonical("/proc/self/exe").string();
  static std::string runtimeDir = "XDG_RUNTIME_DIR=" + (folder / "run").string();
  fs::create_directories(folder / "run");
  fs::permissions(folder / "run", fs::perms::owner_all, fs::perm_options::replace);

  std::vector<double> appTimes, bareTimes, appRss, bareRss;
  for (int i = 0; i < runs; ++i) {
    const TSample bare = Measure(display, {self, "--bare", url}, nullptr);
    const TSample packed = Measure(display, {app}, runtimeDir.c_str());
    bareTimes.push_back(bare.Seconds);
    appTimes.push_back(packed.Seconds);
    bareRss.push_back(static_cast<double>(bare.RssKiB));
    appRss.push_back(static_cast<double>(packed.RssKiB));
  }
  const double appTime = Median(appTimes), bareTime = Median(bareTimes);
  std::printf("first paint, median of %d runs: packed site %.0f ms, bare WebKitGTK (file://) %.0f ms, ratio %.2f\n",
              runs, appTime * 1000, bareTime * 1000, appTime / bareTime);
  std::printf("resident memory with helpers, median: packed site %.1f MiB, bare WebKitGTK %.1f MiB, ratio %.2f\n",
              Median(appRss) / 1024, Median(bareRss) / 1024, Median(appRss) / Median(bareRss));
  fs::remove_all(folder);
  XCloseDisplay(display);
  return 0;
}
