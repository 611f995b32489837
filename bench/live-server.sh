#!/usr/bin/env bash
# The live server's figures, each beside what it is measured against, in one run:
#
#   bench/live-server.sh [FOLLOW_SECONDS]
#
# on a copy of the suite's GBK trees (build/bench-trees/gbk-SIZE, generated when missing; the
# sizes in MB from KORLO_BENCH_SIZES, default "200"), through logbench:
#   refresh_unchanged_ms       a refresh when nothing changed (median of the follow's refreshes)
#   refresh_1mb_ms             the refresh after 1 MB was appended to the last file, beside
#   load_1mb_ms + query_ms     loading that 1 MB alone and the query over all the records
#   then_load_ms               the load button after the last day joined the loaded ones, beside
#   day_alone_load_ms          loading that day alone
# and on the first size, a steady writer appending 25 KB every 0.5 s for FOLLOW_SECONDS
# (default 600) while logbench follows: the growth of the peak and of the resident memory beside
# the bytes appended, and the longest gap between two yields of the refreshes. A tool, not a
# test: it asserts nothing; read the ratios, measured side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
follow_seconds=${1:-600}

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target loggen logbench >/dev/null
bin=build/release/bench
trees=build/bench-trees
IFS=', ' read -r -a sizes <<<"${KORLO_BENCH_SIZES:-200}"
work=$(mktemp -d /tmp/korlo-live.XXXXXX)
writer=""
cleanup() {
  [[ -n $writer ]] && kill "$writer" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

value() { grep "^$1=" <<<"$2" | cut -d= -f2; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
row() { printf '%-6s %-40s %12s %9s\n' "$@"; }
# The refresh lines' ms where added=0, median.
unchanged_ms() {
  grep '^refresh=' <<<"$1" | grep ' read_bytes=0 ' | sed 's/.* ms=//' | sort -n |
    awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'
}

row size figure value ratio
for size in "${sizes[@]}"; do
  source_root="$trees/gbk-$size"
  if [[ ! -d $source_root/LogServer/BaseDir ]]; then
    "$bin/loggen" --root "$source_root" --size "$size" --days 4 --encoding gbk --seed 7 >/dev/null
  fi
  root="$work/gbk-$size"
  rm -rf "$root"
  cp -rL "$source_root" "$root"
  base="$root/LogServer/BaseDir"
  days=($(ls "$base"))
  dates=$(IFS=,; echo "${days[*]}")
  last_day=${days[-1]}
  last_file="$base/$last_day/$(ls "$base/$last_day" | sort | tail -n 1)"
  label="${size}MB"
  run() { "$bin/logbench" --root "$root" --codepage GBK "$@"; }

  # 1 MB of whole lines to append, taken from the start of the first day's first file.
  first_file="$base/${days[0]}/$(ls "$base/${days[0]}" | sort | head -n 1)"
  head -c 1048576 "$first_file" | head -n -1 >"$work/append.bin"
  # The same megabyte as a root of its own, to load alone.
  mkdir -p "$work/one-mb/LogServer/BaseDir/2024-01-01"
  cp "$work/append.bin" "$work/one-mb/LogServer/BaseDir/2024-01-01/a.log"
  one_mb=$("$bin/logbench" --root "$work/one-mb" --dates 2024-01-01 --codepage GBK --queries 0)

  # Follow for a few seconds: refreshes with nothing changed, then one after the append.
  run --dates "$dates" --queries 3 --follow 6 >"$work/follow.out" &
  follower=$!
  for _ in $(seq 1 1200); do
    grep -q '^refresh=3 ' "$work/follow.out" 2>/dev/null && break
    sleep 0.05
  done
  cat "$work/append.bin" >>"$last_file"
  wait "$follower"
  follow=$(cat "$work/follow.out")
  refresh_1mb=$(grep '^refresh=' <<<"$follow" | awk -F'read_bytes=' '{ split($2, a, " "); if (a[1] >= 1000000) print }' |
    head -n 1 | sed 's/.* ms=//')
  query_ms=$(value query_ms "$follow")
  load_1mb_ms=$(value load_ms "$one_mb")
  row "$label" "refresh, nothing changed (ms)" "$(unchanged_ms "$follow")" ""
  row "$label" "refresh after 1 MB appended (ms)" "$refresh_1mb" \
    "$(ratio "$refresh_1mb" "$(awk -v a="$load_1mb_ms" -v b="$query_ms" 'BEGIN { print a + b }')")"
  row "$label" "  load of that 1 MB alone (ms)" "$load_1mb_ms" ""
  row "$label" "  query over all records (ms)" "$query_ms" ""

  # The load button after the last day joined the three loaded before.
  earlier=$(IFS=,; echo "${days[*]:0:${#days[@]}-1}")
  then=$(run --dates "$earlier" --queries 0 --then-dates "$dates")
  alone=$(run --dates "$last_day" --queries 0)
  row "$label" "load after adding one day (ms)" "$(value then_load_ms "$then")" \
    "$(ratio "$(value then_load_ms "$then")" "$(value load_ms "$alone")")"
  row "$label" "  load of that day alone (ms)" "$(value load_ms "$alone")" ""
done

# A steady writer on the first size's copy while logbench follows.
root="$work/gbk-${sizes[0]}"
base="$root/LogServer/BaseDir"
last_day=$(ls "$base" | tail -n 1)
last_file="$base/$last_day/$(ls "$base/$last_day" | sort | tail -n 1)"
first_day=$(ls "$base" | head -n 1)
cat "$base/$first_day"/* >"$work/source.bin"
before=$(stat -c %s "$last_file")
(
  chunk=0
  while dd if="$work/source.bin" bs=25000 skip="$chunk" count=1 status=none >>"$last_file"; do
    chunk=$((chunk + 1))
    sleep 0.5
  done
) &
writer=$!
follow=$("$bin/logbench" --root "$root" --dates "$(ls "$base" | paste -sd, -)" --codepage GBK \
  --queries 0 --follow "$follow_seconds" | grep -v '^refresh=')
kill "$writer" 2>/dev/null || true
wait "$writer" 2>/dev/null || true
writer=""
appended_mib=$(awk -v a="$(stat -c %s "$last_file")" -v b="$before" 'BEGIN { printf "%.2f", (a - b) / 1048576 }')
label="${sizes[0]}MB"
row "$label" "follow ${follow_seconds} s: appended (MiB)" "$appended_mib" ""
row "$label" "  peak memory growth (MiB) / appended" "$(value follow_peak_growth_mib "$follow")" \
  "$(ratio "$(value follow_peak_growth_mib "$follow")" "$appended_mib")"
row "$label" "  resident memory growth (MiB) / appended" \
  "$(value follow_resident_growth_mib "$follow")" \
  "$(ratio "$(value follow_resident_growth_mib "$follow")" "$appended_mib")"
row "$label" "  longest gap between yields (ms)" "$(value follow_max_yield_gap_ms "$follow")" ""
