#pragma once
// Names of the six output files, from the input name and the starting z.
#include <string>

// Each name is at most 39 characters and its terminator.
struct OutputNames {
  char contour_image[40];
  char stream_image[40];
  char combined_image[40];
  char i_table[40];
  char j_table[40];
  char k_table[40];
};

// The input name up to its first "." (at most 12 characters), underscores
// to 13 characters, "Z", z cut to an integer plus 5000, the suffix. z is a
// whole number of millimetres between -1001 and 1001, so the tag always has
// four digits. A name of any length is accepted: only its first 12
// characters can ever be used.
OutputNames BuildOutputNames(const std::string& input_name, float z);

// The first of the names the run writes (the tables only when with_tables)
// that is the input file itself: the same file by std::filesystem::equivalent,
// so also through a symlink or a hard link. "" when none is.
std::string OutputThatIsTheInput(const OutputNames& names, const std::string& input_name,
                                 bool with_tables);

// The first kernel cache or checksums file in cache_folder ("" for the
// current one) that a run from z with thickness layers may write (its tag
// that of one of the layers) and that is the input file itself, under its
// own name or through a link. "" when none is.
std::string CacheFileThatIsTheInput(const std::string& input_name, float z, int thickness,
                                    const std::string& cache_folder = "");

// The line, ending in a line end, that refuses a run whose drawing is the
// kernel cache file cache_file.
std::string CacheClashLine(const std::string& cache_file);
