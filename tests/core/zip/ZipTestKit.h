// Opening test archives and extracting from them, with the failures the
// reader reports collected for the test to check.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "core/zip/AbZipKit.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace lumora::test {

struct TZipTestKit {
  TScratchDir Dir;
  TAbZipKit Kit;
  std::vector<std::string> Failures;

  // Writes bytes to a file and opens it under password.
  explicit TZipTestKit(const std::string& bytes, const std::string& password = "pw") {
    Kit.SetPassword(password);
    Kit.SetOnProcessItemFailure([this](TAbZipKit&, const TAbZipItem&, TAbProcessType, const std::exception& error) {
      Failures.push_back(error.what());
    });
    const String path = Dir.File(u"site.zip");
    WriteWholeFile(path, bytes);
    Kit.SetFileName(path);
  }

  // The entry's bytes as extracted into a fresh memory stream.
  std::string Extract(StringView name) {
    TMemoryStream stream;
    Kit.ExtractToStream(name, &stream);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  }
};

}  // namespace lumora::test
