#include "ui/folder_chooser.h"

#include "app/ui_services.h"

bool BrowseForFolder(UiServices& services, const char* title, TextString& path) {
    // The chooser starts from no folder of ours and writes into a text of
    // its own, so a cancelled or empty choice cannot touch the caller's path.
    TextString chosen;
    if (!services.ChooseFolder(title, chosen) || chosen.IsEmpty()) return false;
    path = chosen;
    return true;
}
