#include "platform/code_page.h"

#include <cstdlib>

namespace platform {

CodePage SystemAnsiCodePage() {
  // The precedence the C library gives these variables for the character type category.
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return CodePageForLocale(value);
  }
  return CodePageForLocale("C");
}

}  // namespace platform
