#include "tests/support/fake_file_system.h"

#include <utility>

namespace tolvarn {
namespace {

class StringLineReader final : public LineReader {
 public:
  StringLineReader(std::string text, bool fail_reading)
      : text_(std::move(text)), fail_reading_(fail_reading) {}
  bool ReadLine(std::string& line) override {
    if (fail_reading_) {
      failed_ = true;
      return false;
    }
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos_ = end + 1;
    return true;
  }
  bool Failed() const override { return failed_; }

 private:
  std::string text_;
  size_t pos_ = 0;
  bool fail_reading_;
  bool failed_ = false;
};

class StringBlockReader final : public BlockReader {
 public:
  StringBlockReader(std::string text, size_t block_size, bool fail_reading)
      : text_(std::move(text)), block_size_(block_size), fail_reading_(fail_reading) {}
  bool Read(std::string_view& block) override {
    if (fail_reading_) failed_ = true;
    if (failed_ || pos_ >= text_.size()) return false;
    block = std::string_view(text_).substr(pos_, block_size_);
    pos_ += block.size();
    return true;
  }
  bool Failed() const override { return failed_; }

 private:
  std::string text_;
  size_t block_size_;
  size_t pos_ = 0;
  bool fail_reading_;
  bool failed_ = false;
};

std::string DirectoryOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? "" : std::string(path.substr(0, slash));
}

}  // namespace

bool FakeFileSystem::Fails(FileStep step) {
  if (fail_step_ != step) return false;
  if (fail_skip_ > 0) {
    --fail_skip_;
    return false;
  }
  fail_step_ = FileStep::None;
  return true;
}

bool FakeFileSystem::DirectoryExists(std::string_view path) {
  return directories.contains(std::string(path));
}

bool FakeFileSystem::Exists(std::string_view path) {
  return files.contains(std::string(path)) || directories.contains(std::string(path));
}

std::unique_ptr<LineReader> FakeFileSystem::OpenForReading(std::string_view path) {
  operations.push_back("Read " + std::string(path));
  const auto file = files.find(std::string(path));
  if (file == files.end() || Fails(FileStep::Open)) return nullptr;
  return std::make_unique<StringLineReader>(file->second, Fails(FileStep::Read));
}

std::unique_ptr<BlockReader> FakeFileSystem::OpenBlocks(std::string_view path) {
  operations.push_back("Read " + std::string(path));
  const auto file = files.find(std::string(path));
  if (file == files.end() || Fails(FileStep::Open)) return nullptr;
  return std::make_unique<StringBlockReader>(file->second, block_size, Fails(FileStep::Read));
}

FileStatus FakeFileSystem::Append(std::string_view path, std::string_view text) {
  operations.push_back("Append " + std::string(path));
  const auto file = files.find(std::string(path));
  if (file == files.end() || Fails(FileStep::Open)) return {FileStep::Open};
  if (Fails(FileStep::Write)) return {FileStep::Write};
  file->second += text;
  return {};
}

FileStatus FakeFileSystem::CreateNew(std::string_view path, std::string_view text) {
  operations.push_back("CreateNew " + std::string(path));
  if (Exists(path)) return {FileStep::Exists};
  if (!DirectoryExists(DirectoryOf(path)) || Fails(FileStep::Open)) return {FileStep::Open};
  // Written in full before it appears under its name: a failure leaves nothing.
  for (const FileStep step : {FileStep::Write, FileStep::Flush, FileStep::Rename})
    if (Fails(step)) return {step};
  files[std::string(path)] = std::string(text);
  return {};
}

FileStatus FakeFileSystem::Write(std::string_view path, std::string text, const char* operation) {
  operations.push_back(std::string(operation) + " " + std::string(path));
  if (!DirectoryExists(DirectoryOf(path)) || Fails(FileStep::Open)) return {FileStep::Open};
  for (const FileStep step : {FileStep::Write, FileStep::Flush, FileStep::Rename})
    if (Fails(step)) return {step, fail_error};  // the temporary file is gone, the old one whole
  files[std::string(path)] = std::move(text);
  return {};
}

FileStatus FakeFileSystem::Replace(std::string_view path, std::string_view text) {
  return Write(path, std::string(text), "Replace");
}

FileStatus FakeFileSystem::Renew(std::string_view path, std::string_view text) {
  return Write(path, std::string(text), "Renew");
}

FileSystem::ArchiveStatus FakeFileSystem::Archive(std::string_view from, std::string_view to,
                                                  std::string_view fresh) {
  const auto source = files.find(std::string(from));
  const auto refused = [&](FileStep step) -> ArchiveStatus {
    operations.push_back("Archive " + std::string(to));
    return {{step}, {}};
  };
  if (source == files.end()) return refused(FileStep::Open);
  if (Exists(to)) return refused(FileStep::Exists);
  if (Fails(FileStep::Read)) return refused(FileStep::Read);
  ArchiveStatus status;
  status.archive = Write(to, source->second, "Archive");
  if (status.archive.ok()) status.renew = Renew(from, fresh);
  if (status.archive.ok() && !status.renew.ok()) files.erase(std::string(to));  // all or nothing
  return status;
}

}  // namespace tolvarn
