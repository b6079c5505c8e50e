#include "os/linux/WebKitScheme.h"

#include <webkit2/webkit2.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolAnswer.h"
#include "os/linux/RequestInitiator.h"
#include "os/linux/SchemeResponse.h"

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

// A GBytes over the bytes of answer that keeps its entry alive while WebKit
// reads: the entry's own memory when it is a memory stream (as the site's
// answers are), else a copy.
GBytes* BytesOf(const TProtocolAnswer& answer) {
  const size_t offset = static_cast<size_t>(answer.Offset);
  const size_t length = static_cast<size_t>(answer.Length);
  if (auto* memory = dynamic_cast<TMemoryStream*>(answer.Entry.get())) {
    auto holder = std::make_unique<std::shared_ptr<TStream>>(answer.Entry);
    return g_bytes_new_with_free_func(
        memory->Memory() + offset, length,
        [](gpointer p) { std::unique_ptr<std::shared_ptr<TStream>>(static_cast<std::shared_ptr<TStream>*>(p)); },
        holder.release());
  }
  std::vector<uint8_t> bytes(length);
  answer.Entry->SetPosition(static_cast<int64_t>(offset));
  answer.Entry->ReadBuffer(bytes.data(), static_cast<int64_t>(length));
  return g_bytes_new(bytes.data(), bytes.size());
}

// Finishes request with answer, translated into a WebKit scheme response.
void Respond(WebKitURISchemeRequest* request, const TProtocolAnswer& answer) {
  GBytes* bytes = BytesOf(answer);
  GInputStream* input = g_memory_input_stream_new_from_bytes(bytes);
  g_bytes_unref(bytes);
  WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(input, static_cast<gint64>(answer.Length));
  g_object_unref(input);
  if (!answer.ContentType.empty()) {
    webkit_uri_scheme_response_set_content_type(response, ToUtf8(answer.ContentType).c_str());
  }
  SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
  soup_message_headers_append(headers, "Accept-Ranges", "bytes");
  soup_message_headers_set_content_length(headers, static_cast<goffset>(answer.Length));
  if (answer.Status != 200) webkit_uri_scheme_response_set_status(response, answer.Status, nullptr);
  if (!answer.ContentRange.empty()) soup_message_headers_append(headers, "Content-Range", answer.ContentRange.c_str());
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
  const std::string uri = webkit_uri_scheme_request_get_uri(request);
  try {
    SoupMessageHeaders* requestHeaders = webkit_uri_scheme_request_get_http_headers(request);
    const char* rangeHeader = requestHeaders ? soup_message_headers_get_one(requestHeaders, "Range") : nullptr;
    const TProtocolAnswer answer =
        AnswerProtocolRequest(UrlFromWebKit(uri), rangeHeader ? rangeHeader : "", &state.Cache);
    if (!answer.Found()) {
      FinishWithError(request, "Nothing answers " + uri);
      return;
    }
    Respond(request, answer);
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
