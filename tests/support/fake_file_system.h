// A file system in memory for tests, that can be made to fail at a chosen step of the next
// operation, as a full disk or a missing permission would.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tolvarn {

class FakeFileSystem final : public FileSystem {
 public:
  bool DirectoryExists(std::string_view path) override {
    return directories.contains(std::string(path));
  }
  bool Exists(std::string_view path) override { return IsFile(path) || DirectoryExists(path); }
  bool IsFile(std::string_view path) override { return files.contains(std::string(path)); }
  std::unique_ptr<LineReader> OpenForReading(std::string_view path) override;
  std::unique_ptr<BlockReader> OpenBlocks(std::string_view path) override;
  FileStatus Append(std::string_view path, std::string_view text) override;
  FileStatus CreateNew(std::string_view path, std::string_view text) override;
  FileStatus Replace(std::string_view path, std::string_view text) override {
    return Write(path, text, "Replace");
  }
  FileStatus Renew(std::string_view path, std::string_view text) override {
    return Write(path, text, "Renew");
  }
  ArchiveStatus Archive(std::string_view from, std::string_view to,
                        std::string_view fresh) override;

  void AddDirectory(const std::string& path) { directories.insert(path); }
  // The next operation that reaches `step` fails there; `skip` lets that many such operations
  // pass first.
  void FailAt(FileStep step, int skip = 0) {
    fail_step_ = step;
    fail_skip_ = skip;
  }

  std::set<std::string> directories;
  std::map<std::string, std::string> files;
  std::vector<std::string> operations;  // "Append Log/Tolvarn.log", ... in order

 private:
  class Reader;
  std::unique_ptr<Reader> Open(std::string_view path);
  // Whether the operation fails at this step (and uses up the failure if so).
  bool Fails(FileStep step);
  FileStatus Write(std::string_view path, std::string_view text, const char* operation);

  FileStep fail_step_ = FileStep::None;
  int fail_skip_ = 0;
};

}  // namespace tolvarn
