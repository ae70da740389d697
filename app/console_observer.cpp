#include "app/console_observer.h"

#include <cstdio>

namespace {

// Wipes the 46-character " - Creating New <name> File" line in place.
constexpr char kMessageWipe[] =
    "\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b"
    "                                              "
    "\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b";
static_assert(sizeof(kMessageWipe) == 3 * 46 + 1, "46 backspaces, 46 blanks, 46 backspaces");

}  // namespace

void ConsoleObserver::LayerStarted(int z, int layer, int layers) {
  std::printf("\n\n   +Calculating Vector Fields for Z layer %d (%d/%d) +\n\n", z, layer, layers);
  std::fflush(stdout);
}

// "    Processing Step 0001 of 1860 ", then each later step replaces its
// thirteen-character number part in place.
void ConsoleObserver::StepStarted(int step, int steps) {
  if (step == 1)
    std::printf("    Processing Step %04d of %d ", step, steps);
  else
    std::printf("\b\b\b\b\b\b\b\b\b\b\b\b\b%04d of %d ", step, steps);
  std::fflush(stdout);
}

void ConsoleObserver::KernelBeingMade(const std::string& name) {
  std::printf(" - Creating New %s File", name.c_str());
  std::fflush(stdout);
}

void ConsoleObserver::KernelFinished(const std::string&, bool) {
  std::fputs(kMessageWipe, stdout);
  std::fflush(stdout);
}

// The step counter is written in place after the cache message; a notice
// breaks that line, so it ends with blanks as wide as the counter's line,
// over whose end the counter goes on counting.
void ConsoleObserver::Notice(const std::string& line) {
  std::printf("\n%s\n%33s", line.c_str(), "");
  std::fflush(stdout);
}

void ConsoleObserver::StageStarted(RunStage stage) {
  switch (stage) {
    case RunStage::kContours:
      std::fputs("\n\n   +Calculating Isopotential Contours+\n\n", stdout);
      break;
    case RunStage::kVectorTables:
      std::fputs("   +Writing   Vector   Data   Files  +\n\n", stdout);
      break;
    case RunStage::kStreamlines:
      std::fputs("   +Calculating  Magnetic Streamlines+\n\n", stdout);
      break;
  }
  std::fflush(stdout);
}
