#pragma once
// Procedures registered to run at the program's normal end, after the entry returns
// and before the module shut-downs.

// Registers `procedure` unless it is registered already.
void AddExitProcedure(void (*procedure)());

// Runs the registered procedures, most recently registered first, and forgets them.
// If one throws, the rest still run and the first exception is rethrown at the end.
void RunExitProcedures();
