#include "support/TestSupport.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace lumora::test {

namespace {
std::filesystem::path AsPath(const String& path) { return std::filesystem::path(path); }
}  // namespace

TScratchDir::TScratchDir() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path() /
                    ("lumora-test-" + std::to_string(random()) + std::to_string(random()));
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

}  // namespace lumora::test
