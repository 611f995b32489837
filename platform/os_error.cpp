#include "platform/os_error.h"

#include <utility>

#include "platform/unicode.h"

namespace platform {

OsError::OsError(std::u16string message)
    : std::runtime_error(Utf16ToUtf8(message)), message_(std::move(message)) {}

}  // namespace platform
