#include "app/ui_services.h"

#include <cstdio>

#include "foundation/message_reporter.h"
#include "foundation/product_identity.h"
#include "texts/dialog_ids.h"
#include "texts/message_texts.h"

UiServices::~UiServices() = default;

MessageAnswer DefaultAnswer(MessageButtons buttons, int defaultButton) {
    switch (buttons) {
        case MessageButtons::kOk: return MessageAnswer::kOk;
        case MessageButtons::kYesNo:
            return defaultButton == kSecondButton ? MessageAnswer::kNo : MessageAnswer::kYes;
        case MessageButtons::kYesNoCancel:
            if (defaultButton == kSecondButton) return MessageAnswer::kNo;
            return defaultButton == kThirdButton ? MessageAnswer::kCancel : MessageAnswer::kYes;
    }
    return MessageAnswer::kOk;
}

void UiServices::ShowMessageSlots(int captionSlot, int textSlot) {
    // The caption is copied: looking up the text must not be able to move it.
    TextString caption(GetMessageText(captionSlot));
    ShowMessage(caption.buffer, GetMessageText(textSlot));
}

void UiServices::DeferFieldWork(const DialogModel* owner, std::function<void()> work) {
    RunFieldWork();
    fieldWork_ = std::move(work);
    fieldWorkOwner_ = owner;
    if (!fieldWork_) return;
    AfterFocusChange([this, alive = std::weak_ptr<const bool>(alive_)] {
        if (!alive.expired()) RunFieldWork();
    });
}

bool UiServices::RunFieldWork() {
    if (!fieldWork_) return false;
    // Taken out first: what the work does may hand work of its own.
    const std::function<void()> work = std::move(fieldWork_);
    fieldWork_ = nullptr;
    fieldWorkOwner_ = nullptr;
    work();
    return true;
}

void UiServices::DropFieldWorkOf(const DialogModel* owner) {
    if (fieldWorkOwner_ != owner) return;
    fieldWork_ = nullptr;
    fieldWorkOwner_ = nullptr;
}

TextString ConsoleUiServices::FormatMessageLine(const char* caption, const char* text) {
    TextString line;
    if (caption == nullptr || caption[0] == '\0') {
        TextString shortVersion, fullVersion;
        GetProductInfo(line, shortVersion, fullVersion);
    } else {
        line = caption;
    }
    line.Append(": ");
    // A line break and the blanks that indent the next line become one blank.
    for (const char* p = text != nullptr ? text : ""; *p != '\0'; ++p) {
        if (*p == '\n' || *p == '\r') {
            while (p[1] == '\n' || p[1] == '\r' || p[1] == ' ') ++p;
            line.AppendChar(' ');
        } else {
            line.AppendChar(*p);
        }
    }
    return line;
}

MessageAnswer ConsoleUiServices::ShowMessage(const char* caption, const char* text, MessageButtons buttons,
                                             MessageIcon, int defaultButton) {
    TextString line = FormatMessageLine(caption, text);
    ShowControlCharacters(line);
    std::fprintf(stderr, "%s\n", line.buffer);
    std::fflush(stderr);
    return DefaultAnswer(buttons, defaultButton);
}

namespace {

// What a chooser says when there is nobody to choose.
bool NothingChosen(const char* what) {
    std::fprintf(stderr, "%s: nothing chosen (no desktop)\n", what);
    std::fflush(stderr);
    return false;
}

}  // namespace

bool ConsoleUiServices::ChooseFile(bool forSaving, const char*, const char*, TextString&) {
    return NothingChosen(forSaving ? "File to save" : "File to open");
}

bool ConsoleUiServices::ChooseFolder(const char*, TextString&) { return NothingChosen("Folder"); }

bool ConsoleUiServices::ChooseFiles(const char*, const char*, std::vector<TextString>&) {
    return NothingChosen("Files to open");
}

bool ConsoleUiServices::ChooseColour(PlatformColour&) { return NothingChosen("Colour"); }

bool ConsoleUiServices::ChooseFont(FontChoice&) { return NothingChosen("Font"); }

bool ConsoleUiServices::SetClipboardText(const char*) {
    std::fprintf(stderr, "Clipboard: not available (no desktop)\n");
    std::fflush(stderr);
    return false;
}

DesktopSize ConsoleUiServices::GetDesktopSize() { return {kConsoleDesktopWidth, kConsoleDesktopHeight}; }

int ConsoleUiServices::RunModal(DialogModel&) { return kIdCancel; }
