#include "platform/file_name_order.h"

#include <algorithm>
#include <cstddef>

#include "platform/upper_case.h"

namespace platform {
namespace {

// "." sorts before "..", and both before every other name.
int DotRank(std::u16string_view name) {
  if (name == u".") return 0;
  if (name == u"..") return 1;
  return 2;
}

}  // namespace

bool FileNameLess(std::u16string_view left, std::u16string_view right) {
  const std::size_t common = std::min(left.size(), right.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t a = UpperCaseUnit(left[i]);
    const char16_t b = UpperCaseUnit(right[i]);
    if (a != b) return a < b;
  }
  if (left.size() != right.size()) return left.size() < right.size();
  return left < right;
}

void SortFileNames(std::vector<std::u16string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::u16string& left, const std::u16string& right) {
              const int leftRank = DotRank(left);
              const int rightRank = DotRank(right);
              if (leftRank != rightRank) return leftRank < rightRank;
              return FileNameLess(left, right);
            });
}

}  // namespace platform
