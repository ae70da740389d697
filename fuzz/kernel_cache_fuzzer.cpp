// Fuzz target: the kernel cache loader. The input describes a file that is
// put under the cache name of a kernel in a scratch folder, which is the
// working directory; LoadCachedKernel then either fills KernelTable from it
// or asks for the kernel to be computed (nothing is computed here).
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
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/grids.h"
#include "field/kernel_cache.h"
#include "field/magnet_color_table.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "kernel_cache check failed: %s\n", what);
  std::abort();
}

// A scratch folder as the working directory, made once per process.
void EnterScratchFolder() {
  static bool entered = false;
  if (entered) return;
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = std::string(base) + "/fluxart_fuzz_cache_XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  Check(mkdtemp(name.data()) != nullptr && chdir(name.data()) == 0, "scratch folder");
  entered = true;
}

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

bool AllFinite(const std::vector<unsigned char>& bytes) {
  for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
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
  EnterScratchFolder();
  const int kind = AxialDipole + data[0] % 3;
  const int h = (data[0] / 3) % 6;
  const int angle = data[1];
  CurrentZ = static_cast<float>(static_cast<int>((data[2] << 8) | data[3]) % 2003 - 1001);
  const int shape = data[4] % 6;
  const uint8_t* payload = data + 5;
  const size_t payload_size = size - 5;

  std::vector<unsigned char> file;
  if (shape == 0) {
    file.assign(payload, payload + payload_size);
  } else if (shape <= 3) {
    file = FiniteTableBytes();
    size_t offset = payload_size >= 4 ? BigEndian32(payload) % kKernelFileBytes : 0;
    const size_t change = payload_size > 0 ? payload[0] + 1u : 1u;
    if (shape == 2) file.resize(file.size() + change, 0x41);
    if (shape == 3) file.resize(file.size() - change);
    for (size_t k = 0; k < payload_size && offset < file.size(); ++k, ++offset)
      file[offset] = payload[k];
  }

  const std::string name = KernelCacheName(kind, h, angle, CurrentZ);
  if (shape <= 3) {
    std::FILE* out = std::fopen(name.c_str(), "wb");
    Check(out != nullptr, "cache file written");
    Check(std::fwrite(file.data(), 1, file.size(), out) == file.size(), "cache file written");
    Check(std::fclose(out) == 0, "cache file written");
  } else if (shape == 5) {
    Check(mkdir(name.c_str(), 0700) == 0, "folder under the cache name");
  }

  // Leftovers of the previous input must not make a bad file look good.
  std::memset(KernelTable, 0x7f, sizeof(KernelTable));
  const bool loaded = LoadCachedKernel(kind, h, angle);
  const bool trusted = h != 0 && shape <= 3 && file.size() == kKernelFileBytes && AllFinite(file);
  Check(loaded == trusted, "a file is taken exactly when it has the size and finite values");
  if (loaded) Check(std::memcmp(KernelTable, file.data(), kKernelFileBytes) == 0, "table is the file");

  if (shape == 5)
    rmdir(name.c_str());
  else
    std::remove(name.c_str());
  return 0;
}
