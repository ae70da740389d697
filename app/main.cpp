// fluxart: turns a 640 x 640 drawing of magnets into pictures of their field.
// main makes the run's one Workspace, with the console as its observer, and
// hands it to the run.
#include <string>
#include <vector>

#include "app/console_observer.h"
#include "app/run.h"
#include "core/interruption.h"
#include "core/workspace.h"

int main(int argc, char** argv) {
  InstallInterruptionCleanup();
  // Some 50 MB: static storage, not the stack; made once, zero at start.
  static Workspace workspace;
  ConsoleObserver console;
  workspace.observer = &console;
  return RunFluxart(std::vector<std::string>(argv + 1, argv + argc), workspace);
}
