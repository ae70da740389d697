#pragma once
// Every name this program gives a file, made here and read back here: the
// z tag, the kernel cache files, the outputs' suffixes, the temporary names
// of core/whole_file.h and the byte their writers lock.
#include <cstdint>
#include <string>

// The tag that names files after the height z: z cut towards zero, plus
// 5000, so that every z of the accepted range gives four digits.
inline int ZTag(float z) { return static_cast<int>(z) + 5000; }

// "Fluxart_Z<ZTag(z)>_<kind * 1000000 + h * 1000 + angle>.dat"; the angle
// term only for PlanarDipole.
std::string KernelCacheName(int kind, int h, int angle, float z);

// What a kernel cache name says.
struct KernelCacheKey {
  int z_tag = 0;
  int kind = 0;
  int half_size = 0;
  int angle = 0;
};

// True for the exact form of a kernel cache file's name (no folder):
// "Fluxart_Z" + 4 digits + "_" + 7 digits + ".dat".
bool IsKernelCacheName(const std::string& file_name);

// True when file_name is a name KernelCacheName makes (kind 1 to 3, the
// angle 0 but for PlanarDipole); then *key holds what it names.
bool ParseKernelCacheName(const std::string& file_name, KernelCacheKey* key);

// "<cache_path without .dat>.sum": where the checksums of the kernel cache
// file cache_path are kept (field/kernel_checksums.h). cache_path may hold a
// folder.
std::string KernelChecksumsName(const std::string& cache_path);

// True for the exact form of a checksums file's name (no folder): a kernel
// cache file's name in that form with ".sum" for ".dat".
bool IsKernelChecksumsName(const std::string& file_name);

// The kernel cache file's name whose checksums file_name holds, or "" when
// file_name is not in that form.
std::string CacheNameOfChecksums(const std::string& file_name);

// The outputs' names end in these, after the base and the z tag.
constexpr char kContourImageSuffix[] = "_contours.png";
constexpr char kStreamImageSuffix[] = "_streamlines.png";
constexpr char kCombinedImageSuffix[] = "_stream_contours.png";
constexpr char kITableSuffix[] = "_i_vector.txt";
constexpr char kJTableSuffix[] = "_j_vector.txt";
constexpr char kKTableSuffix[] = "_k_vector.txt";

// "<path>.<tag>.tmp": where core/whole_file.h writes path, tag being the 16
// hex digits that set the writer apart from others writing the same path.
std::string TemporaryName(const std::string& path, const std::string& tag);

// True for the exact form of an output file's name (no folder): at most 12
// characters without a ".", then "_", "Z" + 4 digits and one of the six
// outputs' suffixes.
bool IsOutputFileName(const std::string& file_name);

// True for the names this program gives its temporary files, in their exact
// form: TemporaryName of a kernel cache, checksums or output name with a tag of 16
// lower-case hex digits.
bool IsFluxartTemporaryName(const std::string& file_name);

// The byte of a temporary file its writer locks on Windows, far beyond any
// data, so that the lock never stands in the way of reading or writing the
// file itself (Windows locks are mandatory).
constexpr std::uint64_t kLockByteOffset = std::uint64_t{1} << 62;
