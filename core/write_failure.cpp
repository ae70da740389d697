#include "core/write_failure.h"

#include <cstdio>

void ReportWriteFailure(const char* name, const char* reason) {
  std::printf("fluxart: could not write %s (%s); check the folder can be written\n", name, reason);
}
