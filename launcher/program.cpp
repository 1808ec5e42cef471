#include "launcher/program.h"

#include "forms/application.h"
#include "launcher/launcher_form.h"
#include "launcher/modules.h"
#include "runtime/exit_procedures.h"
#include "runtime/last_chance.h"
#include "runtime/modules.h"

int RunLauncher() {
  const int exitCode = RunGuarded([] {
    RunModuleStartups(LauncherModules());
    Application()->PrepareRun();
    Application()->MakeForm(TForm1::StaticMeta(), LauncherForm);
    Application()->RunLoop();
  });
  // The program's end: the application's exit procedure, then every module's shut-down
  // in reverse. A failure there is shown like any other that escapes the entry.
  const int endCode = RunGuarded([] {
    RunExitProcedures();
    RunModuleShutdowns();
  });
  return exitCode != 0 ? exitCode : endCode;
}
