// A real WebKitGTK window served through the lmp scheme: a page from an
// archive with a template, a style sheet, module scripts, fetch() with and
// without a range, an SVG picture, a video that seeks (through the media
// bridge) and new Audio(). The page tests itself and reports through
// its title; a screenshot of the window is written to
// $LUMORA_SCREENSHOT_DIR/webkit-scheme-page.png when that is set.
#include <chrono>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdlib>
#include <map>
#include <string>

#include "core/ExeHtmlSite.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolRegistry.h"
#include "core/site/SiteRequestHandler.h"
#include "core/zip/AbZipKit.h"
#include "platform/linux/browser/WebKitMediaBridge.h"
#include "platform/ProtocolNamespace.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"
#include "support/linux/MainLoop.h"

namespace lumora::test {
namespace {

const char kIndex[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>loading</title>
<link rel="stylesheet" href="style.css">
<script type="module" src="app.mjs"></script>
</head><body>
<!--template:parts/header.html-->
<img id="logo" src="img/logo.svg" width="96" height="96">
<video id="clip" src="media/clip.webm" width="240" height="180" preload="auto" muted></video>
<audio id="gone" preload="auto"><source src="media/none.ogg" type="audio/ogg"></audio>
<pre id="out">running</pre>
</body></html>)";

const char kHeader[] = R"(<h1 id="title">Packaged page</h1>)";

const char kStyle[] = R"(body { background: #fdf6e3; font: 14px sans-serif; }
h1 { color: rgb(38, 139, 210); })";

const char kLib[] = R"(export const label = 'module import';)";

const char kApp[] = R"(import { label } from './lib.mjs';
const results = {};
const report = (state) => {
  document.getElementById('out').textContent = JSON.stringify(results, null, 1);
  document.title = state + ':' + JSON.stringify(results);
};
window.addEventListener('error', (e) => { results.error = String(e.message); report('error'); });
try {
  results.step = 'module';
  report('step');
  results.module = label;
  results.template = document.getElementById('title')?.textContent ?? null;
  results.css = getComputedStyle(document.querySelector('h1')).color;
  results.step = 'fetch'; report('step');
  results.fetch = (await (await fetch('data.json')).json()).answer;
  results.step = 'range'; report('step');
  const ranged = await fetch('media/clip.webm', { headers: { Range: 'bytes=10-19' } });
  results.rangeStatus = ranged.status;
  results.rangeBytes = (await ranged.arrayBuffer()).byteLength;
  results.contentRange = ranged.headers.get('Content-Range');
  results.step = 'missing'; report('step');
  results.missing = (await fetch('nothing.html').then((r) => r.status, () => 'failed'));
  results.step = 'svg'; report('step');
  const logo = document.getElementById('logo');
  await logo.decode();
  results.svgWidth = logo.naturalWidth;
  results.step = 'video'; report('step');
  const video = document.getElementById('clip');
  video.addEventListener('error', () => { results.videoError = video.error && video.error.code; report('error'); });
  if (video.readyState < 1) await new Promise((ok) => video.addEventListener('loadedmetadata', ok, { once: true }));
  results.duration = Math.round(video.duration * 10) / 10;
  results.step = 'seek'; report('step');
  video.currentTime = 1.5;
  await new Promise((ok) => video.addEventListener('seeked', ok, { once: true }));
  results.seekedTo = Math.round(video.currentTime * 10) / 10;
  results.step = 'audio'; report('step');
  const tone = new Audio('media/tone.wav');
  await new Promise((ok, fail) => {
    tone.addEventListener('loadedmetadata', ok, { once: true });
    tone.addEventListener('error', () => fail('audio error ' + (tone.error && tone.error.code)), { once: true });
  });
  results.audioDuration = Math.round(tone.duration * 10) / 10;
  // A source the scheme does not have fails as it would without the bridge.
  const gone = document.getElementById('gone');
  if (gone.networkState !== HTMLMediaElement.NETWORK_NO_SOURCE) {
    await new Promise((ok) => gone.querySelector('source').addEventListener('error', ok, { once: true }));
  }
  results.goneState = gone.networkState;
  report('done');
} catch (e) {
  results.error = String(e);
  report('error');
})";

const char kSvg[] = R"(<svg xmlns="http://www.w3.org/2000/svg" width="96" height="96" viewBox="0 0 96 96">
<circle cx="48" cy="48" r="44" fill="#d33682"/><rect x="28" y="28" width="40" height="40" fill="#fdf6e3"/></svg>)";

// A two-second VP8 clip with a key frame every 10 frames, made with
// GStreamer so that no binary fixture is needed.
std::string MakeClip(const TScratchDir& dir) {
  gst_init(nullptr, nullptr);
  const std::string path = ToUtf8(dir.File(u"clip.webm"));
  const std::string description =
      "videotestsrc num-buffers=60 pattern=ball ! video/x-raw,width=240,height=180,framerate=30/1 ! "
      "vp8enc keyframe-max-dist=10 deadline=1 ! webmmux ! filesink location=\"" +
      path + "\"";
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
  if (!pipeline) {
    ADD_FAILURE() << "no clip: " << (error ? error->message : "?");
    if (error) g_error_free(error);
    return std::string();
  }
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* message = gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND,
                                                   static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  EXPECT_TRUE(message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS);
  if (message) gst_message_unref(message);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return ReadWholeFile(dir.File(u"clip.webm"));
}

