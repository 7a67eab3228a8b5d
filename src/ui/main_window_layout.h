// The main window's layout (template 211): the file to convert with its
// type, the output's kind, name and folder, the policy file in its frame,
// and the three buttons.
#pragma once

struct WindowDescription;

const WindowDescription& MainWindowLayout();
