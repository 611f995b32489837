// answer_probe: how long a top-level window takes to answer a message, measured from outside,
// as an operator feels it (a window that does not answer is a window that ignores input).
//
//   answer_probe [--wait MS] [--timeout MS] [--repeat] CAPTION
//
// Finds the top-level window whose caption is CAPTION exactly (the argument as the command line
// gives it: UTF-8 from a Unix shell under wine), sends it WM_NULL with SendMessageTimeoutW and
// prints the milliseconds until the answer, one line: `answer_ms=12.3`. --wait sleeps MS first
// (to sample a moment after an input); --timeout bounds one send (default 10000); --repeat sends
// again after each timeout until the window answers, and prints the time from the first send.
// Exit status: 0 answered, 1 no such window or no answer within the timeout, 2 usage.
#include "platform/win32/win32_api.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string_view>

namespace {

std::optional<DWORD> Milliseconds(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::nullopt;
  DWORD value = 0;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    if (!std::iswdigit(static_cast<wint_t>(*c)) || value > 100'000'000) return std::nullopt;
    value = value * 10 + static_cast<DWORD>(*c - L'0');
  }
  return value;
}

int Usage() {
  std::fputs("usage: answer_probe [--wait MS] [--timeout MS] [--repeat] CAPTION\n", stderr);
  return 2;
}

double Since(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DWORD wait = 0;
  DWORD timeout = 10'000;
  bool repeat = false;
  const wchar_t* caption = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view option = argv[i];
    if (option == L"--repeat") {
      repeat = true;
    } else if (option == L"--wait" || option == L"--timeout") {
      const std::optional<DWORD> value = Milliseconds(i + 1 < argc ? argv[i + 1] : nullptr);
      if (!value) return Usage();
      (option == L"--wait" ? wait : timeout) = *value;
      ++i;
    } else if (caption == nullptr && !option.starts_with(L"--")) {
      caption = argv[i];
    } else {
      return Usage();
    }
  }
  if (caption == nullptr || timeout == 0) return Usage();

  HWND window = FindWindowW(nullptr, caption);
  if (window == nullptr) {
    std::fputs("answer_probe: no top-level window with that caption\n", stderr);
    return 1;
  }
  if (wait > 0) Sleep(wait);
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (;;) {
    DWORD_PTR result = 0;
    // SMTO_NORMAL, not SMTO_ABORTIFHUNG: a window the system already counts as hung is exactly
    // the one whose wait is to be measured.
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result) != 0) {
      std::printf("answer_ms=%.1f\n", Since(start, frequency));
      return 0;
    }
    if (!IsWindow(window)) {
      std::fputs("answer_probe: the window is gone\n", stderr);
      return 1;
    }
    if (!repeat) {
      std::printf("answer_ms=timeout after %.1f\n", Since(start, frequency));
      return 1;
    }
  }
}
