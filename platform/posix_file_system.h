// The file system on a POSIX system, rooted at the program's working directory (the process's
// own current directory is never changed).
#pragma once

#include <sys/types.h>

#include <string>

#include "file_system.h"

namespace tolvarn {

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
  FileStatus Snapshot(std::string_view from, std::string_view to) override;

 private:
  std::string Full(std::string_view path) const;
  // Writes `text`, or the contents of the file `source`, to a new temporary file beside
  // `target`, and puts it under that name: by a rename over it, or by a link that fails when
  // the name is taken.
  FileStatus WriteTemporary(const std::string& target, std::string_view text, const char* source,
                            bool replace, mode_t mode);

  std::string root_;
};

}  // namespace tolvarn
