#!/usr/bin/env bash
# The benchmark suite: generates a 200 MB and a 1 GB GBK server root (once, kept under
# build/bench-trees), runs the engine's load and queries through logbench, the same work by
# standard tools as reference points, and the window's rendering, load and query beside the
# engine's, all in one run, and prints one table with the ratios. The machine is shared and
# noisy: read the ratios measured side by side, never absolute times across runs. A tool, not a
# test: it asserts nothing.
#
# KORLO_BENCH_SIZES picks the trees, in MB, comma or space separated (default "200 1024");
# 8192 is the 8 GB tree of 8 days of 6 files (about 8 GiB of disk and minutes to generate).
# Besides the load's figures at the program's default thread count, the table gives the load
# with every file read on the calling thread (--threads 0), the peak memory and its ratio to
# the log bytes, and the fresh-memory floor: the time, in the same run, to write as many bytes as
# the load's peak into freshly mapped pages (freshbench), with the load's ratio to it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh ripgrep
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target loggen logbench freshbench windowbench >/dev/null

bin=build/release/bench
trees=build/bench-trees
IFS=', ' read -r -a sizes <<<"${KORLO_BENCH_SIZES:-200 1024}"
needle="屠龙刀"

# Wall time of a command in milliseconds (best of three).
wall_ms() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    if [[ -z $best || $ms -lt $best ]]; then best=$ms; fi
  done
  echo "$best"
}

value() { grep "^$1=" <<<"$2" | cut -d= -f2; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

printf '%-6s %-34s %10s %9s\n' size figure value ratio
for size in "${sizes[@]}"; do
  root="$trees/gbk-$size"
  shape=(--days 4)
  if ((size >= 8192)); then shape=(--days 8 --files-per-day 6); fi
  if [[ ! -d $root/LogServer/BaseDir ]]; then
    "$bin/loggen" --root "$root" --size "$size" "${shape[@]}" --encoding gbk --seed 7 >/dev/null
  fi
  base="$root/LogServer/BaseDir"
  dates=$(ls "$base" | paste -sd, -)
  bytes=$(du -sb "$base" | cut -f1)
  files=$(find "$base" -type f)

  cat_ms=$(wall_ms sh -c "cat $(echo $files) > /dev/null")
  wc_ms=$(wall_ms sh -c "cat $(echo $files) | wc -l")
  iconv_ms=$(wall_ms sh -c "cat $(echo $files) | iconv -f GBK -t UTF-16LE > /dev/null")
  rg_ms=$(wall_ms rg -E gbk -c -F "$needle" "$base")

  run() { "$bin/logbench" --root "$root" --dates "$dates" --codepage GBK --queries 5 "$@"; }
  default=$(run)
  alone=$(run --queries 0 --threads 0)
  load_ms=$(value load_ms "$default")
  floor=$("$bin/freshbench" --mib "$(awk -v r="$(value peak_rss_mib "$default")" \
    'BEGIN { printf "%d", r + 0.5 }')")
  floor_ms=$(value fresh_write_ms "$floor")
  records=$(value records "$default")
  rss=$(value peak_rss_mib "$default")
  gap=$(value max_yield_gap_ms "$default")
  label="${size}MB"
  printf '%-6s %-34s %10s %9s\n' "$label" "records" "$records" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "cat to /dev/null (ms)" "$cat_ms" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "wc -l (ms)" "$wc_ms" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "iconv GBK to UTF-16LE (ms)" "$iconv_ms" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "rg -E gbk -c -F (ms)" "$rg_ms" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "load threads (default)" "$(value threads "$default")" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "load_ms (query included) / rg" "$load_ms" \
    "$(ratio "$load_ms" "$rg_ms")"
  printf '%-6s %-34s %10s %9s\n' "$label" "  --threads 0: load_ms / rg" \
    "$(value load_ms "$alone")" "$(ratio "$(value load_ms "$alone")" "$rg_ms")"
  printf '%-6s %-34s %10s %9s\n' "$label" "  --threads 0: max_yield_gap_ms" \
    "$(value max_yield_gap_ms "$alone")" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "fresh-memory floor (ms); load / it" "$floor_ms" \
    "$(ratio "$load_ms" "$floor_ms")"
  printf '%-6s %-34s %10s %9s\n' "$label" "  load CPU in the program (ms)" \
    "$(value load_user_ms "$default")" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "  load CPU in the system (ms)" \
    "$(value load_system_ms "$default")" ""
  while IFS='|' read -r name args; do
    # shellcheck disable=SC2086
    out=$(eval run $args)
    printf '%-6s %-34s %10s %9s\n' "$label" "query_ms: $name / rg" "$(value query_ms "$out")" \
      "$(ratio "$(value query_ms "$out")" "$rg_ms")"
  done <<'QUERIES'
all records (default)|
keyword on 所有列, not exact|--kw1 kr12 --exact1 0
exact on 物品流水号|--kw1 598960845755 --col1 物品流水号
two keywords|--kw1 kr --col1 帐号 --exact1 0 --kw2 刀 --col2 物品名称 --exact2 0
one action|--toggle 4
several actions|--toggle 6,8,21,30
QUERIES
  printf '%-6s %-34s %10s %9s\n' "$label" "log MiB" \
    "$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1048576 }')" ""
  printf '%-6s %-34s %10s %9s\n' "$label" "peak_rss_mib / log MiB" "$rss" \
    "$(ratio "$rss" "$(awk -v b="$bytes" 'BEGIN { print b / 1048576 }')")"
  printf '%-6s %-34s %10s %9s\n' "$label" "max_yield_gap_ms" "$gap" ""
done

window=$(QT_QPA_PLATFORM=offscreen "$bin/windowbench" --rows 2000000 \
  --root "$trees/gbk-${sizes[0]}" \
  --dates "$(ls "$trees/gbk-${sizes[0]}/LogServer/BaseDir" | paste -sd, -)" 2>/dev/null)
printf '%-6s %-34s %10s %9s\n' window "render 2,000,000 rows (ms)" "$(value render_ms "$window")" ""
printf '%-6s %-34s %10s %9s\n' window "  of which beyond its yields (ms)" \
  "$(value render_beyond_yields_ms "$window")" ""
printf '%-6s %-34s %10s %9s\n' window "load to first rows painted (ms)" \
  "$(value load_to_first_paint_ms "$window")" ""
printf '%-6s %-34s %10s %9s\n' window "load (ms) / the engine's load" \
  "$(value window_load_ms "$window")" "$(value window_load_ratio "$window")"
printf '%-6s %-34s %10s %9s\n' window "  the engine's load (ms)" "$(value engine_load_ms "$window")" ""
printf '%-6s %-34s %10s %9s\n' window "  yields / pumps / progress moves" \
  "$(value window_load_yields "$window")/$(value window_load_pumps "$window")/$(value window_load_progress_moves "$window")" ""
printf '%-6s %-34s %10s %9s\n' window "query + rows shown (ms) / engine" \
  "$(value window_query_ms "$window")" "$(value window_query_ratio "$window")"
