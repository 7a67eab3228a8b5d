// The menu model: a dialog's menu bar as data, apart from any window system.
//
// The bar holds its titles by position; each title opens a drop-down menu,
// which holds its entries by position: command items, separators and further
// drop-downs.  Separators count as positions, so a position names the same
// entry as in the menu's template.  Items are also found by command id,
// anywhere below the bar (the first one in the order of the menus).
//
// Every change is told to the observer (the front end mirrors the menu from
// it); `DrawMenuBar` tells it that the bar's titles should be drawn again,
// which dialogs do after relabelling them.  An id or position the menu does
// not have is skipped silently, as with a dialog's controls: menus are
// relabelled and checked from tables.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "foundation/text_string.h"

class Menu;
class MenuModel;

enum class MenuEntryKind { kItem, kSeparator, kDropDown };

struct MenuEntry {
    MenuEntryKind kind = MenuEntryKind::kItem;
    int commandId = 0;  // items only
    TextString text;  // with "&" before the access key
    bool checked = false;
    bool enabled = true;
    bool rightJustified = false;  // a title of the bar drawn at its right edge
    std::unique_ptr<Menu> dropDown;  // kDropDown only
};

// Told of every change of a menu and of the redrawing of the bar; the front
// end is one.  The model does not own it.
class MenuObserver {
public:
    virtual ~MenuObserver();
    // The entry at `position` of `menu` changed (text, check mark, enabling,
    // right-justification), or was added.
    virtual void OnMenuEntryChanged(MenuModel& model, Menu& menu, int position) = 0;
    virtual void OnMenuBarDrawn(MenuModel& model) = 0;
};

// One menu: the bar or a drop-down.
class Menu {
public:
    explicit Menu(MenuModel& model) : model_(model) {}
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    // ---- Building (the menu's template) ----
    void AddItem(int commandId, const char* text);
    void AddSeparator();
    // Adds an entry that opens a new, empty drop-down, and returns that.
    Menu& AddDropDown(const char* text);

    // ---- By position ----
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    // The entry at `position`, or null.
    const MenuEntry* EntryAt(int position) const;
    // The drop-down opened by the entry at `position`, or null.
    Menu* DropDownAt(int position) const;
    void SetTextAt(int position, const char* text);
    void SetRightJustifiedAt(int position, bool rightJustified);

    // ---- By command id, in this menu and every drop-down below it ----
    bool HasCommand(int commandId) const { return CommandItem(commandId) != nullptr; }
    // The item of that command, or null.
    const MenuEntry* CommandItem(int commandId) const;
    // False (nothing changed) when no item has the command.
    bool SetCommandText(int commandId, const char* text);
    bool CheckCommand(int commandId, bool checked);
    bool EnableCommand(int commandId, bool enabled);

private:
    // The menu (this one or a drop-down below it) and the position of the
    // first item of the command; a null menu when there is none.
    template <class MenuType>
    static std::pair<MenuType*, int> FindCommand(MenuType& menu, int commandId);
    MenuEntry& Add(MenuEntryKind kind, int commandId, const char* text);
    void Changed(int position);

    MenuModel& model_;
    std::vector<MenuEntry> entries_;
};

// A dialog's menu bar with its titles.
class MenuModel {
public:
    MenuModel() = default;
    MenuModel(const MenuModel&) = delete;
    MenuModel& operator=(const MenuModel&) = delete;

    Menu& Bar() { return bar_; }
    const Menu& Bar() const { return bar_; }
    // The drop-down of the title at `position`, or null.
    Menu* TitleMenu(int position) const { return bar_.DropDownAt(position); }

    // The same operations by command id as a menu's, over the whole bar.
    bool HasCommand(int commandId) const { return bar_.HasCommand(commandId); }
    const MenuEntry* CommandItem(int commandId) const { return bar_.CommandItem(commandId); }
    bool SetCommandText(int commandId, const char* text) { return bar_.SetCommandText(commandId, text); }
    bool CheckCommand(int commandId, bool checked) { return bar_.CheckCommand(commandId, checked); }
    bool EnableCommand(int commandId, bool enabled) { return bar_.EnableCommand(commandId, enabled); }
    bool IsChecked(int commandId) const;
    bool IsEnabled(int commandId) const;

    // Tells the observer to draw the bar again.
    void DrawMenuBar();

    void SetObserver(MenuObserver* observer) { observer_ = observer; }
    MenuObserver* Observer() const { return observer_; }

private:
    Menu bar_{*this};
    MenuObserver* observer_ = nullptr;
};
