// Opening things as the desktop does, on Linux: a program file starts
// directly, detached from this process; anything else (a document, a
// folder, a URL) goes to the desktop's default handler through GIO, which
// opens a folder in the file manager.
#include <gio/gio.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/File.h"
#include "os/SysUtils.h"
#include "os/linux/GLibPtr.h"

namespace lumora {

namespace {

using TFilePtr = TGObjectPtr<GFile>;

bool IsProgramFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The started program gets a session of its own, so that it outlives this
// process and its terminal signals.
void StartOwnSession(gpointer) { ::setsid(); }

// Starts argv[0] with the other elements as its arguments. Without
// G_SPAWN_DO_NOT_REAP_CHILD GLib starts it through an intermediate child,
// so it is adopted by init and never left as a zombie of this process.
bool StartDetached(const std::vector<std::string>& arguments) {
  std::vector<gchar*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<gchar*>(argument.c_str()));
  argv.push_back(nullptr);
  return g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, StartOwnSession, nullptr, nullptr, nullptr) !=
         FALSE;
}

bool OpenUriWithDefaultHandler(const std::string& uri) {
  GError* error = nullptr;
  const bool started = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error) != FALSE;
  if (error) g_error_free(error);
  return started;
}

bool OpenFileWithDefaultHandler(GFile* file) {
  const TGCharPtr uri(g_file_get_uri(file));
  return OpenUriWithDefaultHandler(uri.get());
}

// What ShellExecuteW with the verb "open" does with a file and, for a
// program, its parameters: a program starts with them, a document or
// folder opens in its handler (parameters mean nothing to it there), a
// name without a folder that is not here is looked for along PATH, and a
// URL goes to the handler of its scheme. Nothing that exists: false.
bool Open(const String& target, const std::optional<String>& parameters) {
  std::string path = ToUtf8(target);
  if (path.empty()) return false;

  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (!exists && path.find('/') == std::string::npos) {
    if (TGCharPtr found{g_find_program_in_path(path.c_str())}) return Open(FromUtf8(found.get()), parameters);
  }
  if (!exists) {
    // Not a file here: a URL ("https://...", "mailto:...") when it has a
    // scheme, else there is nothing to open.
    const TGCharPtr scheme(g_uri_parse_scheme(path.c_str()));
    return scheme && OpenUriWithDefaultHandler(path);
  }

  const TFilePtr file(g_file_new_for_path(path.c_str()));
  if (!IsProgramFile(path)) return OpenFileWithDefaultHandler(file.get());

  const TGCharPtr absolute(g_file_get_path(file.get()));
  std::vector<std::string> argv{absolute.get()};
  if (parameters) {
    // The parameters are split as a shell would split them (quotes,
    // backslash escapes), but no shell ever sees them: nothing in them is
    // expanded or run. Text that does not parse (an open quote) starts
    // nothing; only blanks is no parameter at all.
    gchar** parsed = nullptr;
    GError* error = nullptr;
    if (g_shell_parse_argv(ToUtf8(*parameters).c_str(), nullptr, &parsed, &error)) {
      const TGStrvPtr owned(parsed);
      for (gchar** p = parsed; *p; ++p) argv.emplace_back(*p);
    } else {
      const bool blank = g_error_matches(error, G_SHELL_ERROR, G_SHELL_ERROR_EMPTY_STRING);
      g_error_free(error);
      if (!blank) return false;
    }
  }
  return StartDetached(argv);
}

// Asks the desktop's file manager, over the session bus, to show the item
// selected. Only a bus that is already there is used: GLib would otherwise
// try to start one.
bool ShowItemInFileManager(GFile* file) {
  const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  const bool haveBus =
      (address && address[0]) ||
      (runtime && runtime[0] && g_file_test((std::string(runtime) + "/bus").c_str(), G_FILE_TEST_EXISTS));
  if (!haveBus) return false;
  const TGObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
  if (!bus) return false;
  const TGCharPtr uri(g_file_get_uri(file));
  const char* uris[] = {uri.get(), nullptr};
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus.get(), "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
      "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
  if (error) g_error_free(error);
  if (!reply) return false;
  g_variant_unref(reply);
  return true;
}

}  // namespace

bool TSysUtils::ShellExec(const String& path, const String& arguments) { return Open(path, arguments); }

bool TSysUtils::ShellOpen(const String& path) { return Open(path, std::nullopt); }

bool TSysUtils::ShellExplore(const String& path) {
  // Windows hands this to explorer.exe /select. Here the file manager is
  // asked to select the item; one that does not offer that gets the
  // item's folder opened instead, the nearest the desktop can do.
  const std::string text = ToUtf8(path);
  if (text.empty()) return false;
  const TFilePtr file(g_file_new_for_path(text.c_str()));
  if (!g_file_query_exists(file.get(), nullptr)) return false;
  if (ShowItemInFileManager(file.get())) return true;
  const TFilePtr parent(g_file_get_parent(file.get()));
  return OpenFileWithDefaultHandler(parent ? parent.get() : file.get());
}

void TSysUtils::RestartApplication() {
  ShellOpen(ExecutablePath());
  // The message loop is GTK's: the application's own when the program
  // runs one, else gtk_main's.
  if (GApplication* application = g_application_get_default()) {
    g_application_quit(application);
  } else if (gtk_main_level() > 0) {
    gtk_main_quit();
  }
}

}  // namespace lumora
