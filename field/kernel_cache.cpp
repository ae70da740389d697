#include "field/kernel_cache.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/free_space.h"
#include "core/parallel_rows.h"
#include "core/regular_file.h"
#include "core/whole_file.h"
#include "field/kernel_checksums.h"
#include "field/kernel_sums.h"
#include "field/kernel_verification.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "Kernel cache files are the table's memory image and must be little-endian"
#endif

namespace {

constexpr std::size_t kCellBytes = 3 * sizeof(float);
constexpr std::size_t kRowBytes = kCellBytes * kKernelSide;
static_assert(kRowBytes * kKernelSide == kKernelFileBytes, "the file is the table, row by row");

// Opens the file at path for reads that go straight into the table; only a
// regular file, so that a FIFO or a device under the name is never waited on.
std::FILE* OpenKernelFile(const std::string& path) {
  FileKind kind;
  std::FILE* file = OpenRegularFile(path, &kind);
  if (file) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

// Reads rows [first_row, end_row) of the file at path into the same rows of
// table and checks the values of columns [column_begin, column_end) against
// bound; with at_end, also that the file holds exactly kKernelFileBytes;
// with checksums, also every row read against them in those columns (which
// then lie on whole stretches). The rows are read whole, as one stretch of
// the file, even for a window of some columns: one call per piece costs far
// less than a seek and a read per row, and a window spans at least half a
// row. Reads in pieces of whole rows that stay in the processor's cache
// while they are checked, which makes the checks cheap beside the read.
bool ReadKernelPart(const std::string& path, KernelTable& table, int first_row, int end_row,
                    int column_begin, int column_end, bool at_end, float bound,
                    const KernelChecksums* checksums) {
  std::FILE* file = OpenKernelFile(path);
  if (!file) return false;
  constexpr int kPieceRows = 17;  // about 256 KiB
  const int columns = std::max(0, column_end - column_begin);
  bool whole = std::fseek(file, static_cast<long>(kRowBytes * first_row), SEEK_SET) == 0;
  bool within = true;
  for (int row = first_row; whole && row < end_row; row += kPieceRows) {
    const int rows = std::min(kPieceRows, end_row - row);
    const std::size_t piece = kRowBytes * rows;
    whole = std::fread(table[row], 1, piece, file) == piece;
    for (int p = row; whole && within && p < row + rows; ++p)
      within = ValuesWithin(table[p][column_begin], 3 * static_cast<std::size_t>(columns), bound) &&
               (!checksums || RowMatchesChecksums(table, p, column_begin, column_end, *checksums));
  }
  if (at_end)
    whole = whole && std::fseek(file, static_cast<long>(kKernelFileBytes - 1), SEEK_SET) == 0 &&
            std::fgetc(file) != EOF && std::fgetc(file) == EOF;
  whole = whole && !std::ferror(file);
  std::fclose(file);
  return whole && within;
}

KernelCacheKey KeyOf(int kind, int h, int angle, float z) {
  return KernelCacheKey{ZTag(z), kind, h, kind == PlanarDipole ? angle : 0};
}

}  // namespace

bool LoadKernelFile(const std::string& path, KernelTable& table, float bound, int threads,
                    const KernelWindow& window, const KernelChecksums* checksums) {
  // Each thread reads its own share of the rows through its own handle, so
  // the copies out of the system's file cache run side by side.
  constexpr int kRowsPerShare = 64;
  const int rows = std::max(0, window.row_end - window.row_begin);
#ifdef __EMSCRIPTEN__
  // In the browser a helper thread's every file call waits for the main
  // thread, which holds the in-memory files and answers between its own
  // waits: one reader is several times faster there.
  threads = 1;
#endif
  const int parts = std::max(1, std::min(threads, (rows + kRowsPerShare - 1) / kRowsPerShare));
  std::vector<unsigned char> read(parts, 0);
  RunParts(parts, [&](int part) {
    read[part] =
        ReadKernelPart(path, table, window.row_begin + PartStart(rows, part, parts),
                       window.row_begin + PartStart(rows, part + 1, parts), window.column_begin,
                       window.column_end, part == parts - 1, bound, checksums);
  });
  return std::all_of(read.begin(), read.end(), [](unsigned char ok) { return ok != 0; });
}

bool StoreKernelFile(const std::string& path, const KernelTable& table, std::string* reason) {
  // The temporary name ends in ".tmp", never in ".dat", so no run takes it
  // for a kernel. A cache file needs no flush to the disk: a file that a
  // power cut leaves incomplete fails the checks on load and is remade.
  std::string ignored;
  return WriteWholeFile(path, table, kKernelFileBytes, false, reason ? reason : &ignored);
}

std::string KernelCachePath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

bool LoadCachedKernel(KernelTable& table, int kind, int h, int angle, float z, bool check_contents,
                      int threads, const KernelWindow& window, const std::string& folder) {
  if (h == 0) return false;
  const std::string name = KernelCachePath(folder, KernelCacheName(kind, h, angle, z));
  const float bound = check_contents ? KernelValueBound(h, z) : std::numeric_limits<float>::max();
  KernelChecksums checksums;
  const ChecksumsFile sums =
      check_contents
          ? ReadKernelChecksums(KernelChecksumsName(name), KeyOf(kind, h, angle, z), &checksums)
          : ChecksumsFile::kMissing;
  if (sums == ChecksumsFile::kDamaged) return false;
  const bool summed = sums == ChecksumsFile::kRead;
  if (!LoadKernelFile(name, table, bound, threads, summed ? WholeStretches(window) : window,
                      summed ? &checksums : nullptr))
    return false;
  if (!check_contents) return true;
  // The rows read are checked at every sampled cell, as whole rows are: the
  // cells outside the window's columns came with their rows.
  return SampledCellsMatch(kind, h, angle, z, table, window.row_begin, window.row_end);
}

void FillKernelTable(Workspace& workspace, CacheNotices& told, int kind, int h, int angle, float z,
                     const RunOptions& options, const KernelWindow& window) {
  if (h == 0) {
    ComputeSingleCubeWindow(kind, angle, z, window, workspace.kernel_table, options);
    return;
  }
  if (LoadCachedKernel(workspace.kernel_table, kind, h, angle, z, options.check_cache_contents,
                       options.threads, window, options.cache_folder))
    return;
  const std::string name = KernelCacheName(kind, h, angle, z);
  workspace.observer->KernelBeingMade(name);
  ComputeKernel(kind, h, angle, z, workspace.kernel_table, options);
  std::string notice;
  bool stored = false;
  const std::string path = KernelCachePath(options.cache_folder, name);
  const std::string checksums_path = KernelChecksumsName(path);
  if (!LeavesReserve(options.cache_folder.empty() ? "." : options.cache_folder,
                     kKernelFileBytes + kChecksumsFileBytes)) {
    // With no reserve, the file does not fit at all.
    const std::string room = FreeSpaceReserve() == 0
                                 ? "the disk is full"
                                 : "less than " + std::to_string(FreeSpaceReserve() >> 20) +
                                       " MiB would stay free on the disk";
    if (!told.short_of_room)
      notice =
          "fluxart: " + name + " not kept: " + room + "; free some room to keep kernel cache files";
    told.short_of_room = true;
  } else {
    // The old checksums go first, so that new data never stands beside
    // them; checksums that cannot be kept leave a file checked as one of
    // unknown origin.
    std::remove(checksums_path.c_str());
    std::string reason, ignored;
    stored = StoreKernelFile(path, workspace.kernel_table, &reason);
    if (stored)
      StoreKernelChecksums(checksums_path,
                           ComputeKernelChecksums(workspace.kernel_table, KeyOf(kind, h, angle, z)),
                           &ignored);
    if (!stored && !told.not_kept) {
      notice = "fluxart: could not keep the kernel cache file " + name + " (" + reason +
               "); check the folder can be written";
      told.not_kept = true;
    }
  }
  workspace.observer->KernelFinished(name, stored);
  if (!notice.empty()) workspace.observer->Notice(notice);
}

void PrepareKernel(Workspace& workspace, FieldScratch& scratch, const MagnetColor& row, int h,
                   float z, const RunOptions& options, const KernelWindow& window) {
  const HeldKernel wanted{h, row.kind, row.angle, static_cast<int>(z), window};
  HeldKernel& held = scratch.held_kernel;
  if (held.half_size == wanted.half_size && held.kind == wanted.kind &&
      held.angle == wanted.angle && held.z == wanted.z && Covers(held.window, window))
    return;
  held = wanted;
  if (row.kind == AxialDipole || row.kind == PlanarDipole || row.kind == Monopole)
    FillKernelTable(workspace, scratch.cache_notices, row.kind, h,
                    row.kind == PlanarDipole ? row.angle : 0, z, options, window);
}
