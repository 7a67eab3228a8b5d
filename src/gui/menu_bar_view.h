// The menu bar of a frame, mirrored from a menu model: titles, items,
// separators and drop-downs by position, as the model holds them.  Every
// change the model reports is copied to the bar (texts keep "&" as the
// access-key mark); a chosen item is handed to `onCommand` with its command
// id.  The toolkit takes item ids below 32767 only, and the program's
// command ids lie above: each command gets an item id of its own, counted
// from wxID_HIGHEST.
#pragma once

#include <functional>
#include <map>

#include "ui/menu_model.h"

class wxMenu;
class wxMenuBar;
class wxMenuItem;

class MenuBarView : public MenuObserver {
public:
    MenuBarView(MenuModel& model, std::function<void(int commandId)> onCommand);
    ~MenuBarView() override;
    MenuBarView(const MenuBarView&) = delete;
    MenuBarView& operator=(const MenuBarView&) = delete;

    // A new bar from the model; the frame that takes it binds its menu
    // events to Command.
    wxMenuBar* Build();
    wxMenuBar* Bar() const { return bar_; }
    // The user chose the item of `commandId`.
    void Command(int commandId);
    // The item id of a command, and the command of an item id (0 for none).
    int ItemId(int commandId);
    int CommandOf(int itemId) const;

    void OnMenuEntryChanged(MenuModel& model, Menu& menu, int position) override;
    void OnMenuBarDrawn(MenuModel& model) override;

private:
    void Fill(const Menu& model, wxMenu* menu);
    void Append(const MenuEntry& entry, wxMenu* menu);
    // The item at `position` as a check item while `checked`, else as a
    // plain one: a mark shows exactly where the model checks an item, and
    // an item no longer checked shows no empty box beside the others.
    wxMenuItem* ItemMarkedAs(wxMenu* menu, int position, bool checked);

    MenuModel& model_;
    std::function<void(int)> onCommand_;
    wxMenuBar* bar_ = nullptr;
    std::map<const Menu*, wxMenu*> menus_;
    std::map<int, int> itemIds_;  // command id -> item id
    std::map<int, int> commands_;  // item id -> command id
};
