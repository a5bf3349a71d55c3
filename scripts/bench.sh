#!/usr/bin/env bash
# Runs every benchmark of the build in the benchmarks' own Wine prefix and prints one table of
# the ratios they report, each against its floor, with the goal and the machine's load.
# Usage: scripts/bench.sh [--quick] [--load] [name ...]
#   --quick  fewer rounds and smaller sizes (each benchmark's own choice)
#   --load   a busy loop on every core beside both the floors and the program
#   name     only these benchmarks (read_bench, entries_bench, ...); all of bench/ by default
# The whole output of each benchmark is kept in build/bench-logs/<name>.txt.
set -uo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRELVISTA_BUILD_DIR:-$top/build}"

options=()
names=()
for arg in "$@"; do
    case "$arg" in
    --quick | --load) options+=("$arg") ;;
    -h | --help)
        sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *) names+=("${arg%.exe}") ;;
    esac
done
if [ ${#names[@]} -eq 0 ]; then
    for source in "$top"/bench/*.cpp; do
        names+=("$(basename "$source" .cpp)")
    done
fi

logs="$build/bench-logs"
mkdir -p "$logs"
table="$(mktemp)"
trap 'rm -f "$table"' EXIT
started=$(date +%s)
for name in "${names[@]}"; do
    exe="$build/bin/$name.exe"
    if [ ! -f "$exe" ]; then
        echo "bench.sh: $exe is not built (scripts/build.sh builds it)" >&2
        continue
    fi
    begun=$(date +%s)
    echo "== $name ${options[*]:-} (load $(cut -d' ' -f1-3 /proc/loadavg))" >&2
    "$top/tests/harness/wine-run" "$build/benchenv" "$exe" "${options[@]}" >"$logs/$name.txt" 2>&1
    status=$?
    echo "   $(( $(date +%s) - begun )) s, status $status, $(grep -c '^ratio|' "$logs/$name.txt") ratios" >&2
    grep '^ratio|' "$logs/$name.txt" | sed "s/^ratio|/$name|/" >>"$table"
done

# One row a case: the benchmark, the case, the median ratio with its min-max, the goal, whether
# the median meets it, and the load the rounds ran at.
awk -F'|' '
BEGIN {
    printf "%-14s %-46s %8s %17s %7s %5s %6s\n", "benchmark", "case", "median", "min-max", "goal", "met", "load"
}
{
    met = "-"
    if ($6 ~ /^<=/) met = ($3 + 0 <= substr($6, 3) + 0) ? "yes" : "NO"
    printf "%-14s %-46s %8.3f %8.3f-%-8.3f %7s %5s %6s\n", $1, $2, $3, $4, $5, $6, met, $7
}' "$table"
echo "($(( $(date +%s) - started )) s in all; logs in $logs)"
