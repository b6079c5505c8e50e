#include "platform/linux/WebKitScheme.h"

#include <webkit2/webkit2.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/StrUtils.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/MimeTypes.h"
#include "core/protocol/ProtocolRegistry.h"
#include "platform/linux/RequestInitiator.h"
#include "platform/linux/SchemeResponse.h"
#include "platform/linux/WebKitScriptBridge.h"

namespace lumora {

namespace {

struct TSchemeState {
  TEntryCache Cache{kWebKitEntryCacheBytes};
};

std::string DataKey(const std::string& scheme) { return "lumora-scheme:" + scheme; }

// WebKit compares schemes in lower case.
std::string SchemeName(const String& scheme) {
  std::string name = ToUtf8(scheme);
  for (char& c : name) c = g_ascii_tolower(c);
  return name;
}

void FreeSchemeState(gpointer data) { std::unique_ptr<TSchemeState>(static_cast<TSchemeState*>(data)); }

void FinishWithError(WebKitURISchemeRequest* request, const std::string& message) {
  GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, message.c_str());
  webkit_uri_scheme_request_finish_error(request, error);
  g_error_free(error);
}

// The stream's bytes, taken over without a copy from a memory stream.
TEntryCache::TBytes TakeBytes(TStream& stream) {
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    return std::make_shared<const std::vector<uint8_t>>(std::move(memory->Bytes()));
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
}

// A GBytes over part of bytes that keeps them alive while WebKit reads.
GBytes* SliceOf(const TEntryCache::TBytes& bytes, size_t offset, size_t length) {
  auto holder = std::make_unique<TEntryCache::TBytes>(bytes);
  const uint8_t* data = bytes->data() + offset;
  return g_bytes_new_with_free_func(
      data, length, [](gpointer p) { std::unique_ptr<TEntryCache::TBytes>(static_cast<TEntryCache::TBytes*>(p)); },
      holder.release());
}

// The content type of the entry a URL names, resolved as the request
// handler resolves it.
std::string ContentTypeOf(const String& url) {
  const size_t colon = url.find(u':');
  const String request = colon == String::npos ? url : url.substr(colon + 1);
  const String name = TStrUtils::RemoveQueryFromUri(TStrUtils::RemoveSideSlashes(TStrUtils::UrlDecode(request)));
  return ToUtf8(TMimeTypes::ForName(name));
}

void Respond(WebKitURISchemeRequest* request, const TEntryCache::TBytes& bytes, const TByteRange& range,
             const std::string& contentType) {
  const uint64_t total = bytes->size();
  uint64_t offset = 0;
  uint64_t length = total;
  if (range.Kind == TByteRange::Satisfiable) {
    offset = range.First;
    length = range.Last - range.First + 1;
  } else if (range.Kind == TByteRange::Unsatisfiable) {
    length = 0;
  }
  GBytes* slice = SliceOf(bytes, offset, length);
  GInputStream* input = g_memory_input_stream_new_from_bytes(slice);
  g_bytes_unref(slice);
  WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(input, static_cast<gint64>(length));
  g_object_unref(input);
  if (!contentType.empty()) webkit_uri_scheme_response_set_content_type(response, contentType.c_str());
  SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
  soup_message_headers_append(headers, "Accept-Ranges", "bytes");
  soup_message_headers_set_content_length(headers, static_cast<goffset>(length));
  if (range.Kind == TByteRange::Satisfiable) {
    webkit_uri_scheme_response_set_status(response, 206, nullptr);
    const std::string value = "bytes " + std::to_string(range.First) + "-" + std::to_string(range.Last) + "/" +
                              std::to_string(total);
    soup_message_headers_append(headers, "Content-Range", value.c_str());
  } else if (range.Kind == TByteRange::Unsatisfiable) {
    webkit_uri_scheme_response_set_status(response, 416, nullptr);
    soup_message_headers_append(headers, "Content-Range", ("bytes */" + std::to_string(total)).c_str());
  }
  webkit_uri_scheme_response_set_http_headers(response, headers);
  webkit_uri_scheme_request_finish_with_response(request, response);
  g_object_unref(response);
}

void HandleSchemeRequest(WebKitURISchemeRequest* request, gpointer data) {
  auto& state = *static_cast<TSchemeState*>(data);
  // Only the site's own pages are answered, whatever the method or mode.
  const String scheme = FromUtf8(webkit_uri_scheme_request_get_scheme(request));
  const TRequestInitiator initiator = InitiatorOf(webkit_uri_scheme_request_get_http_headers(request));
  if (IsForeignRequest(scheme, initiator)) {
    std::fprintf(stderr, "lumora: refused %s to Origin '%s', Referer '%s'\n", webkit_uri_scheme_request_get_uri(request),
                 ToUtf8(initiator.Origin).c_str(), ToUtf8(initiator.Referer).c_str());
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, "Refused to another origin");
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
    return;
  }
  if (HandleWebKitScriptCall(request)) return;
  const std::string uri = webkit_uri_scheme_request_get_uri(request);
  try {
    const String url = UrlFromWebKit(uri);
    SoupMessageHeaders* requestHeaders = webkit_uri_scheme_request_get_http_headers(request);
    const char* rangeHeader = requestHeaders ? soup_message_headers_get_one(requestHeaders, "Range") : nullptr;
    const std::string cacheKey = uri.substr(0, uri.find('#'));
    TEntryCache::TBytes bytes;
    if (rangeHeader) bytes = state.Cache.Find(cacheKey);
    if (!bytes) {
      const std::unique_ptr<TStream> stream = RequestProtocolStream(url);
      if (!stream) {
        FinishWithError(request, "Nothing answers " + uri);
        return;
      }
      bytes = TakeBytes(*stream);
      // Only media ask for ranges, and they ask again and again.
      if (rangeHeader) state.Cache.Put(cacheKey, bytes);
    }
    const TByteRange range = rangeHeader ? ParseRangeHeader(rangeHeader, bytes->size()) : TByteRange{};
    Respond(request, bytes, range, ContentTypeOf(url));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lumora: %s: %s\n", uri.c_str(), error.what());
    FinishWithError(request, error.what());
  }
}

}  // namespace

