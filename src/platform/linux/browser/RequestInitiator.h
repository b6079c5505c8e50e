// The page behind a WebKit request or navigation, read from its headers,
// for the site scheme's origin check (core/protocol/SiteOrigin.h).
#pragma once

#include <webkit2/webkit2.h>

#include "core/protocol/SiteOrigin.h"

namespace lumora {

inline TRequestInitiator InitiatorOf(SoupMessageHeaders* headers) {
  TRequestInitiator initiator;
  if (headers == nullptr) return initiator;
  if (const char* origin = soup_message_headers_get_one(headers, "Origin")) initiator.Origin = FromUtf8(origin);
  if (const char* referer = soup_message_headers_get_one(headers, "Referer")) initiator.Referer = FromUtf8(referer);
  return initiator;
}

}  // namespace lumora
