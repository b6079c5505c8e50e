// The Linux shell operations: programs start directly with their arguments,
// everything else reaches the desktop's default handler (here a handler the
// test installs in private XDG folders), ShellExplore asks a file manager
// on the session bus, and RestartApplication starts a new copy.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <future>
#include <mutex>
#include <sstream>
#include <thread>

#include "os/SysUtils.h"
#include "support/linux/SysUtilsTestSupport.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::TScopedEnv;
using test::TScratchDir;
using test::WaitUntil;
using test::WriteWholeFile;

std::string Utf8(const String& text) { return ToUtf8(text); }

void WriteProgram(const std::string& path, const std::string& script) {
  WriteWholeFile(FromUtf8(path), "#!/bin/sh\n" + script);
  ::chmod(path.c_str(), 0755);
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A desktop of its own: one handler program, made the default for text,
// folders and the "lumora-test" URL scheme, that writes what it was given
// to a file. No session bus, so nothing outside the scratch folder is
// asked.
class TFakeDesktop {
 public:
  TFakeDesktop()
      : FRoot(FScratch.Path()),
        FData("XDG_DATA_HOME", FRoot + "/data"),
        FConfig("XDG_CONFIG_HOME", FRoot + "/config"),
        FDesktop("XDG_CURRENT_DESKTOP", std::nullopt),
        FBus("DBUS_SESSION_BUS_ADDRESS", std::nullopt),
        FRuntime("XDG_RUNTIME_DIR", std::nullopt) {
    fs::create_directories(FRoot + "/data/applications");
    fs::create_directories(FRoot + "/config");
    WriteProgram(FRoot + "/opener", "printf '%s\\n' \"$@\" >> '" + FRoot + "/opened.txt'\n");
    WriteWholeFile(FromUtf8(FRoot + "/data/applications/lumora-test-opener.desktop"),
                   "[Desktop Entry]\nType=Application\nName=Opener\nExec=" + FRoot +
                       "/opener %u\nMimeType=text/plain;inode/directory;"
                       "x-scheme-handler/lumora-test;\n");
    const std::string handler = "=lumora-test-opener.desktop\n";
    WriteWholeFile(FromUtf8(FRoot + "/config/mimeapps.list"), "[Default Applications]\ntext/plain" + handler +
                                                                  "inode/directory" + handler +
                                                                  "x-scheme-handler/lumora-test" + handler);
  }

  const std::string& Root() const { return FRoot; }
  // The handler is given a local file as a path, though it takes URIs.
  std::string Local(const std::string& name) const { return FRoot + "/" + name; }

  // Waits until the handler was started count times; what it was given.
  std::vector<std::string> Opened(size_t count) const {
    const String log = FromUtf8(FRoot + "/opened.txt");
    WaitUntil([&] { return LinesOf(ReadWholeFile(log)).size() >= count; });
    std::vector<std::string> lines = LinesOf(ReadWholeFile(log));
    std::sort(lines.begin(), lines.end());
    return lines;
  }

 private:
  test::TSharedScratch FScratch;
  std::string FRoot;
  TScopedEnv FData, FConfig, FDesktop, FBus, FRuntime;
};

TEST(SysUtilsShellLinuxTest, DocumentsFoldersAndUrlsGoToTheDefaultHandler) {
  TFakeDesktop desktop;
  WriteWholeFile(FromUtf8(desktop.Root() + "/notes.txt"), "some text\n");
  fs::create_directories(desktop.Root() + "/folder");
  const std::string notes = desktop.Root() + "/notes.txt";
  const std::string folder = desktop.Root() + "/folder";
  // Arguments mean nothing to a document: it opens as with ShellOpen.
  LUMORA_EXPECT_IN_FRESH_PROCESS(TSysUtils::ShellOpen(FromUtf8(notes)) && TSysUtils::ShellOpen(FromUtf8(folder)) &&
                                 TSysUtils::ShellOpen(u"lumora-test:hello") &&
                                 TSysUtils::ShellExec(FromUtf8(notes), u"--ignored"));
  EXPECT_EQ(desktop.Opened(4), (std::vector<std::string>{desktop.Local("folder"), desktop.Local("notes.txt"),
                                                         desktop.Local("notes.txt"), "lumora-test:hello"}));
}

TEST(SysUtilsShellLinuxTest, ExploreWithoutAFileManagerOpensTheItemsFolder) {
  TFakeDesktop desktop;
  fs::create_directories(desktop.Root() + "/dir");
  WriteWholeFile(FromUtf8(desktop.Root() + "/dir/item.txt"), "x");
  EXPECT_FALSE(TSysUtils::ShellExplore(FromUtf8(desktop.Root() + "/dir/missing.txt")));
  EXPECT_FALSE(TSysUtils::ShellExplore(u""));
  LUMORA_EXPECT_IN_FRESH_PROCESS(TSysUtils::ShellExplore(FromUtf8(desktop.Root() + "/dir/item.txt")));
  EXPECT_EQ(desktop.Opened(1), (std::vector<std::string>{desktop.Local("dir")}));
}

TEST(SysUtilsShellLinuxTest, NothingToOpenIsFalse) {
  TFakeDesktop desktop;
  // An unknown scheme has no handler; a bare name is neither here nor on
  // PATH.
  LUMORA_EXPECT_IN_FRESH_PROCESS(!TSysUtils::ShellOpen(u"lumora-unhandled:x") &&
                                 !TSysUtils::ShellOpen(u"lumora-no-such-program") && !TSysUtils::ShellOpen(u""));
}

TEST(SysUtilsShellLinuxTest, ProgramsStartDirectlyWithTheirArgumentsSplitLikeAShell) {
  TScratchDir scratch;
  const std::string root = Utf8(scratch.Path());
  const std::string program = root + "/program";
  WriteProgram(program,
               "{ echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$LUMORA_TEST_OUT.tmp\"\n"
               "mv \"$LUMORA_TEST_OUT.tmp\" \"$LUMORA_TEST_OUT\"\n");
  const auto run = [&](const std::string& out, auto start) {
    TScopedEnv env("LUMORA_TEST_OUT", root + "/" + out);
    EXPECT_TRUE(start());
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(root + "/" + out); })) << out;
    return LinesOf(ReadWholeFile(FromUtf8(root + "/" + out)));
  };

  EXPECT_EQ(
      run("quoted", [&] { return TSysUtils::ShellExec(FromUtf8(program), u"one 'two words' \"three\" four\\ five"); }),
      (std::vector<std::string>{"4", "one", "two words", "three", "four five"}));
  // Nothing in the arguments reaches a shell.
  EXPECT_EQ(run("literal", [&] { return TSysUtils::ShellExec(FromUtf8(program), u"$(touch pwned) ; x"); }),
            (std::vector<std::string>{"4", "$(touch", "pwned)", ";", "x"}));
  EXPECT_FALSE(fs::exists(root + "/pwned"));
  EXPECT_FALSE(fs::exists("pwned"));
  EXPECT_EQ(run("none", [&] { return TSysUtils::ShellOpen(FromUtf8(program)); }), (std::vector<std::string>{"0"}));
  EXPECT_EQ(run("blank", [&] { return TSysUtils::ShellExec(FromUtf8(program), u"  "); }),
            (std::vector<std::string>{"0"}));

  // A bare name is looked for along PATH.
  fs::create_directories(root + "/bin");
  fs::copy_file(program, root + "/bin/lumora-test-program");
  const char* path = std::getenv("PATH");
  TScopedEnv pathEnv("PATH", root + "/bin:" + (path ? path : ""));
  EXPECT_EQ(run("on-path", [&] { return TSysUtils::ShellExec(u"lumora-test-program", u"a"); }),
            (std::vector<std::string>{"1", "a"}));

  // Arguments that do not split (an open quote) start nothing.
  TScopedEnv env("LUMORA_TEST_OUT", root + "/unbalanced");
  EXPECT_FALSE(TSysUtils::ShellExec(FromUtf8(program), u"'open"));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(root + "/unbalanced"));
}

