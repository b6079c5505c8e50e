#include "core/protocol/ProtocolAnswer.h"

#include "core/StrUtils.h"
#include "core/protocol/ByteRange.h"
#include "core/protocol/MimeTypes.h"
#include "core/protocol/ProtocolRegistry.h"

namespace lumora {

String ContentTypeOfRequest(StringView url) {
  const size_t colon = url.find(u':');
  const String request(colon == StringView::npos ? url : url.substr(colon + 1));
  const String name = TStrUtils::RemoveQueryFromUri(TStrUtils::RemoveSideSlashes(TStrUtils::UrlDecode(request)));
  return TMimeTypes::ForName(name);
}

TProtocolAnswer AnswerProtocolRequest(StringView url, std::string_view rangeHeader, TEntryCache* cache) {
  TProtocolAnswer answer;
  const bool ranged = !rangeHeader.empty();
  const std::string cacheKey = ToUtf8(url.substr(0, url.find(u'#')));
  if (ranged && cache) answer.Entry = cache->Find(cacheKey);
  if (!answer.Entry) {
    answer.Entry = RequestProtocolStream(url);
    if (!answer.Entry) return answer;
    // Only entries held in memory: a stream that decodes as it is read has
    // one position, so it cannot serve two requests at once.
    if (ranged && cache && dynamic_cast<TMemoryStream*>(answer.Entry.get())) cache->Put(cacheKey, answer.Entry);
  }
  answer.TotalSize = static_cast<uint64_t>(answer.Entry->Size());
  answer.ContentType = ContentTypeOfRequest(url);
  const TByteRange range = ranged ? ParseRangeHeader(rangeHeader, answer.TotalSize) : TByteRange{};
  const std::string total = std::to_string(answer.TotalSize);
  switch (range.Kind) {
    case TByteRange::None:
      answer.Status = 200;
      answer.Length = answer.TotalSize;
      break;
    case TByteRange::Satisfiable:
      answer.Status = 206;
      answer.Offset = range.First;
      answer.Length = range.Last - range.First + 1;
      answer.ContentRange = "bytes " + std::to_string(range.First) + "-" + std::to_string(range.Last) + "/" + total;
      break;
    case TByteRange::Unsatisfiable:
      answer.Status = 416;
      answer.ContentRange = "bytes */" + total;
      break;
  }
  return answer;
}

}  // namespace lumora
