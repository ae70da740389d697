#include "field/kernel_checksums.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/regular_file.h"
#include "core/whole_file.h"

namespace {

constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ull;
constexpr char kMagic[8] = {'F', 'L', 'U', 'X', 'S', 'U', 'M', '1'};

// Every step of a lane, x -> (x ^ word) * kOdd, is a bijection of x and of
// word, and so is the mixing of the lanes in each lane. Eight lanes keep
// the multiplier busy while each lane waits for its last product.
std::uint64_t ChecksumOfWords(const unsigned char* bytes, std::size_t words) {
  constexpr int kLanes = 8;
  std::uint64_t lane[kLanes] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::size_t k = 0;
  for (; k + kLanes <= words; k += kLanes)
    for (int l = 0; l < kLanes; ++l) {
      std::uint64_t word;
      std::memcpy(&word, bytes + 8 * (k + l), 8);
      lane[l] = (lane[l] ^ word) * kOdd;
    }
  for (int l = 0; k < words; ++k, ++l) {
    std::uint64_t word;
    std::memcpy(&word, bytes + 8 * k, 8);
    lane[l] = (lane[l] ^ word) * kOdd;
  }
  std::uint64_t sum = 0;
  for (std::uint64_t value : lane) sum = (sum ^ value) * kOdd;
  return sum;
}

int StretchEnd(int stretch) { return std::min(kKernelSide, (stretch + 1) * kChecksumCells); }

void PutWord(std::vector<unsigned char>& bytes, std::uint64_t value, int size) {
  for (int b = 0; b < size; ++b) bytes.push_back(static_cast<unsigned char>(value >> (8 * b)));
}

std::uint64_t GetWord(const unsigned char* bytes, int size) {
  std::uint64_t value = 0;
  for (int b = 0; b < size; ++b) value |= std::uint64_t{bytes[b]} << (8 * b);
  return value;
}

// The file's bytes: the magic, the key, the table's side and the stretch,
// the checksums row by row, then the checksum of all that went before.
std::vector<unsigned char> EncodeChecksums(const KernelChecksums& checksums) {
  std::vector<unsigned char> bytes(kMagic, kMagic + 8);
  for (int value : {checksums.key.z_tag, checksums.key.kind, checksums.key.half_size,
                    checksums.key.angle, kKernelSide, kChecksumCells})
    PutWord(bytes, static_cast<std::uint32_t>(value), 4);
  for (std::uint64_t sum : checksums.sums) PutWord(bytes, sum, 8);
  PutWord(bytes, ChecksumOfWords(bytes.data(), bytes.size() / 8), 8);
  return bytes;
}

}  // namespace

std::uint64_t StretchChecksum(const float* values, int cells) {
  return ChecksumOfWords(reinterpret_cast<const unsigned char*>(values),
                         static_cast<std::size_t>(cells) * 3 / 2);
}

KernelChecksums ComputeKernelChecksums(const KernelTable& table, const KernelCacheKey& key) {
  KernelChecksums checksums;
  checksums.key = key;
  checksums.sums.resize(std::size_t{kKernelSide} * kChecksumsPerRow);
  for (int p = 0; p < kKernelSide; ++p)
    for (int s = 0; s < kChecksumsPerRow; ++s)
      checksums.sums[std::size_t{kChecksumsPerRow} * p + s] =
          StretchChecksum(table[p][s * kChecksumCells], StretchEnd(s) - s * kChecksumCells);
  return checksums;
}

bool RowMatchesChecksums(const KernelTable& table, int row, int column_begin, int column_end,
                         const KernelChecksums& checksums) {
  for (int s = column_begin / kChecksumCells; s * kChecksumCells < column_end; ++s)
    if (StretchChecksum(table[row][s * kChecksumCells], StretchEnd(s) - s * kChecksumCells) !=
        checksums.sums[std::size_t{kChecksumsPerRow} * row + s])
      return false;
  return true;
}

KernelWindow WholeStretches(const KernelWindow& window) {
  KernelWindow wide = window;
  wide.column_begin = window.column_begin / kChecksumCells * kChecksumCells;
  if (window.column_end > window.column_begin)
    wide.column_end = StretchEnd((window.column_end - 1) / kChecksumCells);
  return wide;
}

ChecksumsFile ReadKernelChecksums(const std::string& path, const KernelCacheKey& key,
                                  KernelChecksums* checksums) {
  // Anything but a regular file under the name cannot be checksums this
  // program wrote: the kernel's file is then one of unknown origin.
  FileKind kind;
  std::FILE* file = OpenRegularFile(path, &kind);
  if (!file) return ChecksumsFile::kMissing;
  std::vector<unsigned char> bytes(kChecksumsFileBytes + 1);
  const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (read != kChecksumsFileBytes || std::memcmp(bytes.data(), kMagic, 8) != 0)
    return ChecksumsFile::kDamaged;
  const unsigned char* at = bytes.data() + 8;
  for (int value : {key.z_tag, key.kind, key.half_size, key.angle, kKernelSide, kChecksumCells}) {
    if (GetWord(at, 4) != static_cast<std::uint32_t>(value)) return ChecksumsFile::kDamaged;
    at += 4;
  }
  const std::size_t body = kChecksumsFileBytes - 8;
  if (GetWord(bytes.data() + body, 8) != ChecksumOfWords(bytes.data(), body / 8))
    return ChecksumsFile::kDamaged;
  checksums->key = key;
  checksums->sums.resize(std::size_t{kKernelSide} * kChecksumsPerRow);
  for (std::uint64_t& sum : checksums->sums) {
    sum = GetWord(at, 8);
    at += 8;
  }
  return ChecksumsFile::kRead;
}

bool StoreKernelChecksums(const std::string& path, const KernelChecksums& checksums,
                          std::string* reason) {
  const std::vector<unsigned char> bytes = EncodeChecksums(checksums);
  return WriteWholeFile(path, bytes.data(), bytes.size(), false, reason);
}
