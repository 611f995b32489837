#include "support/hidden_entry.h"

#include <stdexcept>

namespace korlo_test {

void MarkHidden(const std::filesystem::path& path) {
  if (!path.filename().string().starts_with('.')) {
    throw std::invalid_argument("a hidden entry's name begins with '.': " + path.string());
  }
}

}  // namespace korlo_test
