// Answers the browser's requests for the site scheme from the archive:
// the request text becomes an entry name, the entry is extracted into
// memory, and an HTML page has its template directives
// ("<!--template:name-->") replaced by the entries they name.
//
// The main window owns one handler and installs HandleProtocolRequest as
// the OnRequestStream event of its scheme component. Everything here runs
// on the user-interface thread, where the archive reader may be used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/Stream.h"
#include "base/String.h"
#include "core/protocol/InternetProtocol.h"
#include "core/zip/AbZipKit.h"

namespace lumora {

// The archive index of name when name may be included in a page: only
// entries whose extension is exactly ".htm" or ".html"; otherwise, or when
// the archive has no such entry, -1.
int32_t FindTemplateEntry(const TAbZipKit& zipFile, StringView name);

class TSiteRequestHandler {
 public:
  // Shows text to the user in a modal message box with an OK button.
  using TShowMessage = std::function<void(const String& text)>;

  // Template expansion runs at most this many passes over a page; a cycle
  // of templates ends there, with the page as the last pass left it.
  static constexpr int kMaxTemplatePasses = 16;
  // A replacement that would make the page longer than this (in UTF-16
  // code units) is not made; the pass ends there and no further pass runs.
  static constexpr size_t kMaxPageLength = 32u * 1024u * 1024u;
  // Entries up to this size (and every page that may hold templates) are
  // extracted into memory at once; larger ones are served as streams that
  // decode only what is read, wherever they are read.
  static constexpr uint64_t kMaxMemoryEntry = 4u * 1024u * 1024u;

  // zipFile must outlive the handler.
  TSiteRequestHandler(TAbZipKit& zipFile, String appRootDir, TShowMessage showMessage);

  // The archive's root folder (configuration value RootDirName), against
  // which template names are resolved.
  String FAppRootDir;

  // The OnRequestStream event. Request "//site/a.html?x#y" names the entry
  // "site/a.html": URL-decoded, leading and trailing slashes removed, then
  // everything from the first "?" or "#" cut off. Stream is left empty when
  // there is no such entry (or the request has an invalid escape); else it
  // is a new memory stream with the entry's bytes, templates expanded for
  // names ending exactly in ".htm" or ".html", or for a larger entry
  // (kMaxMemoryEntry) a stream over the archive that decodes as it is read.
  // An error while extracting or expanding is shown ("File "name" can't be
  // read. Error message: ...") and nothing is served; a streamed entry's
  // error comes from its reads.
  void HandleProtocolRequest(TInternetProtocol& Sender, const String& Request, std::unique_ptr<TStream>& Stream);

  // Replaces the content of Stream, an extracted HTML entry, with the
  // expanded page, byte for byte apart from the directives. A page without
  // the text "<!--template" stays untouched. Raises what its steps raise.
  void ExpandPageTemplates(TMemoryStream& Stream);

 private:
  // One pass; true when another pass is due.
  bool ExpandPass(TMemoryStream& Stream);
  String TemplateName(StringView directiveName) const;

  TAbZipKit& FZipFile;
  TShowMessage FShowMessage;
};

}  // namespace lumora
