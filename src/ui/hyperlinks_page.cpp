#include "app/base_dialog.h"
#include "texts/dialog_ids.h"
#include "ui/data_exchange.h"
#include "ui/output_pages.h"

namespace {

// The domain-name check and the weak-FTP box are shown as one and loaded
// together.
constexpr int kLoadedTogether[] = {HyperlinksPage::kCheckDomainSyntax, HyperlinksPage::kWeakFtpLinks};
constexpr int kHiddenControls[] = {HyperlinksPage::kBreakAfterUrls, 1234, 1060, HyperlinksPage::kCrossRefLevel,
                                   HyperlinksPage::kCrossRefs};
constexpr int kHierarchiesLabel = 1059;
constexpr int kCrossRefLevelLabel = 1060;
constexpr int kWindowNameLabel = 1312;
// What "Cross-refs at level" holds when cross references are off.
constexpr int kCrossRefsOff = -1;
// The highest level the field takes: the policy's own range, so that a
// level a policy file gives never locks the page, whose field is hidden.
constexpr int kHighestCrossRefLevel = 9;
// The category of the hierarchies list: an output change.
constexpr int kHierarchiesCategory = 4;

}  // namespace

HyperlinksPage::HyperlinksPage(UiServices& services)
    : OptionPage(kHyperlinksPageDialogId, kTopicHyperlinks, services) {
    SetCaption("Hyperlinks");
    AddControl(1412, ControlKind::kGroupBox, "Add hyperlinks");
    AddControl(kCreateHyperlinks, ControlKind::kCheckBox, "http://  and www references");
    AddControl(kFtpLinks, ControlKind::kCheckBox, "ftp:// references");
    AddControl(kWeakFtpLinks, ControlKind::kCheckBox, "Allow \"weak\" FTP links");
    AddControl(kCheckDomainSyntax, ControlKind::kCheckBox, "Check domain name syntax");
    AddControl(kGopherLinks, ControlKind::kCheckBox, "gopher:// references");
    AddControl(kTelnetLinks, ControlKind::kCheckBox, "telnet:// references");
    AddControl(kMailtoLinks, ControlKind::kCheckBox, "Email addresses");
    AddControl(kEmailWithNumbers, ControlKind::kCheckBox, "Allow address that start with numbers");
    AddControl(kNewsLinks, ControlKind::kCheckBox, "USENET newsgroups");
    AddControl(kKnownGroupsOnly, ControlKind::kCheckBox,
               "Only link groups in the standard hierarchies (alt., comp., rec., sci., soc. etc)");
    AddControl(kHierarchiesLabel, ControlKind::kLabel, "Additional hierarchies to recognise");
    AddControl(kHierarchies, ControlKind::kEdit);
    AddControl(kBreakAfterUrls, ControlKind::kCheckBox, "Add <BR> markup to lines with URLs");
    AddControl(1234, ControlKind::kGroupBox, "Section cross-references");
    AddControl(kCrossRefs, ControlKind::kCheckBox, "Add hyperlinks to cross-references to numbered sections");
    AddControl(kCrossRefLevelLabel, ControlKind::kLabel, "At what level of cross-section to start adding links");
    AddControl(kCrossRefLevel, ControlKind::kEdit);
    AddControl(1293, ControlKind::kGroupBox, "Browser behaviour when hyperlink clicked");
    AddControl(kNewWindow, ControlKind::kCheckBox,
               "Open a new browser window when an external hyperlink is clicked");
    AddControl(kWindowNameLabel, ControlKind::kLabel, "Name of other window");
    AddControl(kWindowName, ControlKind::kEdit);

    BindCheck(kCreateHyperlinks, Pol::CreateHyperlinks);
    BindCheck(kMailtoLinks, Pol::CreateMailtoLinks);
    BindCheck(kEmailWithNumbers, Pol::AllowEmailBeginningWithNumbers);
    BindCheck(kCheckDomainSyntax, Pol::CheckDomainNameSyntax);
    BindCheck(kFtpLinks, Pol::CreateFTPLinks);
    BindInvertedCheck(kWeakFtpLinks, Pol::OnlyAllowExplicitFTPLinks);
    BindCheck(kGopherLinks, Pol::CreateGopherLinks);
    BindCheck(kTelnetLinks, Pol::CreateTelnetLinks);
    BindCheck(kNewsLinks, Pol::CreateNEWSLinks);
    BindCheck(kKnownGroupsOnly, Pol::OnlyUseKnownGroups);
    BindCheck(kBreakAfterUrls, Pol::AddBRToLinesWithURLs);
    BindCheck(kNewWindow, Pol::OpenLinksInNewWindow);
    BindText(kWindowName, Pol::NewBrowserWindowName);

    auto takeValues = [this] { UpdateData(true); };
    On(kHierarchies, NotifyEvent::kFocusLost, takeValues);
    On(kCrossRefLevel, NotifyEvent::kFocusLost, takeValues);
    On(kCrossRefs, NotifyEvent::kClicked, [this] { SelectionMade(crossRefsChanged_); });
}

