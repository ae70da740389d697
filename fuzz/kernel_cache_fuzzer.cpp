// Fuzz target: the kernel cache reader. The input describes a file that is
// put under the cache name of a kernel in a scratch folder, which is made
// the working directory for the call; LoadKernelFile then either fills the
// workspace's kernel table from it or refuses it. (The check of the contents
// against sampled cells, which a made-up table never passes, has its own
// tests.)
//
// A trusted file has exactly 19,783,872 bytes, far beyond what a fuzzer
// mutates well, so the input is a short description of the file:
//   byte 0: kind (1-3) and half-size h (0-5); byte 1: angle; bytes 2-3: z;
//   byte 4: shape of the file, then the payload:
//     shape 0: the file is the payload itself;
//     shape 1: a table of finite values of the exact size, the payload
//              written over it at the offset given by its first 4 bytes;
//     shape 2, 3: as 1, but (payload byte 0) + 1 bytes longer or shorter;
//     shape 4: no file; shape 5: a folder under the name.
// The check: the kernel is taken exactly when h >= 1 and the file has the
// exact size and holds only finite values, and then the table is the file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <memory>

#include "core/magnet_color_table.h"
#include "core/workspace.h"
#include "field/kernel_cache.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "kernel_cache check failed: %s\n", what);
  std::abort();
}

// A scratch folder, made once per process and removed at its end; each
// input is run with it as the working directory, and the directory the
// fuzzer started in (where it reads and writes its corpus) is put back.
const std::string& ScratchFolder() {
  static std::string folder;
  if (folder.empty()) {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/fluxart_fuzz_cache_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    Check(mkdtemp(name.data()) != nullptr, "scratch folder made");
    folder = name.data();
    std::atexit([] { rmdir(ScratchFolder().c_str()); });
  }
  return folder;
}

class InScratchFolder {
 public:
  InScratchFolder() : previous_(open(".", O_RDONLY | O_DIRECTORY)) {
    Check(previous_ >= 0 && chdir(ScratchFolder().c_str()) == 0, "scratch folder entered");
  }
  ~InScratchFolder() {
    Check(fchdir(previous_) == 0, "working directory put back");
    close(previous_);
  }

 private:
  int previous_;
};

// The bytes of a table of finite values, each telling where it sits.
const std::vector<unsigned char>& FiniteTableBytes() {
  static std::vector<unsigned char> bytes;
  if (bytes.empty()) {
    std::vector<float> values(kKernelFileBytes / sizeof(float));
    for (size_t k = 0; k < values.size(); ++k) values[k] = static_cast<float>(k % 65536) * 0.25f;
    bytes.resize(kKernelFileBytes);
    std::memcpy(bytes.data(), values.data(), kKernelFileBytes);
  }
  return bytes;
}

// True when every whole float of bytes[begin, end), on 4-byte steps from 0,
// is finite.
bool AllFinite(const std::vector<unsigned char>& bytes, size_t begin, size_t end) {
  for (size_t at = begin & ~size_t{3}; at + 4 <= end; at += 4) {
    float value;
    std::memcpy(&value, &bytes[at], 4);
    if (!std::isfinite(value)) return false;
  }
  return true;
}

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  InScratchFolder scratch;
  const int kind = AxialDipole + data[0] % 3;
  const int h = (data[0] / 3) % 6;
  const int angle = data[1];
  static const std::unique_ptr<Workspace> workspace = std::make_unique<Workspace>();
  Workspace& ws = *workspace;
  const float z = static_cast<float>(static_cast<int>((data[2] << 8) | data[3]) % 2003 - 1001);
  const int shape = data[4] % 6;
  const uint8_t* payload = data + 5;
  const size_t payload_size = size - 5;

  // The file's bytes: the payload, or the finite table (kept between
  // inputs and put back afterwards, as copying it costs more than the rest)
  // with the payload over [offset, patch_end).
  static std::vector<unsigned char> table_file = FiniteTableBytes();
  std::vector<unsigned char> payload_file;
  size_t offset = 0, patch_end = 0;
  if (shape == 0) payload_file.assign(payload, payload + payload_size);
  std::vector<unsigned char>& file = shape == 0 ? payload_file : table_file;
  if (shape >= 1 && shape <= 3) {
    offset = payload_size >= 4 ? BigEndian32(payload) % kKernelFileBytes : 0;
    const size_t change = payload_size > 0 ? payload[0] + 1u : 1u;
    if (shape == 2) file.resize(kKernelFileBytes + change, 0x41);  // finite filler
    if (shape == 3) file.resize(kKernelFileBytes - change);
    patch_end = std::min(file.size(), offset + payload_size);
    if (offset < patch_end) std::memcpy(&file[offset], payload, patch_end - offset);
  }

  const std::string name = KernelCacheName(kind, h, angle, z);
  if (shape <= 3) {
    std::FILE* out = std::fopen(name.c_str(), "wb");
    Check(out != nullptr, "cache file written");
    // An empty file has no data pointer to hand to fwrite.
    Check(file.empty() || std::fwrite(file.data(), 1, file.size(), out) == file.size(),
          "cache file written");
    Check(std::fclose(out) == 0, "cache file written");
  } else if (shape == 5) {
    Check(mkdir(name.c_str(), 0700) == 0, "folder under the cache name");
  }

  // Leftovers of the previous input must not make a bad file look good.
  std::memset(ws.kernel_table, 0x7f, sizeof(KernelTable));
  const bool loaded = h != 0 && LoadKernelFile(name, ws.kernel_table);
  // Outside the payload the file is finite (the table or the filler).
  const bool finite = shape == 0 ? AllFinite(file, 0, file.size())
                                 : AllFinite(file, offset, std::min(file.size(), patch_end + 3));
  const bool trusted = h != 0 && shape <= 3 && file.size() == kKernelFileBytes && finite;
  Check(loaded == trusted, "a file is taken exactly when it has the size and finite values");
  if (loaded)
    Check(std::memcmp(ws.kernel_table, file.data(), kKernelFileBytes) == 0, "table is the file");

  if (shape >= 1 && shape <= 3) {
    const std::vector<unsigned char>& table = FiniteTableBytes();
    const size_t shortened = std::min(table_file.size(), kKernelFileBytes);
    table_file.resize(kKernelFileBytes);
    const size_t patched_end = std::min(patch_end, kKernelFileBytes);
    if (offset < patched_end)
      std::memcpy(&table_file[offset], &table[offset], patched_end - offset);
    std::memcpy(&table_file[shortened], &table[shortened], kKernelFileBytes - shortened);
  }

  if (shape == 5)
    rmdir(name.c_str());
  else
    std::remove(name.c_str());
  return 0;
}
