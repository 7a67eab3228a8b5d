#include "ui/help_pages.h"

#include "app/base_dialog.h"
#include "app/result_viewing.h"

bool ShowWebPage(BaseDialog& owner, const TextString& address) {
    ResultViewer viewer(owner.settings, owner.services, owner.LanguageCode);
    // An empty command makes the viewer look for the desktop's browser.
    return viewer.OpenUrlInBrowser(address, owner.settings.browserCommand, false);
}

bool ShowUserGuide(BaseDialog& owner, const char* anchor) {
    ResultViewer viewer(owner.settings, owner.services, owner.LanguageCode);
    TextString path;
    if (!viewer.FindLocalDocumentation(path)) return false;
    TextString address;
    viewer.MakeFileUrl(path, address);
    // A section is named only in an address: a plain path would take the
    // "#" as part of the file's name.
    if (anchor != nullptr && anchor[0] != '\0' && address.view().starts_with("file://")) {
        address.AppendChar('#');
        address.Append(anchor);
    }
    return viewer.OpenUrlInBrowser(address, owner.settings.browserCommand, false);
}
