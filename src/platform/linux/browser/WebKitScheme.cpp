#include "platform/linux/browser/WebKitScheme.h"

#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolAnswer.h"
#include "core/zip/ZipEntryStream.h"
#include "platform/linux/browser/RequestInitiator.h"
#include "platform/linux/browser/SchemeResponse.h"

namespace lumora {

namespace {

struct TSchemeState {
  TEntryCache Cache{kSiteEntryCacheBytes};
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

using TEntryHolder = std::shared_ptr<TStream>;

void FreeEntryHolder(gpointer holder) { std::unique_ptr<TEntryHolder>(static_cast<TEntryHolder*>(holder)); }

// A GInputStream over Remaining bytes of an entry from Offset, for an
// entry that is not in memory. WebKit reads the stream asynchronously, and
// GIO runs each read of a stream that has only a blocking read in a thread
// of its pool: the entry is decoded and handed on there, a block at a
// time, while the user-interface thread goes on.
struct TEntryInputStream {
  GInputStream Parent;
  TEntryHolder* Entry;
  guint64 Offset;
  guint64 Remaining;
  gboolean Positioned;
};

struct TEntryInputStreamClass {
  GInputStreamClass Parent;
};

G_DEFINE_TYPE(TEntryInputStream, entry_input_stream, G_TYPE_INPUT_STREAM)

gssize EntryInputStreamRead(GInputStream* stream, void* buffer, gsize count, GCancellable* cancellable,
                            GError** error) {
  auto* self = reinterpret_cast<TEntryInputStream*>(stream);
  if (self->Remaining == 0) return 0;
  TStream& entry = **self->Entry;
  auto* decoding = dynamic_cast<TZipEntryStream*>(&entry);
  // Getting to a range's start may decode much of the entry: a request
  // WebKit gives up (the page went away, a video seeks on) stops it.
  if (decoding) decoding->SetCancelled([cancellable] { return g_cancellable_is_cancelled(cancellable) != FALSE; });
  gssize result = -1;
  try {
    if (!self->Positioned) {
      entry.SetPosition(static_cast<int64_t>(self->Offset));
      self->Positioned = TRUE;
    }
    const int64_t n = entry.Read(buffer, static_cast<int64_t>(std::min<guint64>(count, self->Remaining)));
    if (n > 0) {
      self->Remaining -= static_cast<guint64>(n);
      result = n;
    } else {
      g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_FAILED, "The entry ends before its size");
    }
  } catch (const std::exception& failure) {
    if (!g_cancellable_is_cancelled(cancellable)) std::fprintf(stderr, "lumora: %s\n", failure.what());
    g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_FAILED, failure.what());
  }
  if (decoding) decoding->SetCancelled(nullptr);
  return result;
}

void EntryInputStreamFinalize(GObject* object) {
  FreeEntryHolder(reinterpret_cast<TEntryInputStream*>(object)->Entry);
  G_OBJECT_CLASS(entry_input_stream_parent_class)->finalize(object);
}

void entry_input_stream_class_init(TEntryInputStreamClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = EntryInputStreamFinalize;
  G_INPUT_STREAM_CLASS(klass)->read_fn = EntryInputStreamRead;
}

void entry_input_stream_init(TEntryInputStream* self) {
  self->Entry = nullptr;
  self->Offset = 0;
  self->Remaining = 0;
  self->Positioned = FALSE;
}

// The stream WebKit reads answer's bytes from. An entry in memory (small
// ones, pages) is handed over as it lies there, kept alive while WebKit
// reads; any other is read in GIO's threads.
GInputStream* InputOf(const TProtocolAnswer& answer) {
  auto holder = std::make_unique<TEntryHolder>(answer.Entry);
  if (auto* memory = dynamic_cast<TMemoryStream*>(answer.Entry.get())) {
    GBytes* bytes = g_bytes_new_with_free_func(memory->Memory() + answer.Offset, static_cast<gsize>(answer.Length),
                                               FreeEntryHolder, holder.release());
    GInputStream* input = g_memory_input_stream_new_from_bytes(bytes);
    g_bytes_unref(bytes);
    return input;
  }
  auto* input = static_cast<TEntryInputStream*>(g_object_new(entry_input_stream_get_type(), nullptr));
  input->Entry = holder.release();
  input->Offset = answer.Offset;
  input->Remaining = answer.Length;
  return G_INPUT_STREAM(input);
}

// Finishes request with answer, translated into a WebKit scheme response.
void Respond(WebKitURISchemeRequest* request, const TProtocolAnswer& answer) {
  GInputStream* input = InputOf(answer);
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
    std::fprintf(stderr, "lumora: refused %s to Origin '%s', Referer '%s'\n",
                 webkit_uri_scheme_request_get_uri(request), ToUtf8(initiator.Origin).c_str(),
                 ToUtf8(initiator.Referer).c_str());
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
  webkit_web_context_register_uri_scheme(context, name.c_str(), HandleSchemeRequest, state.release(), FreeSchemeState);
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
  auto* state = static_cast<TSchemeState*>(g_object_get_data(G_OBJECT(context), DataKey(SchemeName(scheme)).c_str()));
  if (state) state->Cache.Clear();
}

}  // namespace lumora
