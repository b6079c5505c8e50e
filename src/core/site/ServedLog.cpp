#include "core/site/ServedLog.h"

#include "os/File.h"

#include <cstdlib>
#include <exception>
#include <vector>

namespace lumora {

std::unique_ptr<TServedLog> TServedLog::FromEnvironment() {
  const char* folder = std::getenv("LUMORA_SERVED_LOG");
  if (!folder || !folder[0]) return nullptr;
  return std::make_unique<TServedLog>(FromUtf8(folder));
}

void TServedLog::Record(const String& request, TStream* stream) {
  ++FCount;
  std::vector<uint8_t> bytes;
  if (dynamic_cast<TMemoryStream*>(stream)) {
    const int64_t position = stream->Seek(0, TSeekOrigin::Current);
    bytes.resize(static_cast<size_t>(stream->Size()));
    stream->Seek(0, TSeekOrigin::Beginning);
    bytes.resize(static_cast<size_t>(stream->Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
    stream->Seek(position, TSeekOrigin::Beginning);
  }
  try {
    TFileStream file(FFolder + u"/" + FromUtf8(std::to_string(FCount)) + u".txt", TFileAccess::Write, TFileShare::None,
                     TFileCreation::CreateAlways);
    const std::string line = ToUtf8(request) + "\n";
    file.Write(line.data(), static_cast<int64_t>(line.size()));
    file.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  } catch (const std::exception&) {
  }
}

}  // namespace lumora
