#include "ui/main_window_layout.h"

#include "texts/dialog_ids.h"
#include "ui/main_window.h"
#include "ui/window_layout.h"

namespace {

// The labels standing first in the rows take the width of the widest of
// them in the language in force: the fields beside them start on one column.
constexpr int kFieldChars = 40;
constexpr int kShortFieldChars = 4;

using Kind = ControlKind;

LayoutControl Label(int id) { return {id, Kind::kLabel}; }
LayoutControl Field(int id, Kind kind) { return {id, kind, true, 1, kFieldChars}; }

}  // namespace

const WindowDescription& MainWindowLayout() {
    using W = MainWindow;
    static const WindowDescription layout{kMainDialogId,
                                          {{kNoControl,
                                            {{{Label(W::kFileSpecLabel),
                                               Field(W::kFileSpecCombo, Kind::kComboBox),
                                               {W::kBrowseButton, Kind::kPushButton}}},
                                             {{Label(W::kInputTypeLabel),
                                               {W::kInputTypeCombo, Kind::kComboBox},
                                               {W::kDelimiterLabel, Kind::kLabel},
                                               {W::kDelimiterEdit, Kind::kEdit, false, 1, kShortFieldChars}}},
                                             {{Label(W::kOutputKindLabel),
                                               {W::kOutputKindCombo, Kind::kComboBox},
                                               {W::kHtmlExtensionButton, Kind::kRadioButton},
                                               {W::kHtmExtensionButton, Kind::kRadioButton},
                                               {W::kRtfExtensionButton, Kind::kRadioButton}}},
                                             {{Label(W::kOutputNameLabel), Field(W::kOutputNameEdit, Kind::kEdit)}},
                                             {{Label(W::kOutputDirectoryLabel),
                                               Field(W::kOutputDirectoryCombo, Kind::kComboBox),
                                               {W::kOutputDirectoryButton, Kind::kPushButton}}}}},
                                           {W::kPolicyFrame,
                                            {{{Label(W::kPolicyLabel),
                                               Field(W::kPolicyCombo, Kind::kComboBox),
                                               {W::kPolicyButton, Kind::kPushButton}}}}},
                                           {kNoControl,
                                            {{{{W::kResetButton, Kind::kPushButton},
                                               {W::kConvertButton, Kind::kPushButton},
                                               {W::kViewResultsButton, Kind::kPushButton}},
                                              true}}}}};
    return layout;
}
