// Replays saved inputs through a fuzz target without libFuzzer, so that the
// test suite runs every committed seed and reproducer through the target's
// own checks in every build. Usage: fuzz_replay_TARGET FOLDER...; every file
// in each folder goes through LLVMFuzzerTestOneInput once. A failed check
// aborts; a folder that is missing or holds no file ends with status 2;
// status 0 means every input passed.
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Custom mutators call into libFuzzer; replaying never mutates.
extern "C" size_t LLVMFuzzerMutate(uint8_t*, size_t size, size_t) { return size; }

namespace {

bool ReadBytes(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bytes->clear();
  uint8_t buffer[65536];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    bytes->insert(bytes->end(), buffer, buffer + got);
  const bool read = !std::ferror(file);
  std::fclose(file);
  return read;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int a = 1; a < argc; ++a) {
    const std::string folder = argv[a];
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder.c_str())) {
      while (dirent* entry = readdir(listing))
        if (entry->d_name[0] != '.') names.push_back(entry->d_name);
      closedir(listing);
    }
    if (names.empty()) {
      std::fprintf(stderr, "fuzz replay: %s is missing or holds no input\n", folder.c_str());
      return 2;
    }
    std::sort(names.begin(), names.end());
    std::vector<uint8_t> bytes;
    for (const std::string& name : names) {
      const std::string path = folder + "/" + name;
      if (!ReadBytes(path, &bytes)) {
        std::fprintf(stderr, "fuzz replay: cannot read %s\n", path.c_str());
        return 2;
      }
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return 0;
}
