#include "app/base_dialog.h"
#include "texts/dialog_ids.h"
#include "ui/data_exchange.h"
#include "ui/output_pages.h"

namespace {

// The domain-name check and the weak-FTP box are shown as one and loaded
// together.
constexpr int kLoadedTogether[] = {HyperlinksPage::kCheckDomainSyntax, HyperlinksPage::kWeakFtpLinks};
// What "Cross-refs at level" holds when cross references are off.
constexpr int kCrossRefsOff = -1;
// The highest level the field takes: the policy's own range, so that a
// level a policy file gives never locks the page, whose field is hidden.
constexpr int kHighestCrossRefLevel = 9;
// The category of the hierarchies list: an output change.
constexpr int kHierarchiesCategory = 4;

}  // namespace

std::span<const PageControl> HyperlinksPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/hyperlinks.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

HyperlinksPage::HyperlinksPage(UiServices& services)
    : OptionPage(kHyperlinksPageDialogId, kTopicHyperlinks, services) {
    SetCaption("Hyperlinks");
    AddControls(Controls());

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

bool HyperlinksPage::IsOn(int controlId) const {
    return controlId == kCrossRefs ? crossRefs_ != 0 : OptionPage::IsOn(controlId);
}
