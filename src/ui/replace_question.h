// The one question asked before a file chosen to save into is replaced.
//
// The desktop's file chooser never asks it (the toolkit's prompt would be
// a second one, and in its own language): the program asks, once, in the
// language in force, after the name is complete (its extension added).
#pragma once

#include "foundation/text_string.h"

class UiServices;

// True when nothing is at `path`, or the user agrees to replace it
// (message text 114, Yes/No, No the default).
bool MayReplaceFile(UiServices& services, const TextString& path);
