#include "support/hidden_entry.h"

#include "platform/win32/win32_api.h"

#include <stdexcept>
#include <string>

namespace korlo_test {

void MarkHidden(const std::filesystem::path& path) {
  if (!path.filename().wstring().starts_with(L'.')) {
    throw std::invalid_argument("a hidden entry's name begins with '.'");
  }
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN) == FALSE) {
    throw std::runtime_error("cannot set the hidden attribute: error " +
                             std::to_string(GetLastError()));
  }
}

}  // namespace korlo_test
