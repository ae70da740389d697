#pragma once
// What a run tells as it goes. The stages say what happened through these
// calls and never print progress themselves; an observer decides how it is
// shown: app/console_observer.h prints the console's text, the browser
// build (app/web_entry.cpp) also hands each event to the page. Every call
// does nothing unless overridden.
#include <string>

// The stages after the field, each announced as it begins.
enum class RunStage { kContours, kVectorTables, kStreamlines };

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // Layer `layer` of `layers` (counted from 1) of the field begins, at
  // height z in mm.
  virtual void LayerStarted(int /*z*/, int /*layer*/, int /*layers*/) {}
  // Step `step` of the layer's `steps` (counted from 1) begins.
  virtual void StepStarted(int /*step*/, int /*steps*/) {}
  // The kernel of the cache file called name is being computed.
  virtual void KernelBeingMade(const std::string& /*name*/) {}
  // That kernel is computed; stored says whether it is now on the disk
  // under name.
  virtual void KernelFinished(const std::string& /*name*/, bool /*stored*/) {}
  // A line for the user (no line end) that breaks into the progress: why
  // kernel cache files are not kept, say.
  virtual void Notice(const std::string& /*line*/) {}
  // A stage after the field begins.
  virtual void StageStarted(RunStage /*stage*/) {}
};

// The observer that shows nothing, which a Workspace starts with.
RunObserver& SilentObserver();