void HyperlinksPage::LoadValues(const FC& set) {
    LoadBindings(set, kLoadedTogether);
    if (!crossRefsChanged_) {
        const int level = set.GetInt(Pol::CrossRefsAtLevel);
        crossRefs_ = level > 0 ? 1 : 0;
        crossRefLevel_ = level > 0 ? level : 0;
    }
    if (!hierarchiesChanged_) set.usenetGroups.Join(&hierarchies_, " ");
}

void HyperlinksPage::Store(FC& set) {
    OptionPage::Store(set);
    if (crossRefsChanged_) {
        // Cross references switched on store their level, the first
        // included.
        set.SetInt(Pol::CrossRefsAtLevel, crossRefs_ != 0 && crossRefLevel_ >= 1 ? crossRefLevel_ : kCrossRefsOff);
        NotifyStored(GetPolicyDefinition(Pol::CrossRefsAtLevel).category);
    }
    if (hierarchiesChanged_) {
        set.usenetGroups.Clear();
        TextString word;
        for (int n = 1; hierarchies_.GetField(n, ' ', &word); ++n)
            if (!word.IsEmpty()) set.usenetGroups.Add(word.c_str());
        set.listSet.usenetGroups = 1;
        NotifyStored(kHierarchiesCategory);
    }
}

void HyperlinksPage::ResetChanged() {
    OptionPage::ResetChanged();
    hierarchiesChanged_ = false;
    crossRefsChanged_ = false;
}

void HyperlinksPage::ExchangeOwn(DataExchange& dx) {
    TakeText(dx, kHierarchies, hierarchies_, hierarchiesChanged_);
    dx.Check(kCrossRefs, crossRefs_);
    const int level = crossRefLevel_;
    dx.Number(kCrossRefLevel, crossRefLevel_, 0, kHighestCrossRefLevel);
    if (dx.Saving() && !dx.Failed() && level != crossRefLevel_) MarkChanged(crossRefsChanged_);
}

void HyperlinksPage::RefreshEnabling() {
    auto on = [this](int id) { return Bound(id)->number != 0; };
    const bool news = on(kNewsLinks);
    EnableControl(kKnownGroupsOnly, news);
    EnableControl(kHierarchiesLabel, news && !on(kKnownGroupsOnly));
    EnableControl(kHierarchies, news && !on(kKnownGroupsOnly));
    EnableControl(kCrossRefLevelLabel, crossRefs_ != 0);
    EnableControl(kCrossRefLevel, crossRefs_ != 0);
    EnableControl(kEmailWithNumbers, on(kMailtoLinks));
    EnableControl(kWeakFtpLinks, on(kFtpLinks));
    EnableControl(kBreakAfterUrls, on(kMailtoLinks) || on(kCreateHyperlinks) || on(kFtpLinks) || on(kGopherLinks) ||
                                       on(kTelnetLinks));
    EnableControl(kWindowNameLabel, on(kNewWindow));
    EnableControl(kWindowName, on(kNewWindow));
    HideAlways(kHiddenControls);
}
