// The ANSI code page on Windows: the system's, as GetACP gives it.

#include "platform/code_page.h"

#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <iterator>

namespace platform {
namespace {

TEST(Win32SystemCodePage, IsTheAnsiCodePageOfTheSystemLocale) {
  wchar_t number[8] = {};
  ASSERT_GT(GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number,
                           static_cast<int>(std::size(number))),
            0);
  EXPECT_EQ(static_cast<std::uint32_t>(SystemAnsiCodePage()), std::wcstoul(number, nullptr, 10));
}

// A test run that chooses the system locale (the wine runner chooses zh_CN, whose ANSI code page
// is 936) says which code page it expects in KORLO_EXPECTED_ANSI_CODE_PAGE, so that a runner
// whose locale did not take effect fails here instead of running every test on another code page.
TEST(Win32SystemCodePage, IsTheOneTheTestRunChose) {
  const char* expected = std::getenv("KORLO_EXPECTED_ANSI_CODE_PAGE");
  if (expected == nullptr) GTEST_SKIP() << "the test run chose no system locale";
  EXPECT_EQ(static_cast<std::uint32_t>(SystemAnsiCodePage()), std::strtoul(expected, nullptr, 10));
}

}  // namespace
}  // namespace platform
