#include "gui/desktop_services.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/colordlg.h>
#include <wx/dataobj.h>
#include <wx/dirdlg.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/fontdlg.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/sizer.h>
#include <wx/utils.h>
#include <wx/weakref.h>
// The generic message box builds on what wx/msgdlg.h declares.
#include <wx/generic/msgdlgg.h>

#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "foundation/product_identity.h"
#include "gui/model_window.h"
#include "gui/run_repaint.h"
#include "gui/wx_text.h"
#include "texts/dialog_ids.h"
#include "ui/desktop_texts.h"
#include "ui/window_layout.h"

namespace {

// The wildcard of a chooser; every file when the filter leaves nothing.
wxString Wildcard(const char* filter, bool foldLetterCase) {
    const std::string converted = DesktopFileFilter(filter, foldLetterCase);
    return converted.empty() ? wxString(wxFileSelectorDefaultWildcardStr) : ToWx(converted);
}

wxString Caption(const char* caption) {
    if (caption != nullptr && caption[0] != '\0') return ToWx(caption);
    TextString name, shortVersion, fullVersion;
    GetProductInfo(name, shortVersion, fullVersion);
    return ToWx(name);
}

// Shows a modal dialog of the toolkit; a run in progress waits meanwhile,
// and the dialog takes input.
template <class Dialog>
int ShowPaused(Dialog& dialog) {
    const ModalPause pause;
    return dialog.ShowModal();
}

// A chooser's start: the folder of `path`, and its name when it names a file
// (a pattern such as "*.txt" is no name).
void SplitProposal(const TextString& path, wxString& folder, wxString& name) {
    const wxFileName proposed(ToWx(path));
    folder = proposed.GetPath();
    name = proposed.GetFullName();
    if (name.find_first_of("*?") != wxString::npos) name.clear();
}

// The room the desktop's frame takes in a title bar beside the title: the
// window's icon and its buttons.
constexpr int kTitleBarRoom = 120;

// A message box at least as wide as its title needs: a desktop's frame
// cuts a title wider than the box ("Reset to defaults" over "Done").
class TitledMessageBox : public wxGenericMessageDialog {
public:
    TitledMessageBox(wxWindow* parent, const wxString& text, const wxString& caption, long style)
        : wxGenericMessageDialog(parent, text, caption, style) {
        // Escape answers as the desktop's own boxes do: Cancel where there
        // is one, No to a question, else OK (never Yes).
        if ((style & wxCANCEL) != 0)
            SetEscapeId(wxID_CANCEL);
        else if ((style & wxYES_NO) != 0)
            SetEscapeId(wxID_NO);
        else
            SetEscapeId(wxID_OK);
    }

protected:
    void AddMessageDialogDetails(wxSizer* sizer) override {
        // Title bars set their text in a bold face, wider than the box's.
        const wxFont titleFont = GetFont().Bold();
        int titleWidth = 0;
        GetTextExtent(GetTitle(), &titleWidth, nullptr, nullptr, nullptr, &titleFont);
        sizer->Add(titleWidth + kTitleBarRoom, 0);
    }
};

long IconStyle(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kExclamation: return wxICON_WARNING;
        case MessageIcon::kQuestion: return wxICON_QUESTION;
        case MessageIcon::kInformation: return wxICON_INFORMATION;
        case MessageIcon::kStop: return wxICON_ERROR;
    }
    return wxICON_WARNING;
}

// How often a step waiting for the mouse button's release looks again.
constexpr std::chrono::milliseconds kSettleInterval{25};

}  // namespace

DesktopServices::DesktopServices() = default;

DesktopServices::~DesktopServices() = default;

void DesktopServices::AfterFocusChange(const std::function<void()>& step) {
    waitingStep_ = step;
    if (wxTheApp == nullptr) {
        RunStepWhenSettled();
        return;
    }
    if (!settleTimer_) {
        settleTimer_ = std::make_unique<wxTimer>();
        settleTimer_->Bind(wxEVT_TIMER, [this](wxTimerEvent&) { RunStepWhenSettled(); });
    }
    // The toolkit's turn first: the events of the change of focus, the
    // press of a button among them, are handled by then.
    settleTimer_->StartOnce(0);
}

