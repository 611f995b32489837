// freshbench: what writing fresh memory costs on this machine, the floor under a load that must
// write its records somewhere.
//
//   freshbench --mib N
//
// Maps N MiB of pages never touched, writes every byte once, front to back, and gives them back;
// then does the same with each 256 KiB stretch backed ahead of its writes, as the loader's
// buffers are (platform::PrepareForWriting). Prints one key=value a line: mib, fresh_write_ms
// (the plain first writes, page faults included) and prepared_write_ms. Exit status 2 on a usage
// error.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/fresh_memory.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kStretchBytes = std::size_t{256} * 1024;

double WriteMs(std::size_t bytes, bool prepare) {
  const platform::FreshPages pages(bytes);
  const Clock::time_point start = Clock::now();
  for (std::size_t at = 0; at < bytes; at += kStretchBytes) {
    const std::size_t length = bytes - at < kStretchBytes ? bytes - at : kStretchBytes;
    if (prepare) platform::PrepareForWriting(pages.Data() + at, length);
    std::memset(pages.Data() + at, static_cast<int>(at / kStretchBytes & 0x7F) + 1, length);
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  // Read a byte back, so the writes cannot be left out.
  if (bytes > 0 && pages.Data()[bytes - 1] == 0) std::printf("unwritten\n");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string_view(argv[1]) != "--mib") {
    std::fprintf(stderr, "usage: freshbench --mib N\n");
    return 2;
  }
  std::size_t mib = 0;
  try {
    mib = std::stoul(argv[2]);
  } catch (const std::exception&) {
    std::fprintf(stderr, "freshbench: --mib needs a whole number\n");
    return 2;
  }
  const std::size_t bytes = mib * 1024 * 1024;
  std::printf("mib=%zu\n", mib);
  std::printf("fresh_write_ms=%.1f\n", WriteMs(bytes, false));
  std::printf("prepared_write_ms=%.1f\n", WriteMs(bytes, true));
  return 0;
}
