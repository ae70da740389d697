#pragma once
// Kernel cache files and the workspace's kernel table. One file per
// (z, kind, h, angle) in the cache folder (the current one unless the run's
// options name another) holds the 1284 x 1284 x 3
// float table as raw little-endian bytes with no header; the name alone says
// what the file holds (KernelCacheName, core/file_names.h). Kernels of
// single cubes (h = 0) are never cached.
#include <cstddef>
#include <limits>
#include <string>

#include "core/file_names.h"
#include "core/magnet_color_table.h"
#include "core/run_options.h"
#include "core/workspace.h"
#include "field/field_scratch.h"
#include "field/kernel_checksums.h"
#include "field/kernel_window.h"

constexpr std::size_t kKernelFileBytes = sizeof(KernelTable);

// Reads the rows of window from the file at path into the same rows of
// table, whole, on up to `threads` threads at once. True only when the file
// holds exactly kKernelFileBytes and every value in the window's columns is
// finite and no larger than bound in size; otherwise false, and those rows
// hold unspecified data. The values outside the window's columns are the
// file's, unchecked; rows outside the window are left as they were.
// With checksums, every row read must match them too, and the window's
// columns must lie on whole stretches (WholeStretches).
bool LoadKernelFile(const std::string& path, KernelTable& table,
                    float bound = std::numeric_limits<float>::max(), int threads = 1,
                    const KernelWindow& window = KernelWindow(),
                    const KernelChecksums* checksums = nullptr);

// Writes table whole to path (core/whole_file.h). False when anything
// failed, with *reason (when given) saying why; then no file is left under
// path or under the temporary name (an older file under path stays as it
// was).
bool StoreKernelFile(const std::string& path, const KernelTable& table,
                     std::string* reason = nullptr);

// Fills window in table with the kernel of (kind, h, angle) at height z (a
// whole number) from its cache file. True when it did; false when the kernel
// must be computed: always for h = 0, and when the file is missing or the
// window's rows fail the checks of field/kernel_verification.h (then the
// table holds unspecified data). Every sampled cell of the window's rows is
// checked, those outside its columns too. Computes only the sampled cells of
// those rows.
// check_contents false skips the sampled cells and the range (tests only).
// Reads on up to `threads` threads, from the file in folder ("" for the
// current one).
bool LoadCachedKernel(KernelTable& table, int kind, int h, int angle, float z,
                      bool check_contents = true, int threads = 1,
                      const KernelWindow& window = KernelWindow(),
                      const std::string& folder = std::string());

// The path of the cache file called name in folder ("" for the current one).
std::string KernelCachePath(const std::string& folder, const std::string& name);

// Fills workspace.kernel_table with the kernel of (kind, h, angle) at height
// z (a whole number), at least in window: for h = 0 computes the window's
// entries alone (single cubes are never cached); for h >= 1 loads the window
// from the cache file when it is trusted, otherwise computes the whole kernel
// and stores it, telling workspace.observer when it begins and ends. The file
// is not stored when the disk would keep less than FreeSpaceReserve() free;
// that, and a store that failed, are each told as a notice unless told marks
// it as told already, and then marked there. The files are in
// options.cache_folder.
void FillKernelTable(Workspace& workspace, CacheNotices& told, int kind, int h, int angle, float z,
                     const RunOptions& options = RunOptions(),
                     const KernelWindow& window = KernelWindow());

// Makes workspace.kernel_table hold the kernel of (h, row's kind and angle,
// z) in window with FillKernelTable, unless scratch.held_kernel says it
// already does there; records in it what the table holds and where. The
// notices go through scratch.cache_notices.
void PrepareKernel(Workspace& workspace, FieldScratch& scratch, const MagnetColor& row, int h,
                   float z, const RunOptions& options = RunOptions(),
                   const KernelWindow& window = KernelWindow());
