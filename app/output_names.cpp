#include "app/output_names.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/file_names.h"

namespace {

constexpr int kBaseLength = 12;  // characters taken from the input name
constexpr int kTagStart = 13;    // the base slot is 12 characters and one underscore
constexpr int kNameSize = 40;

// Fills one name: the 13-character base slot, then "Z" + tag + suffix.
void FillName(char (&name)[kNameSize], const char (&base)[kTagStart], int tag, const char* suffix) {
  char tail[64];
  std::snprintf(tail, sizeof tail, "Z%d%s", tag, suffix);
  for (int p = 0; p < kTagStart; ++p) name[p] = base[p];
  // At most 26 characters of the tail, so that a name never exceeds 39.
  int p = kTagStart;
  for (const char* c = tail; *c && p < kNameSize - 1; ++c) name[p++] = *c;
  name[p] = '\0';
}

}  // namespace

OutputNames BuildOutputNames(const std::string& input_name, float z) {
  char base[kTagStart];
  for (char& c : base) c = '_';
  for (int p = 0; p < kBaseLength && p < static_cast<int>(input_name.size()); ++p) {
    const char c = input_name[p];
    if (c == '.' || c == '\0') break;
    base[p] = c;
  }
  const int tag = ZTag(z);

  OutputNames names;
  FillName(names.contour_image, base, tag, kContourImageSuffix);
  FillName(names.stream_image, base, tag, kStreamImageSuffix);
  FillName(names.combined_image, base, tag, kCombinedImageSuffix);
  FillName(names.i_table, base, tag, kITableSuffix);
  FillName(names.j_table, base, tag, kJTableSuffix);
  FillName(names.k_table, base, tag, kKTableSuffix);
  return names;
}

std::string OutputThatIsTheInput(const OutputNames& names, const std::string& input_name,
                                 bool with_tables) {
  const char* written[] = {names.contour_image, names.stream_image, names.combined_image,
                           names.i_table,       names.j_table,      names.k_table};
  const int count = with_tables ? 6 : 3;
  for (int k = 0; k < count; ++k) {
    std::error_code error;  // a name that does not exist yet is not the input
    if (std::filesystem::equivalent(written[k], input_name, error) && !error) return written[k];
  }
  return "";
}

std::string CacheFileThatIsTheInput(const std::string& input_name, float z, int thickness,
                                    const std::string& cache_folder) {
  namespace fs = std::filesystem;
  const int layers = thickness >= 0 ? thickness : -thickness;
  const int first = ZTag(z);
  const int last = thickness >= 1 ? first + layers - 1 : first - layers + 1;
  std::error_code error;
  fs::directory_iterator entries(cache_folder.empty() ? "." : cache_folder, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().string();
    const std::string cache_name = IsKernelCacheName(name) ? name : CacheNameOfChecksums(name);
    KernelCacheKey key;
    if (layers == 0 || !ParseKernelCacheName(cache_name, &key)) continue;
    if (key.z_tag < std::min(first, last) || key.z_tag > std::max(first, last)) continue;
    std::error_code same_error;
    if (fs::equivalent(entries->path(), input_name, same_error) && !same_error) return name;
  }
  return "";
}

std::string CacheClashLine(const std::string& cache_file) {
  return "fluxart: " + cache_file +
         " is both the drawing and a kernel cache file of this run; rename the drawing\n";
}
