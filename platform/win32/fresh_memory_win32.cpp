#include "platform/fresh_memory.h"

namespace platform {

// Windows offers no call that commits fresh private pages ahead of their first write (the
// prefetch call reads pages in, it does not create them): the pages keep faulting in one by one.
void PrepareForWriting(void*, std::size_t) noexcept {}

}  // namespace platform
