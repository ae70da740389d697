#include "core/file_system.h"

#include <filesystem>
#include <system_error>

#include "core/whole_file_platform.h"

namespace {

class SystemFileSystem : public FileSystem {
 public:
  std::FILE* WriteStream(int descriptor, bool text) override {
    return OpenWriteStream(descriptor, text);
  }
  bool FreeBytes(const std::string& folder, std::uint64_t* bytes) override {
    std::error_code error;
    const std::filesystem::space_info space =
        std::filesystem::space(folder.empty() ? "." : folder, error);
    if (error || space.capacity == 0 || space.available == static_cast<std::uintmax_t>(-1))
      return false;
    *bytes = space.available;
    return true;
  }
};

SystemFileSystem system_file_system;
FileSystem* active = &system_file_system;

}  // namespace

FileSystem& ActiveFileSystem() { return *active; }

void UseFileSystem(FileSystem* file_system) {
  active = file_system ? file_system : &system_file_system;
}