// --- ShellExplore through a file manager on a private session bus -------------

constexpr const char* kFileManagerInterface =
    "<node><interface name='org.freedesktop.FileManager1'>"
    "<method name='ShowItems'><arg type='as' direction='in'/><arg type='s' direction='in'/>"
    "</method></interface></node>";

// A file manager that only records what it was asked to show, served from a
// thread of its own.
class TFakeFileManager {
 public:
  explicit TFakeFileManager(const std::string& address) {
    std::promise<bool> ready;
    auto started = ready.get_future();
    FThread = std::thread([this, address, &ready] { Serve(address, ready); });
    FReady = started.get();
  }
  ~TFakeFileManager() {
    if (FLoop) g_main_loop_quit(FLoop);
    FThread.join();
  }
  bool Ready() const { return FReady; }
  std::vector<std::string> Shown() {
    const std::lock_guard<std::mutex> lock(FLock);
    return FShown;
  }

 private:
  static void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                     GDBusMethodInvocation* invocation, gpointer self) {
    auto* manager = static_cast<TFakeFileManager*>(self);
    GVariantIter* uris = nullptr;
    const gchar* startup = nullptr;
    g_variant_get(parameters, "(as&s)", &uris, &startup);
    {
      const std::lock_guard<std::mutex> lock(manager->FLock);
      const gchar* uri = nullptr;
      while (g_variant_iter_next(uris, "&s", &uri)) manager->FShown.push_back(uri);
    }
    g_variant_iter_free(uris);
    g_dbus_method_invocation_return_value(invocation, nullptr);
  }

  void Serve(const std::string& address, std::promise<bool>& ready) {
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kFileManagerInterface, nullptr);
    const GDBusInterfaceVTable table = {OnCall, nullptr, nullptr, {}};
    bool registered = bus && node &&
                      g_dbus_connection_register_object(bus, "/org/freedesktop/FileManager1", node->interfaces[0],
                                                        &table, this, nullptr, nullptr) != 0;
    if (registered) {
      GVariant* reply =
          g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                      "RequestName", g_variant_new("(su)", "org.freedesktop.FileManager1", 4u), nullptr,
                                      G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
      registered = reply != nullptr;
      if (reply) g_variant_unref(reply);
    }
    FLoop = g_main_loop_new(context, FALSE);
    ready.set_value(registered);
    if (registered) g_main_loop_run(FLoop);
    g_main_loop_unref(FLoop);
    FLoop = nullptr;
    if (node) g_dbus_node_info_unref(node);
    if (bus) g_object_unref(bus);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
  }

  std::thread FThread;
  std::mutex FLock;
  std::vector<std::string> FShown;
  GMainLoop* FLoop = nullptr;
  bool FReady = false;
};