void DesktopServices::RunStepWhenSettled() {
    if (!waitingStep_) return;
    const bool pressed = wxTheApp != nullptr && wxGetMouseState().ButtonIsDown(wxMOUSE_BTN_ANY);
    if ((pressed || RunScope::Active()) && settleTimer_) {
        settleTimer_->StartOnce(static_cast<int>(kSettleInterval.count()));
        return;
    }
    const std::function<void()> step = std::move(waitingStep_);
    waitingStep_ = nullptr;
    const RunScope run;
    step();
}

namespace {

// The windows of the open ActingWindow scopes, the innermost last; a window
// deleted meanwhile (a sheet closed by the action, deleted while a message
// box waits) is null there.
std::vector<wxWeakRef<wxWindow>>& ActingWindows() {
    static std::vector<wxWeakRef<wxWindow>> acting;
    return acting;
}

}  // namespace

ActingWindow::ActingWindow(wxWindow* window) { ActingWindows().emplace_back(window); }

ActingWindow::~ActingWindow() { ActingWindows().pop_back(); }

wxWindow* ActingWindow::Current() {
    const std::vector<wxWeakRef<wxWindow>>& acting = ActingWindows();
    for (auto it = acting.rbegin(); it != acting.rend(); ++it)
        if (it->get() != nullptr) return it->get();
    return nullptr;
}

wxWindow* DesktopServices::Parent() {
    // A window on its way out, or hidden, is no owner: a dialog goes with
    // the window it belongs to.
    const auto usable = [](wxWindow* window) {
        return window != nullptr && window->IsShown() && !window->IsBeingDeleted() &&
               !wxPendingDelete.Member(window);
    };
    wxWindow* active = wxGetActiveWindow();
    if (active != nullptr && usable(wxGetTopLevelParent(active))) return wxGetTopLevelParent(active);
    wxWindow* acting = ActingWindow::Current();
    if (usable(acting)) return acting;
    wxWindow* top = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
    return usable(top) ? top : nullptr;
}

MessageAnswer DesktopServices::ShowMessage(const char* caption, const char* text, MessageButtons buttons,
                                           MessageIcon icon, int defaultButton) {
    long style = IconStyle(icon);
    switch (buttons) {
        case MessageButtons::kOk: style |= wxOK; break;
        case MessageButtons::kYesNo:
            style |= wxYES_NO | (defaultButton == kSecondButton ? wxNO_DEFAULT : wxYES_DEFAULT);
            break;
        case MessageButtons::kYesNoCancel:
            // With a Cancel button, Escape answers Cancel.
            style |= wxYES_NO | wxCANCEL;
            style |= defaultButton == kSecondButton  ? wxNO_DEFAULT
                     : defaultButton == kThirdButton ? wxCANCEL_DEFAULT
                                                     : wxYES_DEFAULT;
            break;
    }
    TitledMessageBox box(Parent(), ToWx(DesktopMessageText(text)), Caption(caption), style);
    const int answer = ShowPaused(box);
    if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    if (answer == wxID_YES) return MessageAnswer::kYes;
    if (buttons == MessageButtons::kYesNoCancel && answer != wxID_NO) return MessageAnswer::kCancel;
    return MessageAnswer::kNo;
}

bool DesktopServices::ChooseFile(bool forSaving, const char* title, const char* filter, TextString& path) {
    return ChooseFileOnEntry(forSaving, title, filter, 0, path);
}

std::unique_ptr<wxFileDialog> DesktopServices::MakeFileChooser(wxWindow* parent, FileChooserKind kind,
                                                               const char* title, const char* filter,
                                                               const TextString& path) {
    wxString folder, name;
    SplitProposal(path, folder, name);
    // The program asks itself before a file is replaced (in its language),
    // so the chooser does not.  A save chooser keeps the patterns' letter
    // case: it takes the extension it adds to a bare name from the chosen
    // pattern.
    long style = wxFD_SAVE;
    if (kind == FileChooserKind::kOpen) style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    if (kind == FileChooserKind::kOpenSeveral) style = wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE;
    return std::make_unique<wxFileDialog>(parent, Caption(title), folder, name,
                                          Wildcard(filter, kind != FileChooserKind::kSave), style);
}

