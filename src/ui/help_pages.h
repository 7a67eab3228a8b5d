// Web pages the dialogs show in the user's browser: the local user guide
// (the dialogs' Help buttons) and the pages of the maker's web site (the
// About box).
#pragma once

#include "foundation/text_string.h"

class BaseDialog;

// Shows `address` with the browser of the settings ("\BrowserCommand"), or
// the desktop's when none is set; the user is told when none is found or it
// cannot be started.  True when the browser was started.
bool ShowWebPage(BaseDialog& owner, const TextString& address);

// Shows the user guide that lies beside the program file, at the section
// `anchor` when it is not empty.  True when the browser was started.
bool ShowUserGuide(BaseDialog& owner, const char* anchor = "");
