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

#include "base/String.h"

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

// Whether a page may have a new window opened for it: only a page of
// scheme does so by script alone; a page of any other origin, and a
// blank or data: page, which another origin can make and fill, only on
// the user's action (a click, a key), as browsers require of pop-ups.
// openerURL is the URL of the page (or frame) that asks.
bool MayOpenWindow(StringView scheme, StringView openerURL, bool userAction);

// Whether a window may close on a close request that the browser raises
// without naming who asked: a page's window.close(), a frame's
// top.close(), another window's opener.close(). shownURL is the window's
// top page; otherOriginsShown tells whether a page of another origin is
// shown where it could have asked (a frame of the window, another window
// of the program). A window closes only while it shows no page of another
// origin and none is around, whatever the cost to a site page that frames
// another origin: its own close is then refused too, the user's close
// button still works. The main window closes only for a page of scheme; a
// window a page opened also for about:blank, where it starts (its
// opener's).
bool MayCloseOnRequest(StringView scheme, StringView shownURL, bool openedByPage, bool otherOriginsShown);

}  // namespace lumora
