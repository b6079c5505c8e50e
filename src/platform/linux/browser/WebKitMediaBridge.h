// WebKitGTK plays media through GStreamer inside its web process, and
// GStreamer has no source for a scheme the application serves: a <video> or
// <audio> whose source is an lmp: URL fails before a byte is asked for. The
// bridge is a user script for pages of the scheme that fetches such sources
// through the scheme (where fetch() works) and hands the element a blob: URL
// of the bytes instead, which plays and seeks in memory.
#pragma once

#include "base/String.h"

typedef struct _WebKitUserContentManager WebKitUserContentManager;

namespace lumora {

// Adds the bridge for scheme to manager (the web view's user content
// manager), in every frame, at document start. The script acts only in pages
// loaded from scheme and only on media sources of that scheme: media
// elements in the document (src attributes and <source> children, also when
// changed later), the src property of media and source elements, and
// new Audio(url). A source the scheme does not answer is handed back as it
// was, so that the element fails the way it would have.
void AddWebKitMediaBridge(WebKitUserContentManager* manager, const String& scheme);

}  // namespace lumora
