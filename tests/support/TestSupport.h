#pragma once
// Helpers shared by the test programs.

#include <string>
#include <vector>

namespace ktest {

// Folder of the running test program, with a trailing backslash.
std::string ExeFolder();

// The build's stand-in Palm Desktop folder and sample conduit folder (full paths, no trailing
// backslash), found from the test program's own place in the build tree.
std::string PalmFolder();
std::string ConduitsFolder();

// Reads a whole file; empty when it cannot be read.
std::vector<unsigned char> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
// True while a safe write of `target` has left its temporary file ("<target>.kestrin-<n>.tmp").
bool HasTempLeftover(const std::string& target);

// A fresh, empty folder under the test program's folder, removed with its files on destruction.
class TempDir {
 public:
  explicit TempDir(const char* name);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }  // with a trailing backslash
  std::string file(const char* name) const { return m_path + name; }

 private:
  std::string m_path;
};

}  // namespace ktest
