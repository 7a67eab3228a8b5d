#include "ui/help_pages.h"

#include "app/base_dialog.h"
#include "app/result_viewing.h"
#include "foundation/product_identity.h"

bool ShowWebPage(BaseDialog& owner, const TextString& address) {
    ResultViewer viewer(owner.settings, owner.services, owner.LanguageCode);
    // An empty command makes the viewer look for the desktop's browser.
    return viewer.OpenUrlInBrowser(address, owner.settings.browserCommand, true);
}

bool ShowUserGuide(BaseDialog& owner, const char* anchor) {
    ResultViewer viewer(owner.settings, owner.services, owner.LanguageCode);
    TextString page = owner.settings.htmlDoco;
    if (page.IsEmpty() && !viewer.FindLocalDocumentation(page)) {
        TextString address;
        GetMakerWebPage(kWebDocumentationPath, kMenuPageQuery, address);
        return ShowWebPage(owner, address);
    }
    TextString address;
    viewer.MakeFileUrl(page, address);
    // A section is named only in an address: a plain path would take the
    // "#" as part of the file's name.
    if (anchor != nullptr && anchor[0] != '\0' && address.view().starts_with("file://")) {
        address.AppendChar('#');
        address.Append(anchor);
    }
    return ShowWebPage(owner, address);
}
