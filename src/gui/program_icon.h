// The program's icon: the desktop entry's picture (data/vendrel.svg), built
// into the module and drawn by the toolkit in the sizes a desktop asks for.
#pragma once

class wxIconBundle;

// The icon in the usual sizes, made once.
const wxIconBundle& ProgramIcons();
