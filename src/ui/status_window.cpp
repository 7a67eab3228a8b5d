#include "ui/status_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/base_dialog.h"
#include "context/context.h"
#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "texts/dialog_ids.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "ui/data_exchange.h"
#include "ui/dialog_texts.h"
#include "ui/window_layout.h"
#include "ui/replace_question.h"

namespace {

// The line end of the edit control's text.
constexpr char kLineEnd[] = "\n";

}  // namespace

StatusWindow::StatusWindow(UiServices& services) : DialogModel(kStatusWindowDialogId, services) {
    SetCaption("Status window");
    AddControl(kMessageEdit, ControlKind::kEdit);
    AddControl(kCloseAutomaticallyCheck, ControlKind::kCheckBox, "Close automatically on completion");
    AddControl(kSaveButton, ControlKind::kPushButton, "Save to file");
    AddControl(kClearButton, ControlKind::kPushButton, "Clear");
    AddControl(kIdOk, ControlKind::kPushButton, "Close");

    On(kClearButton, NotifyEvent::kClicked, [this] { Clear(); });
    On(kSaveButton, NotifyEvent::kClicked, [this] { SaveToFile(); });
    On(kCloseAutomaticallyCheck, NotifyEvent::kClicked, [this] { OnCloseAutomaticallyClicked(); });
}

StatusWindow::~StatusWindow() {
    if (&TheStatusWindow() == this) AttachStatusWindow(nullptr);
}

void StatusWindow::AddMessage(const char* text) {
    // The message's pieces joined by line ends, each piece also a line.
    TextString joined;
    const char* piece = text ? text : "";
    for (bool first = true;; first = false) {
        const char* end = std::strchr(piece, '\n');
        const size_t length = end ? static_cast<size_t>(end - piece) : std::strlen(piece);
        const std::string line(piece, length);
        Lines.Add(line.c_str());
        if (!first) joined.Append(kLineEnd);
        joined.AppendBytes(line.data(), static_cast<int>(line.size()));
        if (!end) break;
        piece = end + 1;
    }

    if (Text.length >= kRebuildLength) {
        // The new pieces are in Lines already, and so among the last lines.
        Text.Assign("");
        for (int i = std::max(0, Lines.count - kKeptLines); i < Lines.count; ++i) {
            Text.Append(Lines.TextAt(i));
            Text.Append(kLineEnd);
        }
    } else {
        Text.Append(joined);
        Text.Append(kLineEnd);
    }
    if (HasWindow()) {
        // The newest line in view.
        SetControlText(kMessageEdit, Text.c_str());
        SetCaret(kMessageEdit, Text.length);
    }
}

void StatusWindow::Clear() {
    Lines.Clear();
    Text.Assign("");
    if (HasWindow()) SetControlText(kMessageEdit, Text.c_str());
}

void StatusWindow::Show() {
    Place();
    if (Owner != nullptr && Owner->LanguageCode != ShownLanguage) LanguageChanged(Owner->LanguageCode);
    ShowWindow();
    RaiseWindow();
}

void StatusWindow::LanguageChanged(int code) {
    if (!HasWindow()) return;
    ShownLanguage = code;
    ApplyDialogTexts(this, kStatusWindowDialogId);
}

void StatusWindow::SetOwner(BaseDialog* owner, int closeAutomatically) {
    StatusDisplay::SetOwner(owner, closeAutomatically);
    UpdateData(false);
}

void StatusWindow::Place() {
    const WindowRect& rect = Rect();
    if (Owner != nullptr) {
        const int left = Owner->settings.windowPositions[kStatusLeft];
        const int top = Owner->settings.windowPositions[kStatusTop];
        if (left >= 0 && top >= 0) {
            PlaceOnDesktop(left, top);
            return;
        }
    }
    const DesktopSize desktop = Services().GetDesktopSize();
    PlaceOnDesktop(desktop.width - rect.width - kDesktopMargin, desktop.height - rect.height - kDesktopMargin);
}

void StatusWindow::StorePosition() {
    if (Owner == nullptr) return;
    Owner->settings.windowPositions[kStatusLeft] = Rect().left;
    Owner->settings.windowPositions[kStatusTop] = Rect().top;
}

void StatusWindow::OnInitDialog() {
    UpdateData(false);
    Place();
}

void StatusWindow::ExchangeData(DataExchange& exchange) {
    exchange.Text(kMessageEdit, Text);
    exchange.Check(kCloseAutomaticallyCheck, CloseAutomatically);
}

void StatusWindow::OnOk() {
    StorePosition();
    DialogModel::OnOk();
}

void StatusWindow::OnCloseBox() {
    StorePosition();
    DialogModel::OnCloseBox();
}

void StatusWindow::OnCloseAutomaticallyClicked() {
    UpdateData(true);
    if (Owner != nullptr) Owner->settings.autoDismissStatusDialog = CloseAutomatically != 0;
}

TextString StatusWindow::DefaultLogName() const {
    TextString name;
    if (Owner == nullptr || !Owner->context) return name;
    const TextString& input = Owner->context->documentState.inputFileName;
    if (input.IsEmpty()) return name;
    TextString directory, base, extension;
    SplitPath(input, &directory, &base, &extension);
    name = directory + base + ".log";
    return name;
}

void StatusWindow::SaveToFile() {
    UpdateData(true);
    TextString path = DefaultLogName();
    const TextString filter(GetMessageText(kMsgLogFilesFilter));
    if (!Services().ChooseFile(true, "", filter.c_str(), path) || path.IsEmpty()) return;
    // Only a name with no dot anywhere gets the extension: "notes.v2/run"
    // is taken as the user wrote it.
    if (std::strchr(path.c_str(), '.') == nullptr) path.Append(".log");
    // The chooser does not ask before a file is replaced: the program does.
    if (!MayReplaceFile(Services(), path)) return;

    // The lines go to a temporary file that replaces the target only when
    // every line was written.
    TextFile file;
    bool written = file.OpenForWrite(path.c_str(), 0, 0);
    std::string reason = file.openFailure;
    if (written) {
        for (int i = 0; i < Lines.count && written; ++i) written = file.PutLine(Lines.TextAt(i));
        file.CloseAll();
        written = written && file.writeError == 0;
        if (file.writeError != 0) reason = file.WriteFailureText();
    }
    if (!written) {
        TextString message(GetMessageText(kMsgUnableToWriteFile));
        FillMessagePlaceholders(message, {{"ffffff", path.c_str()}});
        AppendReason(message, reason);
        Services().ShowMessage("", message.c_str());
    }
}

const WindowDescription& StatusWindowLayout() {
    static const WindowDescription layout{
        kStatusWindowDialogId,
        {{kNoControl,
          {{{{StatusWindow::kMessageEdit, ControlKind::kEdit, true, 16, 60, true}}},
           {{{StatusWindow::kCloseAutomaticallyCheck, ControlKind::kCheckBox}}},
           {{{StatusWindow::kSaveButton, ControlKind::kPushButton},
             {StatusWindow::kClearButton, ControlKind::kPushButton},
             {kIdOk, ControlKind::kPushButton}},
            true}}}}};
    return layout;
}
