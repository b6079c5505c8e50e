// A URL-layer request's headers, as the bind adds them to it: the page
// behind it for the site scheme's origin check (core/protocol/SiteOrigin.h)
// and the bytes it asks for (Range).
#pragma once

#include <urlmon.h>

#include <string>

#include "base/String.h"
#include "os/win32/ComPtr.h"

namespace lumora {

struct TBindRequest {
  // Whoever negotiates the request; empty when no one offers to.
  TComPtr<IHttpNegotiate> Negotiator;
  // Its extra headers ("Name: value" lines); empty when there are none.
  String Headers;

  // Tells the negotiator the answer's status and headers (a block of
  // "Name: value" lines after the status line), as an HTTP transfer does.
  void Respond(int status, const std::wstring& headers) const;
};

// Asks whoever negotiates the request (IHttpNegotiate, offered as a
// service of the protocol sink or of the bind information, or by either
// directly) for the request's extra headers, as a browser adds its
// Referer, and a media element its Range, there.
TBindRequest BindRequestOf(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo);

}  // namespace lumora
