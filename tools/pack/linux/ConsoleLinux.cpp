// The console and file facts of the packer on Linux.
#include <sys/stat.h>
#include <unistd.h>

#include "base/Exception.h"
#include "pack/Console.h"
#include "os/File.h"

namespace lumora {

void TConsole::Initialize() {}

bool TConsole::ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void TConsole::MakeExecutable(const String& path) {
  const std::string name = ToUtf8(path);
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) {
    throw Exception(Format(u"Cannot read \"%s\". %s", {path, SysErrorMessage(LastOsError())}));
  }
  // Execute permission wherever read permission is given.
  const mode_t readable = info.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
  const mode_t mode = (info.st_mode & 07777) | (readable >> 2);
  if (::chmod(name.c_str(), mode) != 0) {
    throw Exception(Format(u"Cannot make \"%s\" executable. %s", {path, SysErrorMessage(LastOsError())}));
  }
}

}  // namespace lumora
