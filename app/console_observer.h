#pragma once
// The run's progress as the console shows it: the layer headings, the step
// counter rewritten in place, the cache message wiped once its file is
// done, notices, and the headings of the later stages. Flushes after each.
#include <string>

#include "core/run_observer.h"

class ConsoleObserver : public RunObserver {
 public:
  void LayerStarted(int z, int layer, int layers) override;
  void StepStarted(int step, int steps) override;
  void KernelBeingMade(const std::string& name) override;
  void KernelFinished(const std::string& name, bool stored) override;
  void Notice(const std::string& line) override;
  void StageStarted(RunStage stage) override;
};
