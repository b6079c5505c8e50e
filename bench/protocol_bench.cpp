// The site protocol under load: a page with 200 template directives and a
// page with 500 sub-resources, served through the registry's request path
// and the request handler, each beside the floor of extracting the same
// entries from the archive; the growth of template expansion from 50 to 500
// directives (linear, beside the plain search it replaces); and on Linux,
// with a display, the time WebKitGTK takes to load both pages from lmp:
// beside loading the same files from file:.
//
// Usage: lumora_bench_protocol
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/ExeHtmlSite.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"
#include "platform/ProtocolNamespace.h"
#include "core/site/SiteRequestHandler.h"
#include "core/site/TemplatePage.h"
#include "core/zip/AbZipKit.h"
#include "support/ZipWriter.h"

#ifndef _WIN32
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#endif

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace lumora;

namespace {

constexpr int kRounds = 5;
using TEntries = std::map<std::string, std::string>;

double BestSeconds(const std::function<void()>& run, int rounds = kRounds) {
  double best = 1e9;
  for (int round = 0; round < rounds; ++round) {
    const auto start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

std::string Filler(std::mt19937& random, size_t size) {
  static const char* const kWords[] = {"<div class=\"item\">",
                                       "</div>",
                                       "lorem",
                                       "ipsum",
                                       "<p>",
                                       "</p>\n",
                                       "dolor",
                                       "<span>",
                                       "</span>",
                                       "sit",
                                       "amet",
                                       "color"};
  std::string text;
  while (text.size() < size) text += std::string(kWords[random() % std::size(kWords)]) + ' ';
  text.resize(size);
  return text;
}

// site/dirN.html with n directives, each naming its own 1 KiB template.
void AddDirectivePage(TEntries& entries, std::mt19937& random, int n) {
  std::string page = "<!DOCTYPE html><html><body>\n";
  for (int i = 0; i < n; ++i) {
    const std::string name = "parts/t" + std::to_string(i) + ".html";
    if (!entries.count("site/" + name)) entries["site/" + name] = "<section>" + Filler(random, 1000) + "</section>";
    page += "<h2>" + std::to_string(i) + "</h2><!--template:" + name + "-->\n" + Filler(random, 200);
  }
  entries["site/dir" + std::to_string(n) + ".html"] = page + "</body></html>";
}

// site/many.html with 500 sub-resources: style sheets, scripts, pictures.
std::vector<std::string> AddResourcePage(TEntries& entries, std::mt19937& random) {
  std::string page = "<!DOCTYPE html><html><head>\n";
  std::string body;
  std::vector<std::string> names;
  for (int i = 0; i < 500; ++i) {
    std::string name;
    if (i % 3 == 0) {
      name = "res/s" + std::to_string(i) + ".css";
      entries["site/" + name] = ".c" + std::to_string(i) + " { margin: 1px; }\n/* " + Filler(random, 1500) + " */";
      page += "<link rel=\"stylesheet\" href=\"" + name + "\">\n";
    } else if (i % 3 == 1) {
      name = "res/j" + std::to_string(i) + ".js";
      entries["site/" + name] = "window.v" + std::to_string(i) + " = 1;\n// " + Filler(random, 1500);
      page += "<script src=\"" + name + "\"></script>\n";
    } else {
      name = "res/p" + std::to_string(i) + ".svg";
      entries["site/" + name] =
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\"><rect width=\"8\" "
          "height=\"8\" fill=\"#" +
          std::to_string(100 + i % 800) + "\"/><!-- " + Filler(random, 1500) + " --></svg>";
      body += "<img src=\"" + name + "\">";
    }
    names.push_back("site/" + name);
  }
  entries["site/many.html"] = page + "</head><body>" + body + "</body></html>";
  return names;
}

struct TBenchSite {
  fs::path Dir;
  TAbZipKit Kit;
  TSiteRequestHandler Handler;
  TInternetProtocol Lmp;

  explicit TBenchSite(const TEntries& entries)
      : Dir(fs::temp_directory_path() / ("lumora-protocol-bench-" + std::to_string(std::random_device()()))),
        Handler(Kit, u"site", [](const String& text) { std::fprintf(stderr, "%s\n", ToUtf8(text).c_str()); }) {
    fs::create_directories(Dir);
    std::vector<test::TZipTestEntry> zipEntries;
    for (const auto& [name, data] : entries) {
      zipEntries.push_back({.Name = name, .Data = data, .Method = 8, .Password = TExeHtmlSite::kArchivePassword});
      const fs::path file = Dir / name;
      fs::create_directories(file.parent_path());
      std::ofstream(file, std::ios::binary) << data;
    }
    std::ofstream(Dir / "site.zip", std::ios::binary) << test::BuildZip(zipEntries);
    Kit.SetPassword(TExeHtmlSite::kArchivePassword);
    Kit.SetFileName(FromUtf8((Dir / "site.zip").string()));
    SetUpProtocolRegistry(NewProtocolNamespace);
    Lmp.SetProtocol(u"lmp");
    Lmp.SetOnRequestStream([this](TInternetProtocol& sender, const String& request, std::unique_ptr<TStream>& stream) {
      Handler.HandleProtocolRequest(sender, request, stream);
    });
    Lmp.SetActive(true);
  }
  ~TBenchSite() {
    Lmp.SetActive(false);
    ReleaseProtocolRegistry();
    // Closed first: Windows does not delete an open file.
    Kit.SetFileName(String());
    std::error_code ignored;
    fs::remove_all(Dir, ignored);
  }

  size_t Serve(const std::string& name) {
    const std::unique_ptr<TStream> stream = RequestProtocolStream(FromUtf8("lmp://" + name));
    return stream ? static_cast<size_t>(stream->Size()) : 0;
  }
  size_t Extract(const std::string& name) {
    TMemoryStream stream;
    Kit.ExtractToStream(FromUtf8(name), &stream);
    return static_cast<size_t>(stream.Size());
  }
};

#ifndef _WIN32
// Seconds from load_uri to WEBKIT_LOAD_FINISHED in a fresh window.
double WebKitLoadSeconds(const std::string& uri) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  WebKitWebView* view = WEBKIT_WEB_VIEW(webkit_web_view_new());
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
  gtk_widget_show_all(window);
  bool finished = false;
  g_signal_connect(view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
                     if (event == WEBKIT_LOAD_FINISHED) *static_cast<bool*>(data) = true;
                   }),
                   &finished);
  const auto start = Clock::now();
  webkit_web_view_load_uri(view, uri.c_str());
  const auto deadline = start + std::chrono::seconds(60);
  while (!finished && Clock::now() < deadline) g_main_context_iteration(nullptr, TRUE);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  gtk_widget_destroy(window);
  return finished ? seconds : -1;
}
#endif

}  // namespace

