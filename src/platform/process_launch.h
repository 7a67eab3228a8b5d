// Starting viewer and browser programs and finding programs on PATH.
//
// A viewer is started with an argument vector (the program, the words of its
// command and last a file name or an address), never through a shell, so
// names with blanks, quotes or other shell characters reach it as they are.
// It goes its own way: its standard input, output and error are /dev/null
// and it runs in a session of its own, so that it holds no pipe of the
// program's (a script's `vendrel ... | cat` ends when vendrel does) and no
// signal of the program's terminal reaches it.  The caller does not wait
// for it.  Started children are remembered and reaped with non-blocking
// waits at every later start (and by ReapStartedPrograms, which the
// windows call from time to time), so no finished viewer stays a zombie
// and no other child of the process is ever waited for.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

// Starts the program words[0] (looked up on PATH when it holds no "/") with
// the other words as its arguments, not waiting.  0 on success, with the
// child's id in *pid when pid is not null; otherwise the system's error
// number (for example ENOENT for a program that does not exist, or for no
// words at all).
int StartProgram(const std::vector<std::string>& words, pid_t* pid = nullptr);
// The same for `program` with `argument` as its only argument.
int StartProgram(const std::string& program, const std::string& argument, pid_t* pid = nullptr);

// The words of a command the user wrote: blanks and tabs separate words; a
// pair of double or single quotes makes what stands between them part of a
// word, blanks included; outside single quotes a backslash makes the next
// character an ordinary one.  Nothing is expanded: "$", "~", "*" and the
// like are ordinary characters.  An unclosed quote runs to the end.
std::vector<std::string> SplitCommandWords(std::string_view command);

// Starts a viewer or browser command with `argument` last, not waiting.  A
// command that names an executable file as a whole (a path, blanks and all,
// or a name found on PATH) is that program; any other is split into words
// (SplitCommandWords) of which the first is the program.  Results as
// StartProgram.
int StartCommand(const std::string& command, const std::string& argument, pid_t* pid = nullptr);

// Reaps every started program that has finished; never blocks.
void ReapStartedPrograms();

// Waits until every started program has finished and reaps it.  For tests
// and for callers that must know a viewer is done; the conversion run never
// calls it.
void WaitForStartedPrograms();

// The full path of an executable file `name` found in the directories of
// PATH (a name holding "/" is tested as it is); false when there is none.
bool FindProgramOnPath(const char* name, std::string* fullPath);
