#include "field/kernel_cache.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "core/z_tag.h"
#include "field/kernel_sums.h"

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

// A tag that no other run writing the same kernel at the same time will
// pick: random bits mixed with the clock.
unsigned long long UniqueTag() {
  std::random_device random;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return (static_cast<unsigned long long>(random()) << 20) ^ static_cast<unsigned long long>(now);
}

// Replaces target by source in one step, also when target exists (the
// library does so on every platform, where a plain rename may refuse).
bool MoveIntoPlace(const std::string& source, const std::string& target) {
  std::error_code error;
  std::filesystem::rename(source, target, error);
  return !error;
}

bool AllFinite(const float* values, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k)
    if (!std::isfinite(values[k])) return false;
  return true;
}

}  // namespace

std::string KernelCacheName(int kind, int h, int angle, float z) {
  const int code = kind * 1000000 + h * 1000 + (kind == PlanarDipole ? angle : 0);
  char name[35] = "Fluxart_";
  std::snprintf(name + 8, sizeof(name) - 8, "Z%d%s%d%s", ZTag(z), "_", code, ".dat");
  return name;
}

bool LoadKernelFile(const std::string& path, KernelTable& table) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  const bool whole = std::fread(table, 1, kKernelFileBytes, file) == kKernelFileBytes &&
                     std::fgetc(file) == EOF && !std::ferror(file);
  std::fclose(file);
  return whole && AllFinite(&table[0][0][0], kKernelFileBytes / sizeof(float));
}

bool StoreKernelFile(const std::string& path, const KernelTable& table) {
  // The temporary name ends in ".tmp", never in ".dat", so no run takes it
  // for a kernel, and the random tag keeps simultaneous runs apart.
  const std::string temporary = path + "." + std::to_string(UniqueTag()) + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(table, 1, kKernelFileBytes, file) == kKernelFileBytes;
  written = std::fclose(file) == 0 && written;
  if (written && MoveIntoPlace(temporary, path)) return true;
  std::remove(temporary.c_str());
  return false;
}

bool LoadCachedKernel(Workspace& workspace, int kind, int h, int angle) {
  return h != 0 &&
         LoadKernelFile(KernelCacheName(kind, h, angle, workspace.z), workspace.kernel_table);
}

void FillKernelTable(Workspace& workspace, int kind, int h, int angle, const RunOptions& options) {
  const bool cached = h != 0;
  const std::string name = KernelCacheName(kind, h, angle, workspace.z);
  if (cached) {
    if (LoadCachedKernel(workspace, kind, h, angle)) return;
    std::printf(" - Creating New %s File", name.c_str());
    std::fflush(stdout);
  }
  ComputeKernel(kind, h, angle, workspace.z, workspace.kernel_table, options);
  if (cached) {
    StoreKernelFile(name, workspace.kernel_table);
    std::fputs(kMessageWipe, stdout);
    std::fflush(stdout);
  }
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
