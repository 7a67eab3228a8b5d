// Web pages the windows show in the user's browser: the user guide (the
// help key, Help > Contents and the dialogs' Help buttons) and the pages of
// the maker's web site (the Help menu and the About box).
#pragma once

#include "foundation/text_string.h"

class BaseDialog;

// Shows `address` with the browser of the settings ("\BrowserCommand"), or
// the desktop's when none is set; the user is told when none is found or it
// cannot be started.  True when the browser was reached.
bool ShowWebPage(BaseDialog& owner, const TextString& address);

// Shows the user guide: the page the "\HTMLDoco" setting names, else the
// one installed with the program, else the documentation page of the
// maker's web site.  A local page is opened at the section `anchor` when
// that is not empty.  True when the browser was reached.
bool ShowUserGuide(BaseDialog& owner, const char* anchor = "");
