#include "output/markup/link_target.h"

#include "output/markup/escaping.h"
#include "policies/fc.h"

namespace {

// The window name as the TARGET attribute's value: escaped, so that a name
// holding a quote cannot end the attribute.
void WindowName(const TextString& name, TextString& target) {
    if (name.length > 0)
        target = HTML_EscapeAttribute(name);
    else
        target = "_top";
}

}  // namespace

void HTML_GetLinkTarget(FC* policies, int requireScheme, const TextString& url, TextString& target) {
    TextString address(url);  // NOLINT(performance-unnecessary-copy-initialization): `url` may be `target`
    target.MakeEmpty();
    if (!policies) return;
    if (address.At(0) == '#') return;
    if (requireScheme && !address.Find(0, "://", nullptr, 1)) return;
    if (policies->IsOn(Pol::PlaceDocumentInFrames) &&
        (policies->IsSet(Pol::OpenFrameLinksInNewWindow) || policies->IsOn(Pol::OpenFrameLinksInNewWindow))) {
        if (policies->IsOn(Pol::OpenFrameLinksInNewWindow))
            WindowName(policies->GetText(Pol::NewFrameLinkWindowName), target);
        return;
    }
    if (policies->IsOn(Pol::OpenLinksInNewWindow)) WindowName(policies->GetText(Pol::NewBrowserWindowName), target);
}
