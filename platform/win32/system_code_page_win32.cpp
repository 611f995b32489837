#include "platform/code_page.h"

#include "platform/win32/win32_api.h"

namespace platform {

CodePage SystemAnsiCodePage() {
  return CodePage{GetACP()};
}

}  // namespace platform
