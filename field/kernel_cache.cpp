#include "field/kernel_cache.h"

#include <algorithm>
#include <cstdio>

#include "core/free_space.h"
#include "core/parallel_rows.h"
#include "core/whole_file.h"
#include "core/z_tag.h"
#include "field/kernel_file_write.h"
#include "field/kernel_sums.h"
#include "field/kernel_verification.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "Kernel cache files are the table's memory image and must be little-endian"
#endif

namespace {

// Wipes the 46-character " - Creating New <name> File" line in place.
constexpr char kMessageWipe[] =
    "\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b"
    "                                              "
    "\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b";
static_assert(sizeof(kMessageWipe) == 3 * 46 + 1, "46 backspaces, 46 blanks, 46 backspaces");

constexpr int kKernelCells = kKernelSide * kKernelSide;
constexpr std::size_t kCellBytes = 3 * sizeof(float);

// Reads bytes [begin, end) of the file at path into bytes + begin, checking
// the values with ValuesWithin piece by piece as they arrive: the pieces
// stay in the processor's cache while they are checked, which makes the
// check nearly free beside the read. True when the file is kKernelFileBytes
// long and the part was read whole and within bound.
bool ReadFilePart(const std::string& path, unsigned char* bytes, std::size_t begin, std::size_t end,
                  float bound) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  constexpr std::size_t kPieceBytes = 256 * 1024;
  bool whole = std::fseek(file, static_cast<long>(kKernelFileBytes), SEEK_SET) == 0 &&
               std::fgetc(file) == EOF && !std::ferror(file) &&
               std::fseek(file, static_cast<long>(begin), SEEK_SET) == 0;
  bool within = true;
  for (std::size_t at = begin; whole && within && at < end; at += kPieceBytes) {
    const std::size_t piece = std::min(kPieceBytes, end - at);
    whole = std::fread(bytes + at, 1, piece, file) == piece;
    within = ValuesWithin(reinterpret_cast<const float*>(bytes + at), piece / sizeof(float), bound);
  }
  std::fclose(file);
  return whole && within;
}

}  // namespace

std::string KernelCacheName(int kind, int h, int angle, float z) {
  const int code = kind * 1000000 + h * 1000 + (kind == PlanarDipole ? angle : 0);
  char name[35] = "Fluxart_";
  std::snprintf(name + 8, sizeof(name) - 8, "Z%d%s%d%s", ZTag(z), "_", code, ".dat");
  return name;
}

bool LoadKernelFile(const std::string& path, KernelTable& table, float bound) {
  // Two halves at once, each through a stream of its own: reading from the
  // system's file cache is a copy that one processor does at a fraction of
  // the memory's speed.
  constexpr int kParts = 2;
  bool loaded[kParts] = {};
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&table[0][0][0]);
  RunParts(kParts, [&](int part) {
    const std::size_t begin = PartStart(kKernelCells, part, kParts) * kCellBytes;
    const std::size_t end = PartStart(kKernelCells, part + 1, kParts) * kCellBytes;
    loaded[part] = ReadFilePart(path, bytes, begin, end, bound);
  });
  return loaded[0] && loaded[1];
}

bool StoreKernelFile(const std::string& path, const KernelTable& table, std::string* reason) {
  // The temporary name ends in ".tmp", never in ".dat", so no run takes it
  // for a kernel. A cache file needs no flush to the disk: a file that a
  // power cut leaves incomplete fails the checks on load and is remade.
  std::string ignored;
  return WriteWholeFile(path, table, kKernelFileBytes, false, reason ? reason : &ignored);
}

bool LoadCachedKernel(Workspace& workspace, int kind, int h, int angle, bool check_contents) {
  if (h == 0) return false;
  const std::string name = KernelCacheName(kind, h, angle, workspace.z);
  if (!check_contents) return LoadKernelFile(name, workspace.kernel_table);
  return LoadKernelFile(name, workspace.kernel_table, KernelValueBound(h, workspace.z)) &&
         SampledCellsMatch(kind, h, angle, workspace.z, workspace.kernel_table);
}

void FillKernelTable(Workspace& workspace, int kind, int h, int angle, const RunOptions& options) {
  const bool cached = h != 0;
  const std::string name = KernelCacheName(kind, h, angle, workspace.z);
  if (cached) {
    // A file still being written is loaded once it is complete, as it
    // would be had it been written at once.
    if (workspace.kernel_file_write.name == name) FinishKernelFileWrite(workspace);
    if (LoadCachedKernel(workspace, kind, h, angle, options.check_cache_contents)) return;
    std::printf(" - Creating New %s File", name.c_str());
    std::fflush(stdout);
  }
  ComputeKernel(kind, h, angle, workspace.z, workspace.kernel_table, options);
  if (!cached) return;
  // The previous file is complete before this one is measured against the
  // free space, as when each is written at once.
  std::string notice = JoinKernelFileWrite(workspace);
  CacheNotices& told = workspace.cache_notices;
  if (!LeavesReserve(".", kKernelFileBytes)) {
    if (!told.short_of_room)
      notice += "fluxart: " + name + " not kept: less than " +
                std::to_string(FreeSpaceReserve() >> 20) +
                " MiB would stay free on the disk; free some room to keep kernel cache files\n";
    told.short_of_room = true;
  } else {
    std::string reason;
    const bool started = options.write_cache_in_background
                             ? StartKernelFileWrite(workspace, name, &reason)
                             : StoreKernelFile(name, workspace.kernel_table, &reason);
    if (!started) notice += NotKeptNotice(workspace, name, reason);
  }
  std::fputs(kMessageWipe, stdout);
  if (!notice.empty()) PrintCacheNotice(notice);
  std::fflush(stdout);
}

void PrepareKernel(Workspace& workspace, const MagnetColor& row, int h, const RunOptions& options) {
  const HeldKernel wanted{h, row.kind, row.angle, static_cast<int>(workspace.z)};
  const HeldKernel& held = workspace.held_kernel;
  if (held.half_size == wanted.half_size && held.kind == wanted.kind &&
      held.angle == wanted.angle && held.z == wanted.z)
    return;
  workspace.held_kernel = wanted;
  if (row.kind == AxialDipole || row.kind == PlanarDipole || row.kind == Monopole)
    FillKernelTable(workspace, row.kind, h, row.kind == PlanarDipole ? row.angle : 0, options);
}
