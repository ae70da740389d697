#include "field/kernel_file_write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#include "core/whole_file.h"

std::string NotKeptNotice(Workspace& workspace, const std::string& name,
                          const std::string& reason) {
  bool& told = workspace.cache_notices.not_kept;
  if (told) return "";
  told = true;
  return "fluxart: could not keep the kernel cache file " + name + " (" + reason +
         "); check the folder can be written\n";
}

std::string JoinKernelFileWrite(Workspace& workspace) {
  KernelFileWrite& write = workspace.kernel_file_write;
  if (!write.writer.joinable()) return "";
  write.writer.join();
  const std::string name = write.name;
  write.name.clear();
  return write.stored ? "" : NotKeptNotice(workspace, name, write.reason);
}

bool StartKernelFileWrite(Workspace& workspace, const std::string& name, std::string* reason) {
  KernelFileWrite& write = workspace.kernel_file_write;
  WholeFile file;
  if (!BeginWholeFile(name, false, false, &file, reason)) return false;
  write.copy.resize(kKernelTableBytes / sizeof(float));
  std::memcpy(write.copy.data(), workspace.kernel_table, kKernelTableBytes);
  write.name = name;
  write.stored = false;
  write.reason.clear();
  try {
    write.writer = std::thread([&write, file]() mutable {
      errno = 0;
      if (std::fwrite(write.copy.data(), 1, kKernelTableBytes, file.stream) != kKernelTableBytes) {
        write.reason = std::strerror(errno ? errno : EIO);
        AbandonWholeFile(&file);
        return;
      }
      write.stored = FinishWholeFile(&file, &write.reason);
    });
  } catch (const std::system_error&) {
    // No thread to be had: written here and now instead.
    write.name.clear();
    AbandonWholeFile(&file);
    return WriteWholeFile(name, workspace.kernel_table, kKernelTableBytes, false, reason);
  }
  return true;
}

void FinishKernelFileWrite(Workspace& workspace) {
  const std::string notice = JoinKernelFileWrite(workspace);
  if (notice.empty()) return;
  PrintCacheNotice(notice);
  std::fflush(stdout);
}

void PrintCacheNotice(const std::string& line) { std::printf("\n%s%33s", line.c_str(), ""); }
