#include "support/temp_tree.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

#include "platform/unicode.h"

namespace korlo_test {

namespace fs = std::filesystem;

TempTree::TempTree() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  root_ = fs::temp_directory_path() /
          ("korlo-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(root_);
}

TempTree::~TempTree() {
  std::error_code ignored;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root_, ignored);
}

fs::path TempTree::WriteFile(std::string_view relative, std::string_view bytes) const {
  const fs::path path = root_ / fs::path(std::string(relative));
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write fixture " + path.string());
  return path;
}

fs::path TempTree::MakeDir(std::string_view relative) const {
  const fs::path path = root_ / fs::path(std::string(relative));
  fs::create_directories(path);
  return path;
}

std::u16string TempTree::WindowsStylePath(std::string_view relative) const {
  // UTF-8 with every library: string() gives the ANSI code page with Microsoft's, and that may
  // not hold the name.
  const std::u8string utf8 =
      (relative.empty() ? root_ : root_ / fs::path(std::string(relative))).u8string();
  std::string text(utf8.begin(), utf8.end());
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return platform::Utf8ToUtf16(text);
}

}  // namespace korlo_test
