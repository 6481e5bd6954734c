// A fresh directory for each test, and the example configuration file an installation holds.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace tolvarn::testing {

// Water 1.20 and sewerage 1.50 per cubic metre, 95 %, no VAT, 2.5 % inflation, ten years, as
// Save Data writes it at the fake clock's time.
inline const std::string kExampleConfiguration =
    "# Tolvarn Version 4.3\r\n# Configuration File\r\n# 07-Dec-26 09:05:03\r\n\r\n[Run]\r\n"
    "AnInf=33.5\r\nLogLevel=1\r\nRunOnTop=1\r\nPayPeriod=10\r\nSVCost=150\r\nSVAllow=95\r\n"
    "VRate=1\r\nVUnits=1\r\nWVCost=120\r\n";

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Under $TMPDIR, so that the tests can be run on another file system; removed with all it holds,
// write permission a test took away included.
class TempDir : public ::testing::Test {
 protected:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tolvarn_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary directory");
    dir_ = pattern;
  }
  ~TempDir() override {
    namespace fs = std::filesystem;
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(dir_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
      if (it->is_directory(ignored) && !it->is_symlink(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }
  // Data/, Help/ and Log/ with the example configuration file and a help index.
  void Install() {
    for (const char* sub : {"Data", "Help", "Log"})
      std::filesystem::create_directory(dir_ / sub);
    Write("Data/Tolvarn.ini", kExampleConfiguration);
    Write("Help/index.htm", "<html></html>");
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const { return ReadFile(dir_ / name); }

  std::filesystem::path dir_;
};

}  // namespace tolvarn::testing
