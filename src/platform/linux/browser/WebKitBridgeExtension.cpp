#include "platform/linux/browser/WebKitBridgeExtension.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "core/StrUtils.h"
#include "core/bridge/ScriptBridgeWire.h"
#include "os/File.h"
#include "os/SysUtils.h"
#include "platform/linux/browser/BridgeExtensionImage.h"
#include "os/linux/PrivateFolder.h"

namespace lumora {

namespace {

constexpr char kStateKey[] = "lumora-bridge-extension";
constexpr char16_t kFileName[] = u"lumora-bridge.so";
// Ten random letters collide only when something plants names on purpose.
constexpr int kMostDraws = 100;

// The extension's folder and file for a context, there while it has
// holders.
class TExtensionFile {
 public:
  TExtensionFile() = default;
  ~TExtensionFile() { Remove(); }
  TExtensionFile(const TExtensionFile&) = delete;
  TExtensionFile& operator=(const TExtensionFile&) = delete;

  void Hold(WebKitWebContext* context) {
    if (FHolders++ > 0) return;
    try {
      Write();
      webkit_web_context_set_web_extensions_directory(context, ToUtf8(FFolder).c_str());
    } catch (const std::exception& error) {
      std::fprintf(stderr, "lumora: window.external is not available: %s\n", error.what());
    }
  }

  void Release() {
    if (FHolders > 0 && --FHolders == 0) Remove();
  }

 private:
  // A new folder with the extension in it; raises when none can be made.
  void Write() {
    const String bridge = BridgeExtensionFolder();
    if (bridge.empty()) throw Exception(u"The bridge folder cannot be used");
    int error = 0;
    for (int draw = 0; draw < kMostDraws; ++draw) {
      const String folder = bridge + TStrUtils::RandomString(10);
      if (::mkdir(ToUtf8(folder).c_str(), 0700) != 0) {
        error = errno;
        if (error == EEXIST) continue;
        break;
      }
      const String file = folder + u"/" + kFileName;
      TFileHandle handle =
          TFileHandle::Open(file, TFileAccess::ReadWrite, TFileShare::ReadWrite, TFileCreation::CreateNew);
      // Held before anything else. Another program's start may have taken
      // the new folder, or the file before its lock, for stale ones and
      // removed them first: then draw again.
      if (!handle.IsOpen()) {
        error = static_cast<int>(handle.OpenError());
        ::rmdir(ToUtf8(folder).c_str());
        if (error == ENOENT) continue;
        break;
      }
      if (!handle.LockExclusive() || !handle.IsNamedBy(file)) {
        ::rmdir(ToUtf8(folder).c_str());
        continue;
      }
      const auto size = static_cast<int64_t>(kBridgeExtensionImageSize);
      if (handle.Write(kBridgeExtensionImage, size) != size) {
        error = static_cast<int>(LastOsError());
        DeleteFilePath(file);
        ::rmdir(ToUtf8(folder).c_str());
        throw EFCreateError(
            Format(u"Cannot create file \"%s\". %s", {file, SysErrorMessage(static_cast<uint32_t>(error))}));
      }
      FFolder = folder;
      FFile = file;
      FHeld = std::move(handle);
      return;
    }
    throw EFCreateError(
        Format(u"Cannot create a folder in \"%s\". %s", {bridge, SysErrorMessage(static_cast<uint32_t>(error))}));
  }

  void Remove() {
    if (FFile.empty()) return;
    DeleteFilePath(FFile);
    FHeld = TFileHandle();
    ::rmdir(ToUtf8(FFolder).c_str());
    FFile.clear();
    FFolder.clear();
  }

  int FHolders = 0;
  String FFolder;
  String FFile;
  TFileHandle FHeld;
};

// The context's extension file, set up on first use.
TExtensionFile& ExtensionFileOf(WebKitWebContext* context, const String& scheme) {
  if (auto* state = static_cast<TExtensionFile*>(g_object_get_data(G_OBJECT(context), kStateKey))) return *state;
  RemoveStaleBridgeExtensions();
  auto* state = new TExtensionFile;
  g_object_set_data_full(G_OBJECT(context), kStateKey, state,
                         [](gpointer data) { delete static_cast<TExtensionFile*>(data); });
  const std::string script = BridgeScript(scheme);
  webkit_web_context_set_web_extensions_initialization_user_data(
      context, g_variant_new("(ss)", script.c_str(), ToUtf8(scheme).c_str()));
  return *state;
}

}  // namespace

TWebKitBridgeExtension::TWebKitBridgeExtension(WebKitWebContext* context, const String& scheme) : FContext(context) {
  ExtensionFileOf(context, scheme).Hold(context);
}

TWebKitBridgeExtension::~TWebKitBridgeExtension() {
  if (auto* state = static_cast<TExtensionFile*>(g_object_get_data(G_OBJECT(FContext), kStateKey))) state->Release();
}

String BridgeExtensionFolder() {
  try {
    String folder = TSysUtils::GetTemporalDir();
    while (!folder.empty() && folder.back() == u'/') folder.pop_back();
    folder += u"-bridge";
    MakePrivateFolder(ToUtf8(folder));
    return folder + u'/';
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lumora: %s\n", error.what());
    return {};
  }
}

int RemoveStaleBridgeExtensions() {
  const String bridge = BridgeExtensionFolder();
  if (bridge.empty()) return 0;
  std::vector<String> folders;
  {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(ToUtf8(bridge).c_str()), ::closedir);
    if (!dir) return 0;
    while (const dirent* entry = ::readdir(dir.get())) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") folders.push_back(bridge + FromUtf8(name));
    }
  }
  int removed = 0;
  for (const String& folder : folders) {
    struct stat info {};
    if (::lstat(ToUtf8(folder).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    // A file still held belongs to a running program, and its folder, not
    // empty, stays.
    DeleteFileUnlessHeld(folder + u"/" + kFileName);
    if (::rmdir(ToUtf8(folder).c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace lumora
