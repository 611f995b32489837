#include "platform/fresh_memory.h"

#include <algorithm>

namespace platform {

void ResizeForOverwrite(std::string& buffer, std::size_t size) {
  if (size > buffer.capacity()) {
    buffer = std::string();  // nothing to copy; from empty, reserve gives what it is asked
    buffer.reserve(std::min(size + size / 8, buffer.max_size()));
    PrepareForWriting(buffer.data(), size);
  }
  buffer.resize(size);
}

}  // namespace platform
