#include "core/file_names.h"

#include <cstdio>
#include <cstring>

#include "core/magnet_color_table.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool AllDigits(const std::string& text, std::size_t begin, std::size_t end) {
  if (end > text.size()) return false;
  for (std::size_t k = begin; k < end; ++k)
    if (text[k] < '0' || text[k] > '9') return false;
  return true;
}

}  // namespace

std::string KernelCacheName(int kind, int h, int angle, float z) {
  const int code = kind * 1000000 + h * 1000 + (kind == PlanarDipole ? angle : 0);
  char name[40];
  std::snprintf(name, sizeof name, "Fluxart_Z%d_%d.dat", ZTag(z), code);
  return name;
}

bool IsKernelCacheName(const std::string& file_name) {
  const std::string& n = file_name;
  return n.size() == 25 && n.compare(0, 9, "Fluxart_Z") == 0 && AllDigits(n, 9, 13) &&
         n[13] == '_' && AllDigits(n, 14, 21) && n.compare(21, 4, ".dat") == 0;
}

bool ParseKernelCacheName(const std::string& file_name, KernelCacheKey* key) {
  if (!IsKernelCacheName(file_name)) return false;
  KernelCacheKey parsed;
  parsed.z_tag = std::stoi(file_name.substr(9, 4));
  const int code = std::stoi(file_name.substr(14, 7));
  parsed.kind = code / 1000000;
  parsed.half_size = code / 1000 % 1000;
  parsed.angle = code % 1000;
  if (parsed.kind < AxialDipole || parsed.kind > Monopole) return false;
  if (parsed.kind != PlanarDipole && parsed.angle != 0) return false;
  *key = parsed;
  return true;
}

std::string KernelChecksumsName(const std::string& cache_path) {
  const std::string stem =
      EndsWith(cache_path, ".dat") ? cache_path.substr(0, cache_path.size() - 4) : cache_path;
  return stem + ".sum";
}

bool IsKernelChecksumsName(const std::string& file_name) {
  return !CacheNameOfChecksums(file_name).empty();
}

std::string CacheNameOfChecksums(const std::string& file_name) {
  if (!EndsWith(file_name, ".sum")) return "";
  const std::string cache_name = file_name.substr(0, file_name.size() - 4) + ".dat";
  return IsKernelCacheName(cache_name) ? cache_name : "";
}

std::string TemporaryName(const std::string& path, const std::string& tag) {
  return path + "." + tag + ".tmp";
}

bool IsOutputFileName(const std::string& file_name) {
  for (const char* suffix : {kContourImageSuffix, kStreamImageSuffix, kCombinedImageSuffix,
                             kITableSuffix, kJTableSuffix, kKTableSuffix}) {
    if (!EndsWith(file_name, suffix)) continue;
    // The base slot's tail: 1 to 13 characters, no ".", the last one "_".
    const std::size_t tag = file_name.size() - std::strlen(suffix) - 5;
    if (tag < 1 || tag > 13 || file_name[tag] != 'Z' || file_name[tag - 1] != '_') continue;
    if (!AllDigits(file_name, tag + 1, tag + 5)) continue;
    if (file_name.find_first_of("./\\") < tag) continue;
    return true;
  }
  return false;
}

bool IsFluxartTemporaryName(const std::string& file_name) {
  constexpr std::size_t kTail = 1 + 16 + 4;  // ".<16 hex digits>.tmp"
  if (file_name.size() <= kTail || !EndsWith(file_name, ".tmp")) return false;
  const std::size_t dot = file_name.size() - kTail;
  if (file_name[dot] != '.') return false;
  for (std::size_t k = dot + 1; k < dot + 17; ++k) {
    const char c = file_name[k];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  const std::string stem = file_name.substr(0, dot);
  return IsKernelCacheName(stem) || IsKernelChecksumsName(stem) || IsOutputFileName(stem);
}