// Starts a private session bus and returns its address; the daemon ends
// with the returned process id killed.
std::string StartSessionBus(GPid& daemon) {
  const gchar* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr};
  gint out = -1;
  if (!g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                                &daemon, nullptr, &out, nullptr, nullptr)) {
    return {};
  }
  std::string address;
  char c = 0;
  while (::read(out, &c, 1) == 1 && c != '\n') address += c;
  ::close(out);
  return address;
}

// In a process of its own: true when ShellExplore reached the file manager
// with exactly the item's URI and opened nothing else.
bool ExploreThroughFileManager(const std::string& item) {
  GPid daemon = 0;
  const std::string address = StartSessionBus(daemon);
  if (address.empty()) return false;
  ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  bool shown = false;
  {
    TFakeFileManager manager(address);
    shown = manager.Ready() && TSysUtils::ShellExplore(FromUtf8(item)) &&
            manager.Shown() == std::vector<std::string>{"file://" + item};
  }
  ::kill(daemon, SIGTERM);
  return shown;
}

TEST(SysUtilsShellLinuxTest, ExploreAsksTheFileManagerToShowTheItem) {
  TFakeDesktop desktop;
  gchar* daemon = g_find_program_in_path("dbus-daemon");
  g_free(daemon);
  if (!daemon) GTEST_SKIP() << "no dbus-daemon to run a bus";
  WriteWholeFile(FromUtf8(desktop.Root() + "/shown.txt"), "x");
  LUMORA_EXPECT_IN_FRESH_PROCESS(ExploreThroughFileManager(desktop.Root() + "/shown.txt"));
  EXPECT_FALSE(fs::exists(desktop.Root() + "/opened.txt"));
}

// --- RestartApplication --------------------------------------------------------

gboolean RestartSoon(gpointer) {
  TSysUtils::RestartApplication();
  return G_SOURCE_REMOVE;
}

void OnActivate(GApplication* application, gpointer) {
  g_application_hold(application);
  g_idle_add(RestartSoon, nullptr);
}

// Runs an application whose loop restarts it; true when the loop ended.
bool RunAndRestart(const std::string& report) {
  // The new copy is this test program: told to run no test at all and to
  // write its (empty) report, which shows that it started.
  ::setenv("GTEST_FILTER", "NoTest.None", 1);
  ::setenv("GTEST_OUTPUT", ("xml:" + report).c_str(), 1);
  GApplication* application = g_application_new("org.lumora.RestartTest", G_APPLICATION_NON_UNIQUE);
  g_signal_connect(application, "activate", G_CALLBACK(OnActivate), nullptr);
  const int status = g_application_run(application, 0, nullptr);
  g_object_unref(application);
  return status == 0;
}

TEST(SysUtilsShellLinuxTest, RestartStartsANewCopyAndEndsTheLoop) {
  test::TSharedScratch scratch;
  const std::string report = scratch.Path() + "/restarted.xml";
  LUMORA_EXPECT_IN_FRESH_PROCESS(RunAndRestart(report));
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(report); }));
}

}  // namespace
}  // namespace lumora