int main() {
  std::mt19937 random(7);
  TEntries entries;
  for (int n : {50, 100, 200, 300, 400, 500}) AddDirectivePage(entries, random, n);
  const std::vector<std::string> resources = AddResourcePage(entries, random);
  TBenchSite site(entries);

  // The page with 200 directives.
  const double page200 = BestSeconds([&] { site.Serve("//site/dir200.html"); });
  const double page200Floor = BestSeconds([&] {
    site.Extract("site/dir200.html");
    for (int i = 0; i < 200; ++i) site.Extract("site/parts/t" + std::to_string(i) + ".html");
  });
  std::printf("page with 200 template directives (%zu KiB expanded):\n", site.Serve("//site/dir200.html") / 1024);
  std::printf("  served through the handler %7.2f ms\n", page200 * 1e3);
  std::printf("  extracting its 201 entries %7.2f ms (floor)\n", page200Floor * 1e3);
  std::printf("  handler / floor: %.2fx\n", page200 / page200Floor);

  // The page with 500 sub-resources, request by request.
  const double many = BestSeconds([&] {
    site.Serve("//site/many.html");
    for (const std::string& name : resources) site.Serve("//" + name);
  });
  const double manyFloor = BestSeconds([&] {
    site.Extract("site/many.html");
    for (const std::string& name : resources) site.Extract(name);
  });
  std::printf("page with 500 sub-resources (501 requests):\n");
  std::printf("  through the request path   %7.2f ms  %9.0f requests/s\n", many * 1e3, 501 / many);
  std::printf("  extraction alone           %7.2f ms  %9.0f entries/s (floor)\n", manyFloor * 1e3, 501 / manyFloor);

  // Growth with the number of directives.
  std::printf("template expansion by directives (each a 1 KiB template):\n");
  std::printf("  %5s %12s %14s %16s %16s\n", "n", "handler ms", "us/directive", "pieces only ms", "plain search ms");
  std::map<int, double> handlerTimes;
  std::map<int, double> plainTimes;
  for (int n : {50, 100, 200, 300, 400, 500}) {
    const std::string name = "//site/dir" + std::to_string(n) + ".html";
    const double handler = BestSeconds([&] { site.Serve(name); });
    // The replacements alone, as the pass makes them, both ways.
    const String page = FromUtf8(entries["site/dir" + std::to_string(n) + ".html"]);
    const auto replaceAll = [&](TTemplatePage::TStrategy strategy) {
      TTemplatePage working(page, strategy);
      for (int i = 0; i < n; ++i) {
        const std::string part = "parts/t" + std::to_string(i) + ".html";
        working.ReplaceAll(FromUtf8("<!--template:" + part + "-->"), FromUtf8(entries["site/" + part]),
                           TSiteRequestHandler::kMaxPageLength);
      }
      return working.Length();
    };
    const double pieces = BestSeconds([&] { replaceAll(TTemplatePage::TStrategy::Pieces); });
    const double plain = BestSeconds([&] { replaceAll(TTemplatePage::TStrategy::Plain); });
    handlerTimes[n] = handler;
    plainTimes[n] = plain;
    std::printf("  %5d %12.2f %14.1f %16.2f %16.2f\n", n, handler * 1e3, handler * 1e6 / n, pieces * 1e3, plain * 1e3);
  }
  std::printf("  500 / 50 directives: handler %.1fx, plain search %.1fx (linear: 10x, quadratic: 100x)\n",
              handlerTimes[500] / handlerTimes[50], plainTimes[500] / plainTimes[50]);

#ifndef _WIN32
  if (gtk_init_check(nullptr, nullptr)) {
    webkit_web_context_set_cache_model(webkit_web_context_get_default(), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    std::printf("WebKitGTK page load (best of 3, fresh window each):\n");
    for (const char* page : {"dir200.html", "many.html"}) {
      const std::string file = "file://" + (site.Dir / "site" / page).string();
      const std::string lmp = std::string("lmp://site/") + page;
      // The first load also starts WebKit's processes.
      WebKitLoadSeconds(lmp);
      const double fromLmp = BestSeconds([&] { WebKitLoadSeconds(lmp); }, 3);
      const double fromFile = BestSeconds([&] { WebKitLoadSeconds(file); }, 3);
      std::printf("  %-12s lmp: %7.1f ms   file: %7.1f ms   lmp / file: %.2fx\n", page, fromLmp * 1e3, fromFile * 1e3,
                  fromLmp / fromFile);
    }
  } else {
    std::printf("WebKitGTK page load: skipped (no display)\n");
  }
#endif
  return 0;
}
