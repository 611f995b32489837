#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds, generates a demo server root and starts the window on
# it. The root is generated at "D:/KorloServer" in the repository: that is where the default
# root "D:\KorloServer" points on POSIX when the program starts there, so the day folders show
# at start without typing anything.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh fonts-wqy-microhei
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc)"

demo_root="D:/KorloServer"
if [[ ! -d "$demo_root/LogServer/BaseDir" ]]; then
  build/release/bench/loggen --root "$demo_root" --size 50 --days 3 --encoding gbk --seed 1
fi

# The logs are GBK: run in a Chinese locale so that the ANSI code page is 936.
exec env LC_ALL=zh_CN.UTF-8 build/release/app/korlo-log-analyzer
