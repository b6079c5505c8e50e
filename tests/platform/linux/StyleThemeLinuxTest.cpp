// A style on real GTK windows: the caption bar, frame and client area of a
// window realised after the style was applied carry the style's colours,
// and "Windows" gives the toolkit's own look back.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <functional>

#include "core/style/StyleFile.h"
#include "os/StyleResources.h"
#include "platform/StyleTheme.h"
#include "platform/linux/style/StyleCss.h"
#include "platform/linux/style/StyledWindowsGtk.h"
#include "support/TestSupport.h"
#include "support/linux/MainLoop.h"

namespace lumora {
namespace {

TStyleDefinition EmbeddedStyle(std::u16string_view resourceName) {
  for (const TStyleResource& resource : EmbeddedStyleResources())
    if (resource.Name == resourceName) return ReadStyleFile(resource.Data);
  ADD_FAILURE() << "no style " << ToUtf8(resourceName);
  return {};
}

bool RunUntil(const std::function<bool()>& done) {
  return test::WaitUntil(done, std::chrono::seconds(10), test::RunMainLoopOnce);
}

uint32_t PixelAt(GdkPixbuf* pixbuf, int x, int y) {
  const guchar* p =
      gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) + x * gdk_pixbuf_get_n_channels(pixbuf);
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

class StyleThemeLinuxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  }
  void TearDown() override { ApplyStyleToWindows(nullptr); }

  // Shows a fresh window and returns what it looks like once drawn: the
  // first "draw" can come before its pixels reach the screen (the window
  // then still reads black), so the window is read again until `shown`
  // accepts what it shows or the time runs out.
  GdkPixbuf* Screenshot(bool decorated, int& width, int& height,
                        const std::function<bool(GdkPixbuf*, int, int)>& shown) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    FWindow = window;
    gtk_window_set_title(GTK_WINDOW(window), "Styled");
    gtk_window_set_decorated(GTK_WINDOW(window), decorated);
    gtk_window_set_default_size(GTK_WINDOW(window), 320, 200);
    bool drawn = false;
    g_signal_connect_after(window, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer flag) -> gboolean {
                             *static_cast<bool*>(flag) = true;
                             return FALSE;
                           }),
                           &drawn);
    StyleWindowBeforeShow(GTK_WINDOW(window));
    gtk_widget_show_all(window);
    EXPECT_TRUE(RunUntil([&] { return drawn; }));
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    width = gdk_window_get_width(gdkWindow);
    height = gdk_window_get_height(gdkWindow);
    GdkPixbuf* shot = nullptr;
    RunUntil([&] {
      if (shot) g_object_unref(shot);
      shot = gdk_pixbuf_get_from_window(gdkWindow, 0, 0, width, height);
      return shot && shown(shot, width, height);
    });
    return shot;
  }

  void TearDownWindow() {
    if (FWindow) gtk_widget_destroy(FWindow);
    FWindow = nullptr;
  }

  GtkWidget* FWindow = nullptr;
};

TEST_F(StyleThemeLinuxTest, AStyledWindowHasTheStylesCaptionFrameAndBackground) {
  const TStyleDefinition carbon = EmbeddedStyle(u"CARBON");
  ApplyStyleToWindows(&carbon);
  int width = 0, height = 0;
  using Role = TStyleColorRole;
  GdkPixbuf* shot = Screenshot(true, width, height, [&](GdkPixbuf* s, int w, int h) {
    return PixelAt(s, w / 2, h - 30) == carbon.Color(Role::Window).Rgb;
  });
  ASSERT_NE(shot, nullptr);
  if (const char* keep = g_getenv("LUMORA_KEEP_SCREENSHOT")) gdk_pixbuf_save(shot, keep, "png", nullptr, nullptr);
  const uint32_t caption = PixelAt(shot, width / 2, 4);
  // Without a window manager the window may never be focused: the caption
  // is in the active or the inactive colour.
  EXPECT_TRUE(caption == carbon.Color(Role::CaptionActive).Rgb || caption == carbon.Color(Role::CaptionInactive).Rgb)
      << std::hex << caption;
  EXPECT_EQ(PixelAt(shot, width / 2, height - 30), carbon.Color(Role::Window).Rgb);
  EXPECT_EQ(PixelAt(shot, 0, height / 2), carbon.Color(Role::Frame).Rgb);
  g_object_unref(shot);
  TearDownWindow();
}

TEST_F(StyleThemeLinuxTest, ABorderlessWindowGetsNoCaptionAndWindowsRestoresTheToolkitsLook) {
  const TStyleDefinition sky = EmbeddedStyle(u"SKY");
  ApplyStyleToWindows(&sky);
  int width = 0, height = 0;
  GdkPixbuf* shot = Screenshot(false, width, height, [&](GdkPixbuf* s, int w, int) {
    return PixelAt(s, w / 2, 4) == sky.Color(TStyleColorRole::Window).Rgb;
  });
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(PixelAt(shot, width / 2, 4), sky.Color(TStyleColorRole::Window).Rgb);
  g_object_unref(shot);
  TearDownWindow();

  ApplyStyleToWindows(nullptr);
  // The toolkit's own look is light, never the black of a window not yet shown.
  shot = Screenshot(true, width, height, [](GdkPixbuf* s, int w, int h) { return PixelAt(s, w / 2, h / 2) != 0; });
  ASSERT_NE(shot, nullptr);
  EXPECT_NE(PixelAt(shot, width / 2, height / 2), sky.Color(TStyleColorRole::Window).Rgb);
  g_object_unref(shot);
  TearDownWindow();
}

// Every top-level window, the message boxes of the OS backend included,
// gets its caption bar only while a style is in force.
TEST_F(StyleThemeLinuxTest, WindowsGetTheCaptionBarOnlyWhileAStyleIsInForce) {
  const auto captionBarAfterPreparing = [] {
    GtkWidget* box = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    StyleWindowBeforeShow(GTK_WINDOW(box));
    const bool hasBar = gtk_window_get_titlebar(GTK_WINDOW(box)) != nullptr;
    gtk_widget_destroy(box);
    return hasBar;
  };
  EXPECT_FALSE(captionBarAfterPreparing());
  const TStyleDefinition carbon = EmbeddedStyle(u"CARBON");
  ApplyStyleToWindows(&carbon);
  EXPECT_TRUE(captionBarAfterPreparing());
  ApplyStyleToWindows(nullptr);
  EXPECT_FALSE(captionBarAfterPreparing());
}

TEST(StyleCssTest, CarriesThePaletteAndMetrics) {
  const TStyleDefinition carbon = EmbeddedStyle(u"CARBON");
  const std::string css = StyleCss(carbon);
  EXPECT_EQ(css.find('{' + std::string("caption}")), std::string::npos);
  EXPECT_NE(css.find("background-color: #121212"), std::string::npos);
  EXPECT_NE(css.find("min-height: 30px"), std::string::npos);
  // GTK accepts every rule.
  GtkCssProvider* provider = gtk_css_provider_new();
  GError* error = nullptr;
  EXPECT_TRUE(gtk_css_provider_load_from_data(provider, css.c_str(), -1, &error)) << (error ? error->message : "");
  if (error) g_error_free(error);
  g_object_unref(provider);
}

}  // namespace
}  // namespace lumora
