#include "app/ui_services.h"

#include <cstdio>

#include "foundation/message_reporter.h"
#include "foundation/product_identity.h"
#include "texts/dialog_ids.h"
#include "texts/message_texts.h"

UiServices::~UiServices() = default;

void UiServices::ShowMessageSlots(int captionSlot, int textSlot) {
    // The caption is copied: looking up the text must not be able to move it.
    TextString caption(GetMessageText(captionSlot));
    ShowMessage(caption.buffer, GetMessageText(textSlot));
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
    if (buttons == MessageButtons::kYesNo) return defaultButton == 2 ? MessageAnswer::kNo : MessageAnswer::kYes;
    return MessageAnswer::kOk;
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
