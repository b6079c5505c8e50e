// lumora_site_probe: builds the temporary-file list and the site object
// from the archive appended to this very program, as the runtime's start-up
// does, and prints what it found: the copy's name, whether it exists, and
// every configuration key as the site reads it.
#include <cstdio>
#include <exception>

#include "core/ConfigKeys.h"
#include "base/Exception.h"
#include "core/ExeHtmlSite.h"
#include "core/TemporalFiles.h"
#include "os/File.h"

using namespace lumora;

int main() {
  TemporalFiles = std::make_unique<TTemporalFiles>();
  try {
    ExeHtmlSite = std::make_unique<TExeHtmlSite>();
  } catch (const EImmediateExit& request) {
    std::printf("immediate exit %d\n", request.ExitCode());
    return 3;
  } catch (const std::exception& error) {
    std::printf("error %s\n", error.what());
    ExeHtmlSite.reset();
    TemporalFiles.reset();
    return 4;
  }
  // A copy, not a reference: the path is still printed after the site object
  // is gone.
  const String copy = ExeHtmlSite->ArchiveCopyPath();
  std::printf("copy %s\n", ToUtf8(copy).c_str());
  std::printf("copy-exists %d\n", FileExists(copy) ? 1 : 0);
  std::printf("registered %d\n", !TemporalFiles->Files().empty() && TemporalFiles->Files().front() == copy ? 1 : 0);
  const TMemIniFile& ini = *ExeHtmlSite->FIniFile;
  const auto keys = ConfigKeys();
  for (size_t i = 0; i < keys.size(); ++i) {
    const auto id = static_cast<TConfigKeyId>(i);
    String value;
    switch (keys[i].Type) {
      case TConfigKeyType::Text:
        value = ReadConfigString(ini, id);
        break;
      case TConfigKeyType::Integer:
        value = IntToStr(ReadConfigInteger(ini, id));
        break;
      case TConfigKeyType::Boolean:
        value = ReadConfigBool(ini, id) ? u"true" : u"false";
        break;
    }
    std::printf("%s=%s\n", ToUtf8(keys[i].Name).c_str(), ToUtf8(value).c_str());
  }
  ExeHtmlSite.reset();
  TemporalFiles.reset();
  std::printf("copy-after-exit %d\n", FileExists(copy) ? 1 : 0);
  return 0;
}
