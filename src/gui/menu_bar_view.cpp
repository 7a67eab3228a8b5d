#include "gui/menu_bar_view.h"

#include <wx/defs.h>
#include <wx/menu.h>

#include "gui/wx_text.h"

MenuBarView::MenuBarView(MenuModel& model, std::function<void(int)> onCommand)
    : model_(model), onCommand_(std::move(onCommand)) {
    model_.SetObserver(this);
}

MenuBarView::~MenuBarView() {
    if (model_.Observer() == this) model_.SetObserver(nullptr);
}

wxMenuBar* MenuBarView::Build() {
    menus_.clear();
    bar_ = new wxMenuBar;
    const Menu& bar = model_.Bar();
    for (int position = 0; position < bar.EntryCount(); ++position) {
        const MenuEntry* entry = bar.EntryAt(position);
        auto* menu = new wxMenu;
        if (entry->dropDown) Fill(*entry->dropDown, menu);
        bar_->Append(menu, ToWx(entry->text));
        if (!entry->enabled) bar_->EnableTop(static_cast<size_t>(position), false);
    }
    return bar_;
}

void MenuBarView::Fill(const Menu& model, wxMenu* menu) {
    menus_[&model] = menu;
    for (int position = 0; position < model.EntryCount(); ++position) Append(*model.EntryAt(position), menu);
}

void MenuBarView::Append(const MenuEntry& entry, wxMenu* menu) {
    switch (entry.kind) {
        case MenuEntryKind::kSeparator: menu->AppendSeparator(); return;
        case MenuEntryKind::kDropDown: {
            auto* dropDown = new wxMenu;
            if (entry.dropDown) Fill(*entry.dropDown, dropDown);
            menu->AppendSubMenu(dropDown, ToWx(entry.text))->Enable(entry.enabled);
            return;
        }
        case MenuEntryKind::kItem: {
            const int id = ItemId(entry.commandId);
            wxMenuItem* item =
                entry.checked ? menu->AppendCheckItem(id, ToWx(entry.text)) : menu->Append(id, ToWx(entry.text));
            if (entry.checked) item->Check(true);
            item->Enable(entry.enabled);
            return;
        }
    }
}

wxMenuItem* MenuBarView::ItemMarkedAs(wxMenu* menu, int position, bool checked) {
    wxMenuItem* item = menu->FindItemByPosition(static_cast<size_t>(position));
    if (item->IsCheckable() == checked) return item;
    const int id = item->GetId();
    const wxString label = item->GetItemLabel();
    const bool enabled = item->IsEnabled();
    menu->Destroy(item);
    const auto at = static_cast<size_t>(position);
    wxMenuItem* made = checked ? menu->InsertCheckItem(at, id, label) : menu->Insert(at, id, label);
    made->Enable(enabled);
    return made;
}

int MenuBarView::ItemId(int commandId) {
    const auto found = itemIds_.find(commandId);
    if (found != itemIds_.end()) return found->second;
    const int id = wxID_HIGHEST + 1 + static_cast<int>(itemIds_.size());
    itemIds_[commandId] = id;
    commands_[id] = commandId;
    return id;
}

int MenuBarView::CommandOf(int itemId) const {
    const auto found = commands_.find(itemId);
    return found == commands_.end() ? 0 : found->second;
}

void MenuBarView::Command(int commandId) {
    if (onCommand_) onCommand_(commandId);
}

void MenuBarView::OnMenuEntryChanged(MenuModel&, Menu& menu, int position) {
    if (bar_ == nullptr) return;
    const MenuEntry* entry = menu.EntryAt(position);
    if (entry == nullptr) return;
    const wxString text = ToWx(entry->text);
    if (&menu == &model_.Bar()) {
        const size_t at = static_cast<size_t>(position);
        if (at >= bar_->GetMenuCount()) {
            auto* added = new wxMenu;
            if (entry->dropDown) Fill(*entry->dropDown, added);
            bar_->Append(added, text);
        } else if (bar_->GetMenuLabel(at) != text) {
            bar_->SetMenuLabel(at, text);
        }
        bar_->EnableTop(at, entry->enabled);
        return;
    }
    const auto found = menus_.find(&menu);
    if (found == menus_.end()) return;
    wxMenu* shown = found->second;
    if (static_cast<size_t>(position) >= shown->GetMenuItemCount()) {
        Append(*entry, shown);
        return;
    }
    if (entry->kind == MenuEntryKind::kSeparator) return;
    wxMenuItem* item = shown->FindItemByPosition(static_cast<size_t>(position));
    if (entry->kind == MenuEntryKind::kItem) item = ItemMarkedAs(shown, position, entry->checked);
    if (item->GetItemLabel() != text) item->SetItemLabel(text);
    if (item->IsCheckable() && item->IsChecked() != entry->checked) item->Check(entry->checked);
    if (item->IsEnabled() != entry->enabled) item->Enable(entry->enabled);
}

void MenuBarView::OnMenuBarDrawn(MenuModel&) {
    if (bar_ != nullptr) bar_->Refresh();
}
