#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "texts/dialog_ids.h"
#include "ui/data_exchange.h"
#include "ui/output_pages.h"

namespace {

// The proofing language "None" as its list shows it.
constexpr char kNoLanguageShown[] = "(none)";

// A margin text of a policy as a number; 0 when it is none.
double MarginOf(const TextString& text) { return std::strtod(text.c_str(), nullptr); }

}  // namespace

// ---- RTFDocumentPage ----

std::span<const PageControl> RTFDocumentPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/rtf_document.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

RTFDocumentPage::RTFDocumentPage(UiServices& services)
    : OptionPage(kRTFDocumentPageDialogId, kTopicDocumentSettings, services) {
    SetCaption("Document details");
    AddControls(Controls());
}

void RTFDocumentPage::Store(FC& set) {
    OptionPage::Store(set);
    UpdateData(false);
}

// ---- The character encodings ----

const std::vector<TextString>& CharsetChoices() {
    static const std::vector<TextString> choices = {
        "ascii (English/Western)",
        "big5 (Chinese)",
        "euc-jp (Japanese)",
        "euc-kr (Korean)",
        "gb2312 (Chinese/Simplified)",
        "iso-2022-jp (Japanese)",
        "iso-2022-kr (Korean)",
        "iso-8859-1 (Western)",
        "iso-8859-2 (Central/European)",
        "iso-8859-3 (South/European)",
        "iso-8859-4 (Baltic)",
        "iso-8859-5 (Cyrillic)",
        "iso-8859-6 (Arabic)",
        "iso-8859-7 (Greek)",
        "iso-8859-8 (Hebrew)",
        "iso-8859-9 (Turkish)",
        "iso-8859-15 (Western/Euro)",
        "koi8-r (Russian)",
        "shift_jis (Japanese)",
        "tis-620 (Thai)",
        "utf-8 (Unicode)",
        "windows-1250 (Central/European)",
        "windows-1251 (Cyrillic)",
        "windows-1252 (Western)",
        "windows-1253 (Greek)",
        "windows-1254 (Turkish)",
        "windows-1255 (Hebrew)",
        "windows-1256 (Arabic)",
        "windows-1257 (Baltic)",
        "x-sjis (Japanese)",
    };
    return choices;
}

TextString CharsetName(const TextString& entry) {
    TextString name(entry);
    name.Trim(0, " \t");
    int blank = 0;
    if (name.FindChar(0, ' ', &blank, 1)) name.SubString(0, blank);
    return name;
}

// ---- RTFSettingsPage ----

std::span<const PageControl> RTFSettingsPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/rtf_settings.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

RTFSettingsPage::RTFSettingsPage(UiServices& services)
    : OptionPage(kRTFSettingsPageDialogId, kTopicRtfSettings, services) {
    SetCaption("RTF configuration");
    AddControls(Controls());

    for (Margin& margin : margins_)
        On(margin.controlId, NotifyEvent::kTextChanged, [this, &margin] { MarkChanged(margin.changed); });
    auto takeValues = [this] { UpdateData(true); };
    for (const Margin& margin : margins_) On(margin.controlId, NotifyEvent::kFocusLost, takeValues);
    On(kCharset, NotifyEvent::kEditChanged, takeValues);
    On(kCharset, NotifyEvent::kTextChanged, takeValues);
    On(kCharset, NotifyEvent::kFocusLost, takeValues);
    On(kCharset, NotifyEvent::kSelectionEnded, takeValues);
}

void RTFSettingsPage::LoadValues(const FC& set) {
    // Like every page, a reload (after a conversion or a policy file, with
    // the sheet open) leaves what the user changed and has not stored.
    OptionPage::LoadValues(set);
    for (Margin& margin : margins_)
        if (!margin.changed) margin.value = MarginOf(set.GetText(margin.policy));
    if (!charsetChanged_) charset_ = set.GetText(Pol::CharacterEncoding);
}

void RTFSettingsPage::Store(FC& set) {
    OptionPage::Store(set);
    for (const Margin& margin : margins_) {
        if (!margin.changed) continue;
        char text[64];
        std::snprintf(text, sizeof text, "%.3f", margin.value);
        set.SetText(margin.policy, text);
        NotifyStored(GetPolicyDefinition(margin.policy).category);
    }
    if (charsetChanged_) {
        // The name only: the description is for the reader of the list.
        set.SetText(Pol::CharacterEncoding, CharsetName(charset_).c_str());
        NotifyStored(GetPolicyDefinition(Pol::CharacterEncoding).category);
    }
}

void RTFSettingsPage::ResetChanged() {
    OptionPage::ResetChanged();
    for (Margin& margin : margins_) margin.changed = false;
    charsetChanged_ = false;
}

void RTFSettingsPage::OnInitDialog() {
    std::vector<TextString> languages = SplitChoices(GetProofingLanguageChoices());
    if (!languages.empty()) languages.front() = kNoLanguageShown;
    SetItems(kLanguage, std::move(languages));
    SetItems(kPaperSize, SplitChoices(GetPolicyDefinition(Pol::PaperSize).defaultText));
    SetItems(kCharset, CharsetChoices());
    OptionPage::OnInitDialog();
}

void RTFSettingsPage::ExchangeOwn(DataExchange& dx) {
    for (Margin& margin : margins_) dx.Real(margin.controlId, margin.value, 0.0, kLargestMargin);
    TakeText(dx, kCharset, charset_, charsetChanged_);
}
