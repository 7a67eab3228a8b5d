// What the window tests share: the toolkit started once for the test
// program, and letting it handle what is waiting for a while.
#pragma once

#include <wx/window.h>

#include <functional>

// Lets the toolkit handle its events for about `milliseconds`.
void Pump(int milliseconds);
// Pumps until `done` is true or `milliseconds` have passed; returns `done`.
bool PumpUntil(const std::function<bool()>& done, int milliseconds);

// The user's click on a button, a check box's toggle (after its value was
// set), as the toolkit reports them.
void Click(wxWindow* widget);
