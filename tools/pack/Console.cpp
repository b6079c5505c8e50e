#include "pack/Console.h"

#include <cstdio>
#include <string>

namespace lumora {

namespace {

void Write(std::FILE* stream, StringView text, bool lineEnd) {
  std::string bytes = ToUtf8(text);
  if (lineEnd) bytes += '\n';
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

void TConsole::Out(StringView line) { Write(stdout, line, true); }

void TConsole::Error(StringView line) { Write(stderr, line, true); }

void TConsole::ErrorRaw(StringView text) { Write(stderr, text, false); }

}  // namespace lumora
