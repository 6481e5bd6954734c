// The file system on a POSIX system, rooted at the program's working directory (the process's
// own current directory is never changed).
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/file_system.h"

namespace tolvarn {

// Whether a process has ended: it is gone, or a zombie that its parent has not reaped yet.
bool ProcessHasEnded(int pid);

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(std::string root) : root_(std::move(root)) {}

  bool DirectoryExists(std::string_view path) override;
  bool Exists(std::string_view path) override;
  bool IsFile(std::string_view path) override;
  std::unique_ptr<LineReader> OpenForReading(std::string_view path) override;
  std::unique_ptr<BlockReader> OpenBlocks(std::string_view path) override;
  FileStatus Append(std::string_view path, std::string_view text) override;
  FileStatus CreateNew(std::string_view path, std::string_view text) override;
  FileStatus Replace(std::string_view path, std::string_view text) override;
  FileStatus Renew(std::string_view path, std::string_view text) override;
  ArchiveStatus Archive(std::string_view from, std::string_view to,
                        std::string_view fresh) override;

 private:
  std::string Full(std::string_view path) const;
  FileStatus AppendEntry(std::string_view path, std::string_view text);
  // Replace, and Renew when `renew`: a read-only file is replaced too. With `lock`, a renewal
  // holds the old file's lock while it replaces it.
  FileStatus Overwrite(std::string_view path, std::string_view text, bool renew, bool lock);

  std::string root_;
};

}  // namespace tolvarn
