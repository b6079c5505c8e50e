// Who may use the site scheme: only pages of the scheme itself. A page of
// another origin (a web site the packaged site links to or frames) gets no
// entry, no download or program run, and no close of the program.
//
// The browser tells a backend who asked through the request's headers:
// Origin names the page for every cross-origin request a script makes (it
// cannot be left out), Referer names it for the rest unless that page
// withheld it. Both backends also have the browser itself refuse other
// origins (see docs/security.md); this check is the second wall.
#pragma once

#include "core/String.h"

namespace lumora {

// The scheme the site's pages and entries are served under.
inline constexpr StringView kSiteScheme = u"lmp";

struct TRequestInitiator {
  String Origin;   // the Origin header's value; empty when there is none
  String Referer;  // the Referer header's value; empty when there is none
};

// Whether url (or an origin) starts with scheme and its colon, letter case
// ignored.
bool HasScheme(StringView url, StringView scheme);

// True when the request was made by a page whose scheme is not scheme
// (letter case ignored): its Origin names another scheme or is "null"
// (an opaque origin: a sandboxed frame, a data: page), or, without an
// Origin, its Referer names another scheme. A request that names no page
// at all (the program's own navigation) is not foreign.
bool IsForeignRequest(StringView scheme, const TRequestInitiator& initiator);

// The value of header name in a block of request headers ("Name: value"
// lines ended by CR LF, as the browser hands them to a navigation or a
// protocol handler): names ignore letter case, values lose surrounding
// blanks; the last line of that name counts, empty when there is none.
String RequestHeader(StringView headers, StringView name);

// The Origin and Referer of a block of request headers (RequestHeader).
TRequestInitiator InitiatorFromHeaders(StringView headers);

// Whether the page a view shows at the top (shownURL) belongs to another
// origin: it is neither of scheme nor about: (where a new window starts,
// its opener's), and there is one (empty: no page yet). Such a page never
// closes a window of the program, and the program never asks it whether
// it may close.
bool IsForeignPage(StringView scheme, StringView shownURL);

// Whether a navigation to url, made while the browser's top window shows
// shownURL, is to be refused: it goes into scheme and either its initiator
// is foreign or the top page is of another scheme. An empty shownURL (no
// page yet) and about: (where a new window starts, its opener's) are no
// other scheme's pages.
bool IsForeignNavigation(StringView scheme, StringView url, StringView shownURL, const TRequestInitiator& initiator);

}  // namespace lumora
