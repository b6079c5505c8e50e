// The launcher's account of a runtime library that does not load, read
// from the loader's own messages as glibc words them.
#include <gtest/gtest.h>

#include <string>

#include "app/linux/MissingLibrary.h"

namespace lumora {
namespace {

TEST(MissingLibraryLinux, ReadsTheLibraryOutOfTheLoadersMessage) {
  struct Case {
    const char* message;
    TLoadFailure failure;
    const char* library;
  };
  const Case cases[] = {
      {"libwebkit2gtk-4.1.so.0: cannot open shared object file: No such file or directory", lfMissing,
       "libwebkit2gtk-4.1.so.0"},
      // A name with a folder, as a library that links by path gives it.
      {"/opt/gtk/libgtk-3.so.0: cannot open shared object file: Permission denied", lfMissing, "libgtk-3.so.0"},
      {"/lib/x86_64-linux-gnu/libstdc++.so.6: version `GLIBCXX_3.4.32' not found (required by "
       "/proc/self/fd/3)",
       lfTooOld, "libstdc++.so.6"},
      {"/proc/self/fd/3: undefined symbol: webkit_web_view_new_with_context", lfOther, ""},
      {"/proc/self/fd/3: failed to map segment from shared object", lfOther, ""},
      {": cannot open shared object file: No such file or directory", lfOther, ""},
      {"", lfOther, ""},
  };
  for (const Case& c : cases) {
    char library[64] = "stale";
    EXPECT_EQ(ReadLoadFailure(c.message, library, sizeof library), c.failure) << c.message;
    EXPECT_STREQ(library, c.library) << c.message;
  }
  // A name longer than the buffer is cut, and terminated.
  char shortBuffer[8];
  EXPECT_EQ(
      ReadLoadFailure("libwebkit2gtk-4.1.so.0: cannot open shared object file: x", shortBuffer, sizeof shortBuffer),
      lfMissing);
  EXPECT_STREQ(shortBuffer, "libwebk");
}

TEST(MissingLibraryLinux, NamesThePackageAndHowToInstallTheRuntimesLibraries) {
  struct Case {
    const char* message;
    const char* says;  // besides the install commands every message gives
  };
  const Case cases[] = {
      {"libwebkit2gtk-4.1.so.0: cannot open shared object file: No such file or directory",
       "notes cannot start: the library libwebkit2gtk-4.1.so.0 is not installed.\n"
       "It is part of WebKitGTK 4.1, in the package libwebkit2gtk-4.1-0 on Debian and Ubuntu.\n"},
      {"libgdk-3.so.0: cannot open shared object file: No such file or directory",
       "It is part of GTK 3, in the package libgtk-3-0 on Debian and Ubuntu.\n"},
      {"libgstreamer-1.0.so.0: cannot open shared object file: No such file or directory",
       "in the package libgstreamer1.0-0 on"},
      // Named by what comes before ".so": libgdk_pixbuf is not GDK.
      {"libgdk_pixbuf-2.0.so.0: cannot open shared object file: No such file or directory",
       "in the package libgdk-pixbuf-2.0-0 on"},
      {"/usr/lib/libsoup-3.0.so.0: version `LIBSOUP_3_4' not found (required by /proc/self/fd/3)",
       "the installed library libsoup-3.0.so.0 is too old.\nIt is part of libsoup 3"},
      {"libunknown.so.2: cannot open shared object file: No such file or directory",
       "the library libunknown.so.2 is not installed.\nnotes needs"},
      {"/proc/self/fd/3: undefined symbol: webkit_foo",
       "notes cannot start: its libraries do not load (/proc/self/fd/3: undefined symbol: webkit_foo).\n"},
  };
  for (const Case& c : cases) {
    char text[4096];
    DescribeLoadFailure("notes", c.message, text, sizeof text);
    const std::string said = text;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
    EXPECT_NE(said.find("sudo apt install libwebkit2gtk-4.1-0 libgtk-3-0 gstreamer1.0-plugins-base "
                        "gstreamer1.0-plugins-good\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("sudo dnf install webkit2gtk4.1"), std::string::npos) << said;
  }
  // A buffer too small for the message holds its start, terminated.
  char small[16];
  DescribeLoadFailure("notes", "libz.so.1: cannot open shared object file: x", small, sizeof small);
  EXPECT_STREQ(small, "notes cannot st");
}

}  // namespace
}  // namespace lumora
