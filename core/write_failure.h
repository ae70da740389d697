#pragma once
// The one line that reports an output file that could not be written.

// Prints "fluxart: could not write NAME (REASON); check the folder can be
// written" to standard output.
void ReportWriteFailure(const char* name, const char* reason);
