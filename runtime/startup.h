#pragma once
// What the runtime core records about the process when it starts (first entry of the
// module start-up table): the show command the process was started with, the ANSI code
// page and the main thread.

// Start-up routine of the runtime core. Reads GetStartupInfoA, GetACP and
// GetCurrentThreadId once; later calls refresh the same values.
void RuntimeCoreStartup();
void RuntimeCoreShutdown();

// wShowWindow when STARTF_USESHOWWINDOW is set in dwFlags, else SW_SHOWDEFAULT (10).
// Before the start-up has run it is SW_SHOWDEFAULT.
int StartupShowCommand();
// For tests of code that applies the start-up show command.
void SetStartupShowCommand(int showCommand);

// 0 before the start-up has run.
unsigned StartupAnsiCodePage();
unsigned long MainThreadId();
