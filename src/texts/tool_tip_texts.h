// The tool-tip texts of the dialogs' controls in the current user-interface
// language, found by control id alone: a control id used in several dialogs
// has one tip everywhere, and controls that say the same thing share one
// text.
#pragma once

#include "texts/language_texts.h"
#include "texts/tool_tip_owners.h"

class ToolTipTexts {
public:
    // The number of distinct texts: one a control that owns one
    // (texts/tool_tip_owners.h).
    static constexpr int kTextCount = static_cast<int>(kToolTipTextOwners.size());
    // The current code before any language is chosen.
    static constexpr int kNoLanguage = 0;

    ToolTipTexts();

    // Records the code and loads its language: 2..7 that language over the
    // English texts, -1 nothing (English when nothing was ever loaded), any
    // other code English, recorded as 1.  Nothing happens when the code
    // equals the current one.
    void SetLanguage(int code);

    // The tip of a control; "*** No Tool Tip text for this control ***" for
    // a control without one.  When -1 was chosen before any language, it
    // first loads English (recorded as 1); -1 after a language keeps that
    // language's tips.  Before any choice it answers an empty text.  The
    // text stays valid until the next language change.
    const char* GetText(int controlId);

    int CurrentLanguage() const { return texts_.CurrentLanguage(); }

    // The index of the text a control shows, -1 for a control without one.
    static int TextIndexOf(int controlId);

private:
    LanguageTexts texts_;
    // True once a language other than -1 was chosen.
    bool languageChosen_ = false;
};

// The program's one table.
ToolTipTexts& TheToolTipTexts();

const char* GetToolTipText(int controlId);
void SetToolTipLanguage(int code);
