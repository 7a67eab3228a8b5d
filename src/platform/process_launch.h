// Starting viewer and browser programs, finding programs on PATH, and the
// stand-in for a DDE conversation with a running browser.
//
// A viewer is started with an argument vector (the program and exactly one
// argument, a file name or an address), never through a shell, so names with
// blanks, quotes or other shell characters reach it as they are.  The caller
// does not wait for it.  Started children are remembered and reaped with
// non-blocking waits at every later start (and by ReapStartedPrograms), so
// no finished viewer stays a zombie and no other child of the process is
// ever waited for.
#pragma once

#include <sys/types.h>

#include <string>

// Starts `program` (looked up on PATH when it holds no "/") with `argument`
// as its only argument, not waiting.  0 on success, with the child's id in
// *pid when pid is not null; otherwise the system's error number (for
// example ENOENT for a program that does not exist).
int StartProgram(const std::string& program, const std::string& argument, pid_t* pid = nullptr);

// Reaps every started program that has finished; never blocks.
void ReapStartedPrograms();

// Waits until every started program has finished and reaps it.  For tests
// and for callers that must know a viewer is done; the conversion run never
// calls it.
void WaitForStartedPrograms();

// The full path of an executable file `name` found in the directories of
// PATH (a name holding "/" is tested as it is); false when there is none.
bool FindProgramOnPath(const char* name, std::string* fullPath);

// A client-side DDE conversation.  This platform has no DDE: initialising
// succeeds, but connecting always fails with kDdeNoConversation, so callers
// fall through to starting the browser program.
class DdeClient {
public:
    // DDE error codes (the error texts are the result viewer's).
    static constexpr int kDdeNoConversation = 0x400A;

    bool Initialise();
    // Always false; LastError() then gives kDdeNoConversation.
    bool Connect(const char* service, const char* topic);
    // A request for `item` in text format; false without a conversation.
    bool Request(const char* item, int timeoutMilliseconds);
    void Disconnect();
    void Uninitialise();
    // The last error, 0 when none.
    int LastError() const { return lastError_; }

private:
    int lastError_ = 0;
    bool initialised_ = false;
};
