#include "ui/about_dialog.h"

#include "app/base_dialog.h"
#include "app/result_viewing.h"
#include "app/ui_services.h"
#include "foundation/product_identity.h"
#include "texts/dialog_ids.h"
#include "texts/message_slots.h"
#include "texts/ui_slots.h"
#include "ui/dialog_texts.h"
#include "ui/help_pages.h"
#include "ui/window_layout.h"

namespace {

// What a mail address's subject says after the product's name; its blank is
// written as an address writes one.
constexpr char kMailSubjectEnd[] = "%20question";

}  // namespace

AboutDialog::AboutDialog(BaseDialog& owner) : DialogModel(kAboutDialogId, owner.services), owner_(owner) {
    AddControl(kAboutVersionLine, ControlKind::kLabel);
    AddControl(kAboutDescription, ControlKind::kLabel);
    AddControl(kAboutContactsGroup, ControlKind::kGroupBox, "Contacts");
    AddControl(kAboutHomePageLabel, ControlKind::kLabel, "Home page :");
    AddControl(kAboutHomePage, ControlKind::kPushButton);
    AddControl(kAboutDocumentationLabel, ControlKind::kLabel, "On-line doco :");
    AddControl(kAboutDocumentation, ControlKind::kPushButton);
    AddControl(kAboutEmailLabel, ControlKind::kLabel, "E-mail :");
    AddControl(kAboutEmail, ControlKind::kPushButton);
    AddControl(kIdOk, ControlKind::kPushButton, "OK");

    On(kAboutDocumentation, NotifyEvent::kClicked,
       [this] { ShowPage(DocumentationAddress(), kDocumentationQuery); });
    On(kAboutHomePage, NotifyEvent::kClicked, [this] { ShowPage(HomePageAddress(), kHomePageQuery); });
    On(kAboutEmail, NotifyEvent::kClicked, [this] { WriteMail(); });
}

TextString AboutDialog::HomePageAddress() {
    TextString address;
    GetProductHomePage(address);
    return address;
}

TextString AboutDialog::DocumentationAddress() {
    TextString folder, page;
    GetDocumentationAddress(folder, page);
    return folder + page;
}

TextString AboutDialog::MailAddress() {
    TextString mailbox, name, shortVersion, fullVersion;
    GetContactEmailAddress(mailbox);
    GetProductInfo(name, shortVersion, fullVersion);
    TextString address("mailto:");
    address.Append(mailbox);
    address.Append("?subject=");
    address.Append(name);
    address.Append(kMailSubjectEnd);
    return address;
}

void AboutDialog::OnInitDialog() {
    if (owner_.LanguageCode != shownLanguage_) {
        shownLanguage_ = owner_.LanguageCode;
        ApplyDialogTexts(this, kAboutDialogId);
    }
    SetControlText(kAboutVersionLine, kAboutVersionText);
    SetControlText(kAboutHomePage, HomePageAddress().buffer);
    SetControlText(kAboutDocumentation, DocumentationAddress().buffer);
    SetProductCaption(this, kUiAboutCaption);
}

void AboutDialog::ShowPage(const TextString& address, const char* query) {
    TextString page(address);
    page.Append(query);
    ShowWebPage(owner_, page);
}

void AboutDialog::WriteMail() {
    ResultViewer viewer(owner_.settings, owner_.services, owner_.LanguageCode);
    TextString command;
    viewer.FindMailClient(command);
    if (command.IsEmpty()) {
        Services().ShowMessageSlots(kMsgEmailError, kMsgEmailClientNotDetected);
        return;
    }
    viewer.StartOrReport(command, MailAddress());
}

int RunAboutDialog(BaseDialog& owner) {
    AboutDialog dialog(owner);
    return owner.services.RunModal(dialog);
}

namespace {

// The three address labels take one width, so their buttons line up.
constexpr int kAboutLabelChars = 14;

}  // namespace

const WindowDescription& AboutDialogLayout() {
    using Kind = ControlKind;
    static const WindowDescription layout{
        kAboutDialogId,
        {{kNoControl, {{{{kAboutVersionLine, Kind::kLabel}}}, {{{kAboutDescription, Kind::kLabel}}}}},
         {kAboutContactsGroup,
          {{{{kAboutHomePageLabel, Kind::kLabel, false, 1, kAboutLabelChars},
             {kAboutHomePage, Kind::kPushButton, true}}},
           {{{kAboutDocumentationLabel, Kind::kLabel, false, 1, kAboutLabelChars},
             {kAboutDocumentation, Kind::kPushButton, true}}},
           {{{kAboutEmailLabel, Kind::kLabel, false, 1, kAboutLabelChars},
             {kAboutEmail, Kind::kPushButton, true}}}}},
         {kNoControl, {{{{kIdOk, Kind::kPushButton}}, true}}}}};
    return layout;
}
