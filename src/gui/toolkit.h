// Starting and stopping the toolkit for the program (or a test).
//
// The toolkit is started once, on the display the environment names, with
// the program's own handling of the toolkit's failures:
// - a failed assertion inside the toolkit is written to standard error and
//   the program goes on (the toolkit's own handler opens a modal alert,
//   which on a display nobody watches is a silent hang);
// - the toolkit's log messages go to standard error, never to a message box;
// - a display that cannot be opened is a plain false: the toolkit's own
//   start-up error never reaches the user.
// An event loop is active from the start, so that the status window can let
// the toolkit repaint during a batch run that runs no main loop.
#pragma once

// Starts the toolkit; true when it runs (also when it was started already).
bool StartToolkit();
bool ToolkitStarted();
// Runs the main loop until ExitMainLoopSoon is called or the last frame
// closes.
void RunMainLoop();
// Leaves the main loop from a timer once the current event is handled:
// leaving it from inside an idle handler can leave the process in the loop.
void ExitMainLoopSoon();
// Destroys what is left of the windows and stops the toolkit.
void StopToolkit();
