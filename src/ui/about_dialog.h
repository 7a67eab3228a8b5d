// The About box: the program's version line and its contacts (the home
// page and the on-line documentation, shown in the browser, and the mail
// address, handed to the desktop's mail program).
#pragma once

#include "foundation/text_string.h"
#include "ui/dialog_model.h"

class BaseDialog;
struct WindowDescription;

// The controls of the About box.
enum AboutControl : int {
    kAboutVersionLine = 1197,
    kAboutDescription = 1399,
    kAboutContactsGroup = 1401,
    kAboutHomePageLabel = 1353,
    kAboutHomePage = 1085,  // a button showing the home-page address
    kAboutDocumentationLabel = 1354,
    kAboutDocumentation = 1087,  // a button showing the documentation address
    kAboutEmailLabel = 1355,
    kAboutEmail = 1281,  // a button showing the contact mail address
};

// The version line the box shows, whatever the language.
inline constexpr char kAboutVersionText[] = "Vendrel Version 4.04 - August 2002 release";

// What the web-site addresses carry to say where the visitor came from.
inline constexpr char kHomePageQuery[] = "?home";
inline constexpr char kDocumentationQuery[] = "?doco";

class AboutDialog : public DialogModel {
public:
    explicit AboutDialog(BaseDialog& owner);

    // The language the labels are in; -1 until the window is first made.
    int ShownLanguage() const { return shownLanguage_; }

    // The product's home page and documentation addresses on the maker's
    // web site.
    static TextString HomePageAddress();
    static TextString DocumentationAddress();
    // The "mailto:" address of the contact mailbox, its subject the
    // product's name and " question".
    static TextString MailAddress();

protected:
    void OnInitDialog() override;

private:
    void ShowPage(const TextString& address, const char* query);
    void WriteMail();

    BaseDialog& owner_;
    int shownLanguage_ = -1;
};

// Runs the About box modally for `owner`; returns the id that ended it.
int RunAboutDialog(BaseDialog& owner);

// How the About box's window is laid out.
const WindowDescription& AboutDialogLayout();
