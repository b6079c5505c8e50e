// The program's own GTK dialogs, driven from inside the modal loops they
// run: the save dialog's question before replacing a file, the password
// dialog's layout, and the box of an unknown style as TStylesUtils
// composes it.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "app/StylesUtils.h"
#include "core/AppTitle.h"
#include "platform/PasswordWindow.h"
#include "platform/SaveDialog.h"
#include "support/linux/GtkDialogScript.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::ShownMessageDialog;
using test::ShownSaveDialog;
using test::ShownWindow;
using test::TDialogScript;

using test::ReadWholeFile;
using test::TScratchDir;
using test::WriteWholeFile;

class DialogsLinuxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  }
};

// A name typed without its extension gets the link's, and the file of
// that name is asked about before it is replaced, as a name typed whole
// is: "copy" where copy.zip exists asks, and refusing goes back to the
// dialog with the whole name in it.
TEST_F(DialogsLinuxTest, SaveDialogAsksBeforeReplacingTheNameWithItsExtension) {
  TScratchDir scratch;
  const std::string folder = ToUtf8(scratch.Path());
  const String existing = scratch.File(u"copy.zip");
  for (const bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "replaced" : "kept");
    WriteWholeFile(existing, "old");
    GtkWindow* chooser = nullptr;
    std::string question;
    std::string shownAgain;
    const TDialogScript script({
        [&] {
          chooser = ShownSaveDialog();
          if (chooser) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), folder.c_str());
          return chooser != nullptr;
        },
        [&] {
          gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), "copy");
          gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
          return true;
        },
        [&] {
          GtkWindow* box = ShownMessageDialog();
          if (box == nullptr) return false;
          gchar* text = nullptr;
          g_object_get(box, "text", &text, nullptr);
          question = text ? text : "";
          g_free(text);
          gtk_dialog_response(GTK_DIALOG(box), replace ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL);
          return true;
        },
        // Refused: back in the dialog, which is then cancelled.
        [&] {
          if (ShownMessageDialog() != nullptr) return false;
          gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(chooser));
          shownAgain = name ? name : "";
          g_free(name);
          gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
          return true;
        },
    });
    String fileName = u"offered.zip";
    const bool chosen = RunSaveDialog(u"ZIP|*.zip", u"zip", fileName);
    EXPECT_EQ(script.Done(), replace ? 3u : 4u) << "steps done";
    EXPECT_EQ(question,
              "A file named \xE2\x80\x9C"
              "copy.zip\xE2\x80\x9D already exists.  Do you want to replace it?");
    EXPECT_EQ(chosen, replace);
    if (replace) {
      EXPECT_EQ(fileName, existing);
    } else {
      EXPECT_EQ(shownAgain, "copy.zip");
    }
    EXPECT_EQ(ReadWholeFile(existing), "old");  // the dialog itself writes nothing
  }
}

// The picture and the text box stand 16 pixels from the top, as the form
// lays them out (picture at 16,16 and 32 x 32; text box at 64,16, 225 wide).
TEST_F(DialogsLinuxTest, PasswordDialogLaysOutPictureAndTextBoxAtTheTop) {
  TPasswordWindow dialog;
  dialog.SetCaption(u"Layout probe");
  struct TPlace {
    int X = -1, Y = -1, Width = -1;
  };
  std::vector<TPlace> places;
  const TDialogScript script({[&] {
    GtkWindow* window =
        ShownWindow([](GtkWindow* w) { return g_strcmp0(gtk_window_get_title(w), "Layout probe") == 0; });
    if (window == nullptr) return false;
    GtkWidget* layout = gtk_bin_get_child(GTK_BIN(window));
    if (!GTK_IS_FIXED(layout)) return false;
    GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
    for (GList* item = children; item != nullptr; item = item->next) {
      TPlace place;
      gtk_container_child_get(GTK_CONTAINER(layout), GTK_WIDGET(item->data), "x", &place.X, "y", &place.Y, nullptr);
      gtk_widget_get_size_request(GTK_WIDGET(item->data), &place.Width, nullptr);
      places.push_back(place);
    }
    g_list_free(children);
    dialog.SetModalResult(mrOk);
    return true;
  }});
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  ASSERT_EQ(places.size(), 2u);
  EXPECT_EQ(places[0].X, 16);
  EXPECT_EQ(places[0].Y, 16);
  EXPECT_EQ(places[0].Width, 32);
  EXPECT_EQ(places[1].X, 64);
  EXPECT_EQ(places[1].Y, 16);
  EXPECT_EQ(places[1].Width, 225);
}

// The box of an unknown style as the program shows it: its text, the
// application title as caption, the error icon and a Close button.
TEST_F(DialogsLinuxTest, UnknownStyleBoxAsTheProgramComposesIt) {
  std::string text, title;
  GtkMessageType type = GTK_MESSAGE_OTHER;
  bool closeButton = false;
  const TDialogScript script({[&] {
    GtkWindow* box = ShownMessageDialog();
    if (box == nullptr) return false;
    gchar* shown = nullptr;
    g_object_get(box, "text", &shown, "message-type", &type, nullptr);
    text = shown ? shown : "";
    g_free(shown);
    title = gtk_window_get_title(box) ? gtk_window_get_title(box) : "";
    closeButton = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_CLOSE) != nullptr;
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_CLOSE);
    return true;
  }});
  TStylesUtils::TrySetStyle(u"Aqua Graphite '\u00C9'", true);
  EXPECT_EQ(script.Done(), 1u) << "no box";
  EXPECT_EQ(text, "Style 'Aqua Graphite '\xC3\x89'' not found");
  EXPECT_EQ(title, ToUtf8(ApplicationTitle()));
  EXPECT_EQ(type, GTK_MESSAGE_ERROR);
  EXPECT_TRUE(closeButton);
  EXPECT_EQ(TStylesUtils::GetActiveTheme(), u"Windows");
}

}  // namespace
}  // namespace lumora
