// The TARGET window of a generated hyperlink.
#pragma once

#include "foundation/text_string.h"

class FC;

// Sets `target` to the window or frame name that a link to `url` opens in, or
// empties it for a link that opens in place.  A link within the document
// ("#...") never gets a target, nor does an address without "://" when
// `requireScheme` is set.  In frames mode "Open frame links in new window"
// decides (once the user has set it, also when off); otherwise "Open links in
// new browser window".  An empty window name gives "_top".  A non-empty
// result gives the link a TARGET attribute: it is escaped as an attribute
// value.
void HTML_GetLinkTarget(FC* policies, int requireScheme, const TextString& url, TextString& target);
