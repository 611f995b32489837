#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds, generates a demo server root and runs the analyzer's
# engine on it. The root is generated at "D:/KorloServer" under the repository, which is where
# the default root "D:\KorloServer" points on POSIX when the program starts in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc)"

demo_root="D:/KorloServer"
if [[ ! -d "$demo_root/LogServer/BaseDir" ]]; then
  build/release/bench/loggen --root "$demo_root" --size 20 --days 3 --encoding gbk --seed 1
fi

dates="$(ls "$demo_root/LogServer/BaseDir" | paste -sd, -)"
echo "=== loading $dates from $demo_root (GBK), then querying for 屠龙刀"
build/release/bench/logbench --root "$demo_root" --dates "$dates" --codepage GBK \
  --kw1 "屠龙刀" --exact1 0
