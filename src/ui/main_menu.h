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

class Menu;
class MenuModel;

// The template's id.
inline constexpr int kMainMenuId = 212;

// Fills an empty menu model with the menu bar of the template and its
// English texts.
void BuildMainMenu(MenuModel& menu);

// The text of the item of `commandId` in `menu` (or a drop-down below it)
// becomes the menu text of `slot`; the item keeps its command and comes out
// enabled and unchecked.  Nothing happens without a menu or such an item.
void SetMenuItemTextByCommand(Menu* menu, int commandId, int slot);

// The text of the entry at `position` of `menu` becomes the menu text of
// `slot`; a drop-down title keeps its drop-down, and enabling and check mark
// stay as they were.  Nothing happens without a menu, with a negative
// position or slot, or when the menu has no entry there.
void SetMenuItemTextByPosition(Menu* menu, int position, int slot);

// Relabels the main dialog's menu in the current user-interface language:
// the seven titles of the bar, the titles of the drop-downs inside
// drop-downs and the items texts/main_menu_layout.h names.  Every drop-down
// is looked up before anything changes; a missing one is skipped with its
// entries while the others are relabelled.  Once the titles are relabelled
// the last one stands at the right edge of the bar.  Nothing happens
// without a menu.  The caller draws the bar again and sets the check marks.
void ApplyMenuTexts(MenuModel* menu);