bool DesktopServices::ChooseFileOnEntry(bool forSaving, const char* title, const char* filter, int entry,
                                        TextString& path) {
    const std::unique_ptr<wxFileDialog> chooser =
        MakeFileChooser(Parent(), forSaving ? FileChooserKind::kSave : FileChooserKind::kOpen, title, filter, path);
    if (entry > 0) chooser->SetFilterIndex(entry);
    if (ShowPaused(*chooser) != wxID_OK) return false;
    path = FromWx(chooser->GetPath()).c_str();
    return true;
}

bool DesktopServices::ChooseFiles(const char* title, const char* filter, std::vector<TextString>& paths) {
    const std::unique_ptr<wxFileDialog> chooser = MakeFileChooser(
        Parent(), FileChooserKind::kOpenSeveral, title, filter, paths.empty() ? TextString() : paths.front());
    if (ShowPaused(*chooser) != wxID_OK) return false;
    wxArrayString chosen;
    chooser->GetPaths(chosen);
    if (chosen.empty()) return false;
    paths.clear();
    for (const wxString& one : chosen) paths.emplace_back(FromWx(one).c_str());
    return true;
}

bool DesktopServices::ChooseFolder(const char* title, TextString& path) {
    wxDirDialog chooser(Parent(), Caption(title), ToWx(path), wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (ShowPaused(chooser) != wxID_OK) return false;
    path = FromWx(chooser.GetPath()).c_str();
    return true;
}

bool DesktopServices::ChooseColour(PlatformColour& colour) {
    wxColourData data;
    data.SetColour(wxColour(static_cast<unsigned long>(colour)));
    wxColourDialog chooser(Parent(), &data);
    if (ShowPaused(chooser) != wxID_OK) return false;
    colour = static_cast<PlatformColour>(chooser.GetColourData().GetColour().GetRGB());
    return true;
}

bool DesktopServices::ChooseFont(FontChoice& font) {
    wxFontData data;
    wxFontInfo info(font.pointSize);
    info.FaceName(ToWx(font.face)).Italic(font.italic).Weight(font.weight);
    data.SetInitialFont(wxFont(info));
    wxFontDialog chooser(Parent(), data);
    if (ShowPaused(chooser) != wxID_OK) return false;
    const wxFont chosen = chooser.GetFontData().GetChosenFont();
    if (!chosen.IsOk()) return false;
    font.face = FromWx(chosen.GetFaceName()).c_str();
    font.weight = chosen.GetNumericWeight();
    font.italic = chosen.GetStyle() == wxFONTSTYLE_ITALIC;
    font.pointSize = chosen.GetPointSize();
    return true;
}

bool DesktopServices::SetClipboardText(const char* text) {
    wxClipboardLocker locker;
    if (!locker) return false;
    const bool set = wxTheClipboard->SetData(new wxTextDataObject(ToWx(text)));
    // The text stays on the clipboard after the program ends.
    wxTheClipboard->Flush();
    return set;
}

DesktopSize DesktopServices::GetDesktopSize() {
    const wxRect area = wxDisplay().GetClientArea();
    return {area.GetWidth(), area.GetHeight()};
}

void DesktopServices::BeginWaitCursor() { wxBeginBusyCursor(); }

void DesktopServices::EndWaitCursor() {
    if (wxIsBusy()) wxEndBusyCursor();
}

int DesktopServices::RunModal(DialogModel& dialog) {
    const WindowDescription* description = FindWindowDescription(dialog.TemplateId());
    if (description == nullptr) {
        std::fprintf(stderr, "The dialog %d has no window in this version.\n", dialog.TemplateId());
        return kIdCancel;
    }
    DialogObserver* outer = dialog.Observer();
    const bool wasModal = dialog.IsModalRun();
    dialog.SetModalRun(true);
    dialog.ResetEnding();
    int result = kIdCancel;
    {
        ModelWindow window(dialog, *description, WindowFrame::kDialog, Parent());
        dialog.CreateWindow();
        dialog.ShowWindow();
        result = window.ShowModal();
        dialog.DestroyWindow();
    }
    dialog.SetModalRun(wasModal);
    dialog.SetObserver(outer);
    return result;
}
