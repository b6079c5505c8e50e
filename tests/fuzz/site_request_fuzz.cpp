// Arbitrary request URLs and arbitrary HTML pages against a small site
// whose templates include each other, include themselves and name missing
// or odd entries: request resolution and template expansion must end, stay
// within their bounds, and never crash.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Stream.h"
#include "core/protocol/InternetProtocol.h"
#include "core/site/SiteRequestHandler.h"
#include "core/zip/AbZipKit.h"
#include "support/ZipWriter.h"

using namespace lumora;

namespace {

TAbZipKit& Site() {
  static const std::unique_ptr<TAbZipKit> kit = [] {
    std::vector<test::TZipTestEntry> entries;
    for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
             {"site/index.html", "<p><!--template:a.html--></p>"},
             {"site/a.html", "[a <!--template:b.html--> <!--template:missing.html-->]"},
             {"site/b.html", "(b <!--template:a.html-->)"},
             // Grows by one copy a pass, up to the pass bound (a page that
             // doubles every pass is left to the unit tests: it makes every
             // run hit the size bound and slows the search to a crawl).
             {"site/self.html", "s<!--template:self.html-->"},
             {"site/empty.html", ""},
             {"site/utf8.html", "\xC3\xA9\xE2\x98\x83\xF0\x9F\x98\x80\xFF<!--TEMPLATE:A.HTML-->"},
             {"site/style.css", "body{}"},
         }) {
      entries.push_back({.Name = name, .Data = data, .Password = "pw"});
    }
    auto stream = std::make_unique<TMemoryStream>();
    const std::string bytes = test::BuildZip(entries);
    stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream->SetPosition(0);
    auto opened = std::make_unique<TAbZipKit>();
    opened->SetPassword("pw");
    opened->OpenStream(std::move(stream));
    return opened;
  }();
  return *kit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  TSiteRequestHandler handler(Site(), u"site", [](const String&) {});
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) {
    // A request as the scheme hands it over: "//site/..." and anything else.
    TInternetProtocol protocol;
    std::unique_ptr<TStream> answer;
    handler.HandleProtocolRequest(protocol, FromUtf8(rest), answer);
  } else {
    TMemoryStream page;
    page.WriteBuffer(rest.data(), static_cast<int64_t>(rest.size()));
    try {
      handler.ExpandPageTemplates(page);
    } catch (const std::exception&) {
      return 0;
    }
    if (static_cast<uint64_t>(page.Size()) > 4 * TSiteRequestHandler::kMaxPageLength) __builtin_trap();
  }
  return 0;
}
