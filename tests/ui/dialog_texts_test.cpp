#include "ui/dialog_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/scripted_services.h"
#include "texts/dialog_ids.h"
#include "texts/dialog_texts.h"
#include "texts/ui_texts.h"
#include "ui/dialog_model.h"

namespace {

constexpr const char kPlaceholder[] = "placeholder";

// A dialog with the controls of a per-dialog table entry (or of a list of
// ids), each labelled with a placeholder, its window created.
class TemplateDialog : public DialogModel {
public:
    TemplateDialog(int templateId, UiServices& services, bool withWindow = true)
        : DialogModel(templateId, services) {
        SetCaption(kPlaceholder);
        if (const DialogTextEntry* entry = FindDialogTexts(templateId))
            for (const DialogTextItem& item : entry->items)
                AddControl(item.controlId, ControlKind::kLabel, kPlaceholder);
        if (withWindow) CreateWindow();
    }
};

class DialogTextsTest : public testing::Test {
protected:
    void SetUp() override { SetUiLanguage(kLanguageEnglish); }
    void TearDown() override { SetUiLanguage(kLanguageEnglish); }
    ScriptedUiServices services;
};

TEST_F(DialogTextsTest, ADialogIsRelabelledFromItsEntry) {
    TemplateDialog drag(kSettingsDragPageDialogId, services);
    ApplyDialogTexts(&drag, kSettingsDragPageDialogId);
    EXPECT_STREQ(drag.Caption().c_str(), "Drag'n'Drop");
    EXPECT_STREQ(drag.ControlText(1442), "Drag and drop properties");
    EXPECT_STREQ(drag.ControlText(1130), "Show the status screen during the conversion(s)");

    TemplateDialog fonts(kFontPageDialogId, services);
    ApplyDialogTexts(&fonts, kFontPageDialogId);
    for (int id = 1263; id <= 1267; ++id) EXPECT_STREQ(fonts.ControlText(id), "...") << id;
}

TEST_F(DialogTextsTest, TheMainDialogKeepsItsCaption) {
    TemplateDialog main(kMainDialogId, services);
    ApplyDialogTexts(&main, kMainDialogId);
    EXPECT_STREQ(main.Caption().c_str(), kPlaceholder);
    EXPECT_STREQ(main.ControlText(1001), "Browse...");
}

TEST_F(DialogTextsTest, WhatCannotBeLabelledIsPassedOver) {
    // An id the table does not hold.
    TemplateDialog other(kSettingsDragPageDialogId, services);
    ApplyDialogTexts(&other, 999);
    EXPECT_STREQ(other.Caption().c_str(), kPlaceholder);
    EXPECT_STREQ(other.ControlText(1442), kPlaceholder);
    // No window yet.
    TemplateDialog unopened(kSettingsDragPageDialogId, services, false);
    ApplyDialogTexts(&unopened, kSettingsDragPageDialogId);
    SetDialogItemText(&unopened, 1442, 391);
    SetDialogCaption(&unopened, 390);
    EXPECT_STREQ(unopened.Caption().c_str(), kPlaceholder);
    EXPECT_STREQ(unopened.ControlText(1442), kPlaceholder);
    // No dialog at all.
    ApplyDialogTexts(nullptr, kSettingsDragPageDialogId);
    SetSheetTexts(nullptr, 526);
    // A dialog lacking some controls still gets the others.
    DialogModel partial(kSettingsDragPageDialogId, services);
    partial.AddControl(1129, ControlKind::kCheckBox, kPlaceholder);
    partial.CreateWindow();
    ApplyDialogTexts(&partial, kSettingsDragPageDialogId);
    EXPECT_STREQ(partial.ControlText(1129), "View results in browser once conversion is complete");
    EXPECT_FALSE(partial.HasControl(1442));
}

TEST_F(DialogTextsTest, SheetButtonsAreLabelledWhereTheSheetHasThem) {
    for (bool withApply : {true, false}) {
        DialogModel sheet(0, services);
        for (int id : {kIdOk, kIdCancel, kIdHelp}) sheet.AddControl(id, ControlKind::kPushButton, kPlaceholder);
        if (withApply) sheet.AddControl(kIdApply, ControlKind::kPushButton, kPlaceholder);
        sheet.CreateWindow();
        SetSheetTexts(&sheet, 526);
        EXPECT_STREQ(sheet.Caption().c_str(), "Output Policies");
        EXPECT_STREQ(sheet.ControlText(kIdOk), "OK");
        EXPECT_STREQ(sheet.ControlText(kIdCancel), "Cancel");
        EXPECT_STREQ(sheet.ControlText(kIdHelp), "Help");
        EXPECT_EQ(sheet.HasControl(kIdApply), withApply);
        if (withApply) {
            EXPECT_STREQ(sheet.ControlText(kIdApply), "Apply");
        }
    }
}

TEST_F(DialogTextsTest, ALanguageSwitchRelabelsOnlyDialogsWithAWindow) {
    TemplateDialog open(kSettingsDragPageDialogId, services);
    TemplateDialog closed(kSettingsDragPageDialogId, services, false);
    SetUiLanguage(kLanguageGerman);
    for (DialogModel* dialog : {static_cast<DialogModel*>(&open), static_cast<DialogModel*>(&closed)})
        ApplyDialogTexts(dialog, kSettingsDragPageDialogId);
    EXPECT_STREQ(open.ControlText(1442), "Drag & Drop-Eigenschaften");
    EXPECT_STREQ(closed.ControlText(1442), kPlaceholder);
    // Back to English: the same call relabels in English again.
    SetUiLanguage(kLanguageEnglish);
    ApplyDialogTexts(&open, kSettingsDragPageDialogId);
    EXPECT_STREQ(open.ControlText(1442), "Drag and drop properties");
}

// The three controls the per-dialog table pairs with no slot get a text in
// every language beside it; the table's own pairs are left as they were.
TEST_F(DialogTextsTest, TheControlsTheTableLeavesUnpairedAreLabelledInEveryLanguage) {
    constexpr int kTableAlignmentLabel = 1273;
    constexpr int kMirrorMargins = 1562;
    constexpr int kCharsetLabel = 1601;
    const struct {
        int code;
        const char* tableAlignment;
        const char* mirrorMargins;
        const char* charset;
    } languages[] = {
        {kLanguageEnglish, "Table alignment", "Mirror Margins", "Charset"},
        {kLanguageGerman, "Ausrichtung der Tabelle", "Gespiegelte Ränder", "Zeichensatz"},
        {kLanguageSpanish, "Alineación de la tabla", "Márgenes simétricos", "Juego de caracteres"},
        {kLanguageFrench, "Alignement du tableau", "Marges en miroir", "Jeu de caractères"},
        {kLanguagePortuguese, "Alinhamento da tabela", "Margens espelhadas", "Conjunto de caracteres"},
        {kLanguageItalian, "Allineamento della tabella", "Margini speculari", "Set di caratteri"},
        {kLanguageSwedish, "Justering av tabellen", "Spegelvända marginaler", "Teckenuppsättning"},
    };
    for (const auto& language : languages) {
        SetUiLanguage(language.code);
        TemplateDialog table(kTablePageDialogId, services);
        table.AddControl(kTableAlignmentLabel, ControlKind::kLabel, kPlaceholder);
        TemplateDialog rtf(kRTFSettingsPageDialogId, services);
        rtf.AddControl(kMirrorMargins, ControlKind::kCheckBox, kPlaceholder);
        rtf.AddControl(kCharsetLabel, ControlKind::kLabel, kPlaceholder);
        // A page not made yet is sized by the same texts.
        EXPECT_EQ(DialogItemTextInForce(table, kTableAlignmentLabel).str(), language.tableAlignment);
        ApplyDialogTexts(&table, kTablePageDialogId);
        ApplyDialogTexts(&rtf, kRTFSettingsPageDialogId);
        EXPECT_STREQ(table.ControlText(kTableAlignmentLabel), language.tableAlignment) << language.code;
        EXPECT_STREQ(rtf.ControlText(kMirrorMargins), language.mirrorMargins) << language.code;
        EXPECT_STREQ(rtf.ControlText(kCharsetLabel), language.charset) << language.code;
        EXPECT_STREQ(rtf.ControlText(kCharsetLabel), GetUiText(571)) << "the slot every language has";
    }
    for (const auto& [dialogId, controlId] :
         {std::pair{kTablePageDialogId, kTableAlignmentLabel}, std::pair{kRTFSettingsPageDialogId, kMirrorMargins},
          std::pair{kRTFSettingsPageDialogId, kCharsetLabel}}) {
        for (const DialogTextItem& item : FindDialogTexts(dialogId)->items)
            EXPECT_NE(item.controlId, controlId) << "the table itself pairs " << controlId;
    }
}

}  // namespace
