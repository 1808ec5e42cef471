#pragma once
// The program entry: module start-ups, the window made from its stored definition,
// the message loop, then the program's end. Returns the process exit code: 0 after a
// normal end, 1 when an exception escaped (shown by the last-chance handler).
int RunLauncher();
