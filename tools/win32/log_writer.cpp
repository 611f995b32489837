// log_writer: stands in for a game server's logger, to try the program on a live server.
//
//   log_writer --file PATH --lines N [--interval MS] [--account PREFIX] [--reopen]
//
// Appends N log lines to PATH, one every MS milliseconds (default 100), their accounts PREFIX1
// to PREFIXN (default "live"), each line a full record ended by CR LF. As loggers do, it keeps
// the file open for appending the whole time, sharing reading and writing; with --reopen it
// opens, appends one line and closes instead, every time, and an open that fails (another
// program locked the file) loses that line, as it would lose a server's. Prints one line at the
// end: `written=N failed_opens=M`. Exit status: 0 when every line was written, 1 otherwise, 2
// usage.
#include "platform/win32/win32_api.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::optional<DWORD> Number(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::nullopt;
  DWORD value = 0;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    if (!std::iswdigit(static_cast<wint_t>(*c)) || value > 100'000'000) return std::nullopt;
    value = value * 10 + static_cast<DWORD>(*c - L'0');
  }
  return value;
}

int Usage() {
  std::fputs(
      "usage: log_writer --file PATH --lines N [--interval MS] [--account PREFIX] [--reopen]\n",
      stderr);
  return 2;
}

HANDLE OpenForAppending(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string Line(const std::string& account) {
  return "0\t" + account + "\t2\t在线玩家\t4\t0150\t123\t456\t45\t1234567890123\t1001\t屠龙刀\t1\t0\t"
                           "对方\t\t2024-03-01 12:00:00 拾取\r\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring path;
  DWORD lines = 0;
  DWORD interval = 100;
  std::string prefix = "live";
  bool reopen = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view option = argv[i];
    const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (option == L"--reopen") {
      reopen = true;
      continue;
    }
    if (value == nullptr) return Usage();
    ++i;
    if (option == L"--file") {
      path = value;
    } else if (option == L"--lines" || option == L"--interval") {
      const std::optional<DWORD> number = Number(value);
      if (!number) return Usage();
      (option == L"--lines" ? lines : interval) = *number;
    } else if (option == L"--account") {
      prefix.clear();
      for (const wchar_t* c = value; *c != L'\0'; ++c) {
        if (*c > 0x7F) return Usage();  // ASCII accounts: the line's bytes need no code page
        prefix.push_back(static_cast<char>(*c));
      }
    } else {
      return Usage();
    }
  }
  if (path.empty() || lines == 0) return Usage();

  // The Chinese texts of a line are UTF-8 here; the logger writes the ANSI code page's bytes.
  const auto ansi = [](const std::string& utf8) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                               static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wideLength);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
  };

  HANDLE held = INVALID_HANDLE_VALUE;
  if (!reopen) {
    held = OpenForAppending(path);
    if (held == INVALID_HANDLE_VALUE) {
      std::fprintf(stderr, "log_writer: cannot open the file (error %lu)\n", GetLastError());
      return 1;
    }
  }
  DWORD written = 0;
  DWORD failedOpens = 0;
  for (DWORD i = 1; i <= lines; ++i) {
    const std::string bytes = ansi(Line(prefix + std::to_string(i)));
    HANDLE file = held;
    if (reopen) {
      file = OpenForAppending(path);
      if (file == INVALID_HANDLE_VALUE) {
        ++failedOpens;
        Sleep(interval);
        continue;
      }
    }
    DWORD count = 0;
    if (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
        count == bytes.size()) {
      ++written;
    }
    if (reopen) CloseHandle(file);
    Sleep(interval);
  }
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  std::printf("written=%lu failed_opens=%lu\n", written, failedOpens);
  return written == lines ? 0 : 1;
}