void RegisterWebKitScheme(WebKitWebContext* context, const String& scheme) {
  for (char16_t c : scheme) {
    if (c > 0x7F) throw EInternetException(u"The Internet Protocol selected cannot be served by the browser");
  }
  const std::string name = SchemeName(scheme);
  const std::string key = DataKey(name);
  if (g_object_get_data(G_OBJECT(context), key.c_str())) return;
  auto state = std::make_unique<TSchemeState>();
  // Only a marker for lookups: the registration owns the state and frees it
  // with the context.
  g_object_set_data(G_OBJECT(context), key.c_str(), state.get());
  webkit_web_context_register_uri_scheme(context, name.c_str(), HandleSchemeRequest, state.release(),
                                         FreeSchemeState);
  WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
  webkit_security_manager_register_uri_scheme_as_secure(security, name.c_str());
  // Display-isolated: only pages of the scheme itself may load, frame or
  // navigate to its URLs; WebKit refuses every other origin. (A local
  // scheme would do the same, but it makes the site's own module scripts
  // and CORS requests fail.)
  webkit_security_manager_register_uri_scheme_as_display_isolated(security, name.c_str());
  webkit_security_manager_register_uri_scheme_as_cors_enabled(security, name.c_str());
}

void ForgetWebKitSchemeEntries(WebKitWebContext* context, const String& scheme) {
  auto* state =
      static_cast<TSchemeState*>(g_object_get_data(G_OBJECT(context), DataKey(SchemeName(scheme)).c_str()));
  if (state) state->Cache.Clear();
}

}  // namespace lumora
