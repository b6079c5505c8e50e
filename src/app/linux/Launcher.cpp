// The program a site is appended to on Linux: a launcher that links only
// the C library and loads the runtime proper, a shared object it carries
// as bytes (RuntimeImage.h), from memory. The system's loader refuses to
// start a program one of whose libraries is missing, with a line of its
// own and before any code of the program runs; loaded this way, the
// missing library is the launcher's to report: it names it, the package
// that holds it and how to install what the runtime needs, on standard
// error and, started from a desktop rather than a terminal, in a message
// box when GTK is there to show one. It then ends with 127, the code of
// the loader's own refusal.
//
// LUMORA_RUNTIME_LIBRARY, when set, names a runtime library file to load
// in place of the carried one: the build folder's lumora-runtime.so, whose
// debug link gdb follows, or in the tests a copy that links a library this
// machine lacks.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/linux/MissingLibrary.h"
#include "app/linux/RuntimeImage.h"

namespace {

constexpr int kLoadFailedExitCode = 127;

// The loader's message of the last failed load, kept past the next dl call.
struct TLoadError {
  char text[1024] = "";

  void Take() {
    const char* message = dlerror();
    std::snprintf(text, sizeof text, "%s", message ? message : "unknown error");
  }
  void Set(const char* what) { std::snprintf(text, sizeof text, "%s: %s", what, std::strerror(errno)); }
};

bool WriteAll(int fd, const unsigned char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Loads the carried runtime from an open, empty, unnamed file fd, which it
// closes: the loaded library keeps its own mapping.
void* LoadCarried(int fd, TLoadError& error) {
  void* library = nullptr;
  const size_t size = static_cast<size_t>(lumora_runtime_image_end - lumora_runtime_image);
  if (!WriteAll(fd, lumora_runtime_image, size)) {
    error.Set("cannot write the runtime library");
  } else {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) error.Take();
  }
  close(fd);
  return library;
}

// The carried runtime from a memory file; where the system allows none,
// or allows none to be mapped executable, from an unnamed file in a
// temporary folder.
void* LoadRuntime(TLoadError& error) {
  if (const char* path = std::getenv("LUMORA_RUNTIME_LIBRARY"); path && *path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) error.Take();
    return library;
  }
  const int memory = memfd_create("lumora-runtime", MFD_CLOEXEC);
  if (memory >= 0) {
    void* library = LoadCarried(memory, error);
    char name[8];
    // A library that is missing is missing from any copy.
    if (library || lumora::ReadLoadFailure(error.text, name, sizeof name) != lumora::lfOther) return library;
  } else {
    error.Set("cannot create a memory file");
  }
  const char* folders[] = {std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"), "/tmp"};
  for (const char* folder : folders) {
    if (!folder || !*folder) continue;
    const int file = open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0700);
    if (file < 0) continue;
    if (void* library = LoadCarried(file, error)) return library;
  }
  return nullptr;
}

// The message in GTK's message box, when GTK loads and a display opens;
// nothing otherwise. Called only when the runtime failed to load, so
// GTK is looked up by hand.
void ShowMessageBox(const char* title, const char* text) {
  void* gtk = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!gtk) return;
  using InitCheck = int (*)(int*, char***);
  using MessageDialogNew = void* (*)(void*, int, int, int, const char*, ...);
  using SetTitle = void (*)(void*, const char*);
  using DialogRun = int (*)(void*);
  using WidgetDestroy = void (*)(void*);
  const auto initCheck = reinterpret_cast<InitCheck>(dlsym(gtk, "gtk_init_check"));
  const auto messageDialogNew = reinterpret_cast<MessageDialogNew>(dlsym(gtk, "gtk_message_dialog_new"));
  const auto setTitle = reinterpret_cast<SetTitle>(dlsym(gtk, "gtk_window_set_title"));
  const auto dialogRun = reinterpret_cast<DialogRun>(dlsym(gtk, "gtk_dialog_run"));
  const auto widgetDestroy = reinterpret_cast<WidgetDestroy>(dlsym(gtk, "gtk_widget_destroy"));
  if (!initCheck || !messageDialogNew || !setTitle || !dialogRun || !widgetDestroy) return;
  if (!initCheck(nullptr, nullptr)) return;
  constexpr int kModal = 1, kErrorMessage = 3, kCloseButton = 2;
  void* dialog = messageDialogNew(nullptr, kModal, kErrorMessage, kCloseButton, "%s", text);
  setTitle(dialog, title);
  dialogRun(dialog);
  widgetDestroy(dialog);
}

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  TLoadError error;
  if (void* library = LoadRuntime(error)) {
    using RuntimeMain = int (*)();
    if (const auto runtimeMain = reinterpret_cast<RuntimeMain>(dlsym(library, "lumora_runtime_main"))) {
      return runtimeMain();
    }
    error.Take();
  }
  const char* program = argv[0] && *argv[0] ? argv[0] : "lumora";
  if (const char* slash = std::strrchr(program, '/')) program = slash + 1;
  char text[4096];
  lumora::DescribeLoadFailure(program, error.text, text, sizeof text);
  std::fputs(text, stderr);
  // Run from a terminal, the message is there already; started from a
  // desktop, standard error goes nowhere the user looks.
  if (!isatty(STDERR_FILENO) && (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"))) {
    ShowMessageBox(program, text);
  }
  return kLoadFailedExitCode;
}
