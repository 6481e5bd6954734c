// The files the program keeps, as the logic sees them. Paths are relative to the working
// directory and use "/". Every write that replaces or adds to a file is done so that a failure
// or a crash part-way never leaves a damaged file behind.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tolvarn {

// The step of a file operation that failed, if any.
// Exists: the name was taken (by another running copy, or anything else standing there).
enum class FileStep { None, Open, Read, Write, Flush, Rename, Exists };

struct FileStatus {
  FileStep failed = FileStep::None;
  int error = 0;  // the system's error number of the failed step, where it had one
  bool ok() const { return failed == FileStep::None; }
};

// Reads a text file line by line. A line ends at a line feed; a carriage return before it is
// dropped, so CR LF and LF files read alike.
class LineReader {
 public:
  virtual ~LineReader() = default;
  // The next line without its line end; false at the end of the file or after a read error.
  virtual bool ReadLine(std::string& line) = 0;
  // Whether reading stopped because of an error rather than the end of the file.
  virtual bool Failed() const = 0;
};

// Reads a file in blocks, for a quick scan of a large file without holding it.
class BlockReader {
 public:
  virtual ~BlockReader() = default;
  // The next block (valid until the next call); false at the end of the file or after an error.
  virtual bool Read(std::string_view& block) = 0;
  virtual bool Failed() const = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool DirectoryExists(std::string_view path) = 0;
  // Whether anything stands under the name (a file, a directory, a link, even a broken one).
  virtual bool Exists(std::string_view path) = 0;
  // Whether the name leads to a regular file (through links).
  virtual bool IsFile(std::string_view path) = 0;

  // Opens a file for reading; nullptr when it cannot be opened.
  virtual std::unique_ptr<LineReader> OpenForReading(std::string_view path) = 0;
  virtual std::unique_ptr<BlockReader> OpenBlocks(std::string_view path) = 0;

  // Adds text to the end of an existing file as one entry: copies running at once never mix
  // their entries, and none is lost to an Archive or a Renew running meanwhile. A failed append
  // leaves the file as it was. Never creates the file, nor writes through a link.
  virtual FileStatus Append(std::string_view path, std::string_view text) = 0;

  // Creates a file that does not exist yet, holding the whole text from the moment it appears
  // under its name, also where the file system has no hard links. Fails with Exists if the name
  // is taken. A new file gets the permissions the user's umask leaves of 0666.
  virtual FileStatus CreateNew(std::string_view path, std::string_view text) = 0;

  // Gives a file (new or existing) the text: written to a temporary file in the same directory,
  // flushed to disk and renamed over the name, so the old file stays whole until the new one is
  // complete. An existing file that may not be written is not replaced; its permissions carry
  // over. A link under the name is replaced as a name, never written through. A crash leaves no
  // temporary file for good: it is unnamed where the file system allows, and otherwise removed
  // by the next write of the same file once its process has ended.
  virtual FileStatus Replace(std::string_view path, std::string_view text) = 0;

  // As Replace, but also over a read-only file (the directory's permissions decide), which
  // keeps its permissions and may be written again.
  virtual FileStatus Renew(std::string_view path, std::string_view text) = 0;

  // Copies `from` to the new file `to`, with `from`'s permissions, then renews `from` with
  // `fresh`: all or nothing. The copy is complete before `from` is touched and is never left
  // partial under its name; an entry another copy appends meanwhile goes whole into `to` or
  // into the renewed `from`. Should the renewal fail, `to` is removed again. Fails with Exists,
  // changing nothing, if `to` is taken; never reads `from` through a link.
  struct ArchiveStatus {
    FileStatus archive;  // making `to`
    FileStatus renew;    // renewing `from`, tried only once `to` is made
  };
  virtual ArchiveStatus Archive(std::string_view from, std::string_view to,
                                std::string_view fresh) = 0;
};

}  // namespace tolvarn
