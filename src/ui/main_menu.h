// The main dialog's menu (template 212) as a menu model.
//
// The menu bar holds seven drop-downs: File, Conversion options, Settings,
// Language, View, Help and Updates.  Conversion options holds the analysis-
// policies drop-down at 0 and the output-policies drop-down at 2, with a
// separator between; Help holds the HTML-documentation drop-down at 4 and
// the other-products drop-down at 6, with separators between.  Positions
// count separators, as in the template, because the drop-down titles are
// relabelled by position and the items by command id.
#pragma once

class MenuModel;

// The template's id.
inline constexpr int kMainMenuId = 212;

// Fills an empty menu model with the menu bar of the template and its
// English texts.
void BuildMainMenu(MenuModel& menu);
