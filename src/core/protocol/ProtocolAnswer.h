// The one answer to a request for a registered scheme, made here for every
// URL-layer backend: the status, the content type, and which bytes of the
// entry to send. The backends only translate it (WebKitGTK: a scheme
// response with its headers; Windows: the protocol handler's reports to the
// URL layer, the content type before the data).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/Stream.h"
#include "base/String.h"
#include "core/protocol/EntryCache.h"

namespace lumora {

struct TProtocolAnswer {
  // 200 (the whole entry), 206 (a range of it) or 416 (a range beyond its
  // end, no bytes); 404 when nothing answers, with no entry.
  int Status = 404;
  // By the entry name's extension; empty when unknown, so that the browser
  // sniffs the content.
  String ContentType;
  // The whole entry, rewound: in memory, or for a large entry a stream that
  // decodes only what is read (read it off the user-interface thread).
  // Shared with the cache when it is kept there (memory only).
  std::shared_ptr<TStream> Entry;
  // The bytes to send: Length bytes from Offset; TotalSize is the entry's.
  uint64_t Offset = 0;
  uint64_t Length = 0;
  uint64_t TotalSize = 0;
  // The Content-Range value for 206 ("bytes 0-9/100") and 416 ("bytes
  // */100"), else empty.
  std::string ContentRange;

  bool Found() const { return Entry != nullptr; }
};

// The content type of the entry that url (scheme included, or only the part
// after the colon) names, resolved as the site's request handler resolves
// the name: URL-decoded, side slashes, query and fragment removed.
String ContentTypeOfRequest(StringView url);

// Answers url through the protocol registry (RequestProtocolStream).
// rangeHeader is the request's Range header, empty when it has none. A
// request with a range looks in cache first and keeps the entry there
// (media ask for ranges again and again) when it is in memory; cache may be
// nullptr. An error
// the request handler raises is raised here. Callable from any thread that
// owns cache.
TProtocolAnswer AnswerProtocolRequest(StringView url, std::string_view rangeHeader = {}, TEntryCache* cache = nullptr);

}  // namespace lumora
