#include "tests/support/fake_file_system.h"

#include <algorithm>
#include <utility>

namespace tolvarn {

// The file's text as it was when opened, in lines or in blocks of 4096 bytes.
class FakeFileSystem::Reader final : public LineReader, public BlockReader {
 public:
  Reader(std::string text, bool fail) : text_(std::move(text)), fail_(fail) {}
  bool ReadLine(std::string& line) override {
    if (!More()) return false;
    const size_t end = std::min(text_.find('\n', pos_), text_.size());
    line = text_.substr(pos_, end - pos_);
    if (line.ends_with('\r')) line.pop_back();
    pos_ = end + 1;
    return true;
  }
  bool Read(std::string_view& block) override {
    if (!More()) return false;
    block = std::string_view(text_).substr(pos_, 4096);
    pos_ += block.size();
    return true;
  }
  bool Failed() const override { return failed_; }

 private:
  bool More() {
    failed_ = fail_;
    return !failed_ && pos_ < text_.size();
  }
  std::string text_;
  size_t pos_ = 0;
  bool fail_;
  bool failed_ = false;
};

bool FakeFileSystem::Fails(FileStep step) {
  if (fail_step_ != step || fail_skip_-- > 0) return false;
  fail_step_ = FileStep::None;
  return true;
}

std::unique_ptr<FakeFileSystem::Reader> FakeFileSystem::Open(std::string_view path) {
  operations.push_back("Read " + std::string(path));
  const auto file = files.find(std::string(path));
  if (file == files.end() || Fails(FileStep::Open)) return nullptr;
  return std::make_unique<Reader>(file->second, Fails(FileStep::Read));
}

std::unique_ptr<LineReader> FakeFileSystem::OpenForReading(std::string_view path) {
  return Open(path);
}

std::unique_ptr<BlockReader> FakeFileSystem::OpenBlocks(std::string_view path) {
  return Open(path);
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
  if (!Exists(path)) return Write(path, text, "CreateNew");
  operations.push_back("CreateNew " + std::string(path));
  return {FileStep::Exists};
}

// Written in full before it appears under its name: a failure leaves the old file whole.
FileStatus FakeFileSystem::Write(std::string_view path, std::string_view text,
                                 const char* operation) {
  operations.push_back(operation + (" " + std::string(path)));
  const size_t slash = path.rfind('/');
  if (!DirectoryExists(slash == std::string_view::npos ? "" : path.substr(0, slash)) ||
      Fails(FileStep::Open))
    return {FileStep::Open};
  for (const FileStep step : {FileStep::Write, FileStep::Flush, FileStep::Rename})
    if (Fails(step)) return {step, 28};  // ENOSPC
  files[std::string(path)] = std::string(text);
  return {};
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
  ArchiveStatus status{Write(to, source->second, "Archive"), {}};
  if (status.archive.ok()) status.renew = Renew(from, fresh);
  if (!status.renew.ok()) files.erase(std::string(to));  // all or nothing
  return status;
}

}  // namespace tolvarn
