// fluxart: turns a 640 x 640 drawing of magnets into pictures of their field.
// main makes the run's one Workspace, with the console as its observer, and
// the field stage's scratch, and hands both to the run.
#include <cstdio>
#include <string>
#include <vector>

#include "app/console_observer.h"
#include "app/run.h"
#include "core/interruption.h"
#include "core/large_pages.h"
#include "core/workspace.h"
#include "field/field_scratch.h"

int main(int argc, char** argv) {
  ReuseFreedMemory();
  InstallInterruptionCleanup();
  // Some 43 MB and 20 MB: static storage, not the stack; made once, zero at
  // start.
  static Workspace workspace;
  static FieldScratch field_scratch;
  // The workspace's planes and tables are touched nearly whole; the
  // scratch's long lists only at their starts, where a large page would
  // hand over 2 MB for a few entries.
  PreferLargePages(&workspace, sizeof workspace);
  ConsoleObserver console;
  workspace.observer = &console;
  const int status =
      RunFluxart(std::vector<std::string>(argv + 1, argv + argc), workspace, field_scratch);
  // Messages that could not be written (a full disk behind ">", a closed
  // pipe) are a failure of the run too; said where it can still be seen.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs(
        "fluxart: could not write all messages to the standard output; check where it is sent\n",
        stderr);
    return 1;
  }
  return status;
}
