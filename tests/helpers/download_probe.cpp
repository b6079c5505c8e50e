// lumora_download_probe: the downloads of a packed site as its main window
// handles them, without the window. Packed with lumora-pack as the runtime,
// it builds the temporary-file list and the site object from the archive
// appended to it, and the host services with the platform's save dialog,
// as start-up and the main window do; then it hands each argument (a link
// URL) to HandleDownloableFiles and prints "URL RESULT". At the end the
// temporary copies are deleted, as at a program's exit. The first line it
// prints is "copy PATH", the archive's own temporary copy.
#include <cstdio>
#include <exception>
#include <memory>

#include "core/ConfigKeys.h"
#include "core/ExeHtmlSite.h"
#include "core/TemporalFiles.h"
#include "core/services/HostServices.h"
#include "platform/OleSession.h"
#include "platform/SaveDialog.h"
#include "platform/SystemDesktop.h"

using namespace lumora;

int main(int argc, char** argv) {
  const TOleSession ole;
  TemporalFiles = std::make_unique<TTemporalFiles>();
  int code = 0;
  try {
    ExeHtmlSite = std::make_unique<TExeHtmlSite>();
    std::printf("copy %s\n", ToUtf8(ExeHtmlSite->ArchiveCopyPath()).c_str());
    const TMemIniFile& ini = *ExeHtmlSite->FIniFile;
    THostServicesSettings settings;
    settings.AppRootDir = ReadConfigString(ini, TConfigKeyId::RootDirName);
    settings.ExtractExts = ReadConfigString(ini, TConfigKeyId::ExtractFileExts);
    settings.ExecuteExts = ReadConfigString(ini, TConfigKeyId::ExecuteFileExts);
    settings.Title = u"Downloads";
    THostServices services(
        *ExeHtmlSite->FZipFile, *TemporalFiles, settings,
        [](TSaveDialogRequest& request) {
          std::printf("dialog %s %s [%s]\n", ToUtf8(request.DefaultExt).c_str(), ToUtf8(request.Filter).c_str(),
                      ToUtf8(request.FileName).c_str());
          std::fflush(stdout);
          return RunSaveDialog(request.Filter, request.DefaultExt, request.FileName);
        },
        std::make_unique<TSystemDesktop>());
    for (int i = 1; i < argc; ++i) {
      const bool handled = services.HandleDownloableFiles(FromUtf8(argv[i]));
      std::printf("%s %d\n", argv[i], handled ? 1 : 0);
      std::fflush(stdout);
    }
  } catch (const std::exception& error) {
    std::printf("error %s\n", error.what());
    code = 4;
  }
  ExeHtmlSite.reset();
  TemporalFiles.reset();
  return code;
}
