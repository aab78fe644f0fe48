#pragma once
// The signals that would end or stop the program from the terminal or another program
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP), held while an update writes the unit: cut
// short, the update would leave the ESC without firmware. A thread of their own takes them
// as they come, so the update runs on undisturbed to its end.

namespace interruptions {

// Called once, on that thread, with the first signal held; it may format and print.
using Notice = void (*)(int signal);
void setNotice(Notice notice);

// From hold() to release() the signals are taken and go no further; afterwards they act as
// they did before. release() without hold() does nothing.
void hold();
void release();

// The first signal held since the program started; 0 when none was.
int firstHeld();

// "SIGINT" and so on for the signals held; empty for any other.
const char* nameOf(int signal);

}  // namespace interruptions
