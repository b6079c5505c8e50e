#include "support/TestSupport.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <cstdlib>

namespace lumora::test {

namespace {
std::filesystem::path AsPath(const String& path) { return std::filesystem::path(path); }
}  // namespace

TScratchDir::TScratchDir() {
  std::random_device random;
  const auto base =
      std::filesystem::temp_directory_path() / ("lumora-test-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(base);
  FPath = base.u16string();
}

TScratchDir::~TScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(AsPath(FPath), ignored);
}

String TScratchDir::File(StringView name) const {
  return (AsPath(FPath) / std::filesystem::path(String(name))).u16string();
}

std::string ReadWholeFile(const String& path) {
  std::ifstream in(AsPath(path), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const String& path, const std::string& bytes) {
  std::ofstream out(AsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RunWithAppended(const TScratchDir& dir, const std::string& programPath, const std::string& payload,
                            const std::string& arguments, int& exitCode) {
  const std::filesystem::path source(programPath);
  const auto program = AsPath(dir.File(u"program")).replace_extension(source.extension());
  std::filesystem::copy_file(source, program, std::filesystem::copy_options::overwrite_existing);
  WriteWholeFile(program.u16string(), ReadWholeFile(program.u16string()) + payload);
  const auto output = AsPath(dir.File(u"program.out")).string();
  const std::string command = "\"" + program.string() + "\" " + arguments + " > \"" + output + "\"";
#ifdef _WIN32
  // cmd /c drops the first and the last quote of a command line that has
  // more than two; an outer pair keeps the inner ones intact.
  exitCode = std::system(("\"" + command + "\"").c_str());
#else
  const int status = std::system(command.c_str());
  exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return ReadWholeFile(std::filesystem::path(output).u16string());
}

TScopedEnv::TScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
  if (const char* old = std::getenv(name)) FOld = old;
  Apply(value);
}

TScopedEnv::~TScopedEnv() { Apply(FOld); }

void TScopedEnv::Apply(const std::optional<std::string>& value) {
#ifdef _WIN32
  // An empty value removes the variable there.
  _putenv_s(FName.c_str(), value ? value->c_str() : "");
#else
  if (value) {
    ::setenv(FName.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(FName.c_str());
  }
#endif
}

}  // namespace lumora::test