// One second of 8 kHz, 8-bit mono silence as a WAVE file.
std::string MakeTone() {
  const uint32_t samples = 8000;
  std::string wave = "RIFF" + Le32(36 + samples) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(1) + Le32(8000) + Le32(8000) +
                     Le16(1) + Le16(8) + "data" + Le32(samples);
  return wave + std::string(samples, '\x80');
}

struct TWindow {
  GtkWidget* Window = nullptr;
  WebKitWebView* View = nullptr;
  std::string Title;

  TWindow() {
    Window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(Window), 800, 600);
    View = WEBKIT_WEB_VIEW(webkit_web_view_new());
    AddWebKitMediaBridge(webkit_web_view_get_user_content_manager(View), u"lmp");
    gtk_container_add(GTK_CONTAINER(Window), GTK_WIDGET(View));
    g_signal_connect(View, "notify::title", G_CALLBACK(+[](WebKitWebView* view, GParamSpec*, gpointer data) {
                       const char* title = webkit_web_view_get_title(view);
                       static_cast<TWindow*>(data)->Title = title ? title : "";
                     }),
                     this);
    gtk_widget_show_all(Window);
  }
  ~TWindow() { gtk_widget_destroy(Window); }

  // Runs the main loop until done() or the time is up.
  template <typename TDone>
  bool RunUntil(TDone done, int seconds) {
    return test::WaitUntil(done, std::chrono::seconds(seconds), test::RunMainLoopOnce);
  }

  void SaveScreenshot(const std::string& path) {
    cairo_surface_t* surface = nullptr;
    bool finished = false;
    struct TShot {
      cairo_surface_t** Surface;
      bool* Finished;
    } shot{&surface, &finished};
    webkit_web_view_get_snapshot(
        View, WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
          auto* target = static_cast<TShot*>(data);
          *target->Surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
          *target->Finished = true;
        },
        &shot);
    RunUntil([&] { return finished; }, 10);
    ASSERT_TRUE(surface);
    EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
  }
};

TEST(WebKitSchemeLinux, ServesAPackagedPageWithItsResources) {
  if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  TScratchDir dir;
  const std::string clip = MakeClip(dir);
  ASSERT_FALSE(clip.empty());
  const std::string password = TExeHtmlSite::kArchivePassword;
  std::vector<TZipTestEntry> entries;
  for (const auto& [name, data] : std::map<std::string, std::string>{
           {"site/index.html", kIndex},
           {"site/parts/header.html", kHeader},
           {"site/style.css", kStyle},
           {"site/app.mjs", kApp},
           {"site/lib.mjs", kLib},
           {"site/data.json", R"({"answer": 42})"},
           {"site/img/logo.svg", kSvg},
           {"site/media/clip.webm", clip},
           {"site/media/tone.wav", MakeTone()},
       }) {
    entries.push_back({.Name = name, .Data = data, .Method = 8, .Password = password});
  }
  WriteWholeFile(dir.File(u"site.zip"), BuildZip(entries));
  TAbZipKit kit;
  kit.SetPassword(password);
  kit.SetFileName(dir.File(u"site.zip"));
  std::vector<String> messages;
  TSiteRequestHandler handler(kit, u"site", [&](const String& text) { messages.push_back(text); });

  SetUpProtocolRegistry(NewProtocolNamespace);
  std::map<String, int> requests;
  {
    TInternetProtocol lmp;
    lmp.SetProtocol(u"lmp");
    lmp.SetOnRequestStream([&](TInternetProtocol& sender, const String& request, std::unique_ptr<TStream>& stream) {
      ++requests[request];
      handler.HandleProtocolRequest(sender, request, stream);
    });
    lmp.SetActive(true);

    TWindow window;
    webkit_web_view_load_uri(window.View, "lmp://site/index.html");
    window.RunUntil([&] { return window.Title.rfind("done:", 0) == 0 || window.Title.rfind("error:", 0) == 0; }, 60);
    // Let the last frame reach the screen before the screenshot.
    window.RunUntil([] { return false; }, 1);
    if (const char* shots = std::getenv("LUMORA_SCREENSHOT_DIR")) {
      window.SaveScreenshot(std::string(shots) + "/webkit-scheme-page.png");
    }
    const std::string& title = window.Title;
    ASSERT_EQ(title.rfind("done:", 0), 0u) << title;
    for (const char* expected :
         {R"("module":"module import")", R"("template":"Packaged page")", R"x("css":"rgb(38, 139, 210)")x",
          R"("fetch":42)", R"("rangeStatus":206)", R"("rangeBytes":10)", R"("svgWidth":96)", R"("duration":2)",
          R"("seekedTo":1.5)", R"("audioDuration":1)", R"("goneState":3)"}) {
      EXPECT_NE(title.find(expected), std::string::npos) << expected << " in " << title;
    }
    EXPECT_NE(title.find("\"contentRange\":\"bytes 10-19/" + std::to_string(clip.size()) + "\""), std::string::npos)
        << title;
    // A missing entry is a failed load, not an empty page.
    EXPECT_NE(title.find(R"("missing":"failed")"), std::string::npos) << title;
  }
  ReleaseProtocolRegistry();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(requests[u"//site/index.html"], 1);
  // The clip was decoded for the ranged fetch (then cached) and for the
  // media bridge, at most.
  EXPECT_LE(requests[u"//site/media/clip.webm"], 2);
}

}  // namespace
}  // namespace lumora::test
