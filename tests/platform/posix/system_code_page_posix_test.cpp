// The POSIX SystemAnsiCodePage reads the locale variables; Windows asks the system instead.

#include "platform/code_page.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {
namespace {

constexpr std::array<const char*, 3> kLocaleVariables{"LC_ALL", "LC_CTYPE", "LANG"};

// Restores the locale variables of the process when the test ends.
class LocaleVariablesGuard {
 public:
  LocaleVariablesGuard() {
    for (std::size_t i = 0; i < kLocaleVariables.size(); ++i) {
      if (const char* value = getenv(kLocaleVariables[i])) saved_[i] = value;
    }
  }
  ~LocaleVariablesGuard() {
    for (std::size_t i = 0; i < kLocaleVariables.size(); ++i) {
      Set(i, saved_[i]);
    }
  }
  LocaleVariablesGuard(const LocaleVariablesGuard&) = delete;
  LocaleVariablesGuard& operator=(const LocaleVariablesGuard&) = delete;

  static void Set(std::size_t variable, const std::optional<std::string>& value) {
    if (value) {
      setenv(kLocaleVariables[variable], value->c_str(), 1);
    } else {
      unsetenv(kLocaleVariables[variable]);
    }
  }

 private:
  std::array<std::optional<std::string>, 3> saved_;
};

struct EnvironmentCase {
  const char* name;
  std::array<std::optional<std::string>, 3> values;  // LC_ALL, LC_CTYPE, LANG; empty: unset
  std::uint32_t expected;
};

TEST(SystemAnsiCodePageTest, FirstNonEmptyLocaleVariableDecides) {
  const LocaleVariablesGuard guard;
  const EnvironmentCase cases[] = {
      {"none set", {std::nullopt, std::nullopt, std::nullopt}, 1252},
      {"LANG only", {std::nullopt, std::nullopt, "zh_CN.UTF-8"}, 936},
      {"LC_CTYPE over LANG", {std::nullopt, "ja_JP.UTF-8", "zh_CN.UTF-8"}, 932},
      {"LC_ALL over the others", {"ru_RU.UTF-8", "ja_JP.UTF-8", "zh_CN.UTF-8"}, 1251},
      {"empty values skipped", {"", "", "ko_KR.UTF-8"}, 949},
      {"all empty", {"", "", ""}, 1252},
      {"C.UTF-8 over a Chinese LANG", {"C.UTF-8", std::nullopt, "zh_CN.GBK"}, 65001},
  };
  for (const EnvironmentCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (std::size_t i = 0; i < kLocaleVariables.size(); ++i) {
      LocaleVariablesGuard::Set(i, c.values[i]);
    }
    EXPECT_EQ(static_cast<std::uint32_t>(SystemAnsiCodePage()), c.expected);
  }
}

}  // namespace
}  // namespace platform
