// The folder chooser of the main dialog.
#pragma once

#include "foundation/text_string.h"

class UiServices;

// Lets the user choose a folder of the file system under the title `title`,
// starting from the whole desktop.  True with the chosen folder's path in
// `path`; false, `path` unchanged, when the user cancels or the chooser
// gives no path.
bool BrowseForFolder(UiServices& services, const char* title, TextString& path);
