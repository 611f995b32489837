#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korlo_test {

// A fresh directory under the system's temporary folder, removed with everything in it when the
// object goes. Files are written byte for byte, so a fixture shows its line ends, BOM and code
// page exactly.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::filesystem::path& Root() const { return root_; }

  // Creates `relative` (with '/' separators) and its parent folders, holding `bytes`.
  std::filesystem::path WriteFile(std::string_view relative, std::string_view bytes) const;
  // Creates the folder `relative` and its parents.
  std::filesystem::path MakeDir(std::string_view relative) const;

  // The absolute path of `relative` (or of the root) as the core spells paths: with '\'
  // separators, which the POSIX platform layer maps back to '/'.
  std::u16string WindowsStylePath(std::string_view relative = {}) const;

 private:
  std::filesystem::path root_;
};

}  // namespace korlo_test
