#pragma once
// Kernel cache files written on a thread of their own while the run goes on,
// one at a time, from a copy of the kernel table (workspace.kernel_file_write),
// and the one-line notices about files that were not kept.
#include <string>

#include "core/workspace.h"

// The table's size in bytes: a cache file's.
constexpr std::size_t kKernelTableBytes = sizeof(KernelTable);

// Starts writing workspace.kernel_table whole (core/whole_file.h) to name
// on a thread of its own, from a copy, so that the table can take the next
// kernel meanwhile. The previous write must be joined first
// (JoinKernelFileWrite), so that its notice is not lost. The temporary
// file is made here, so that a folder that cannot be written is known at
// once: false with *reason then. Without a thread to be had the file is
// written before it returns.
bool StartKernelFileWrite(Workspace& workspace, const std::string& name, std::string* reason);

// Waits for the file being written, if any. Gives the notice to print when
// it could not be kept (once per run, as NotKeptNotice), else "".
std::string JoinKernelFileWrite(Workspace& workspace);

// JoinKernelFileWrite, and prints the notice with PrintCacheNotice.
void FinishKernelFileWrite(Workspace& workspace);

// "fluxart: could not keep the kernel cache file NAME (REASON); check the
// folder can be written" and a line end, the first time in a run
// (workspace.cache_notices.not_kept); "" after that.
std::string NotKeptNotice(Workspace& workspace, const std::string& name, const std::string& reason);

// Prints a notice on a line of its own. The step counter is written in
// place after the cache message, so the notice ends with blanks as wide as
// the counter's line, over whose end the counter goes on counting.
void PrintCacheNotice(const std::string& line);
