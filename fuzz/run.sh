#!/bin/sh
# Runs every fuzz target of a build one after the other, each for SECONDS,
# from its seed corpus (fuzz/corpus/<target>/, never written to) and its
# dictionary when it has one. New inputs go to <build>/corpus/<target>/, so
# later runs start where earlier ones stopped; a crash leaves its input in
# <build>/findings/. Prints each target's executions and the total, and
# fails on the first target that finds something (its log stays in
# <build>/findings/<target>.log).
#
#   fuzz/run.sh BUILD_BIN_FOLDER SECONDS [target ...]
set -u
bin=${1:?bin folder}
seconds=${2:?seconds}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$bin/.." && pwd)
targets=${*:-$(cd "$bin" && ls fuzz_* 2>/dev/null)}
mkdir -p "$build/findings"
# The targets write their scratch files and databases under TMPDIR; a
# memory file system keeps the disk out of the measure.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
total=0
for target in $targets; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  dict=""
  [ -f "$here/$target.dict" ] && dict="-dict=$here/$target.dict"
  log="$build/findings/$target.log"
  "$bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" $dict "$corpus" "$here/corpus/$target" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "$target: ${runs:-0} executions in ${seconds}s (exit $status)"
  total=$((total + ${runs:-0}))
  if [ $status -ne 0 ]; then
    tail -40 "$log"
    echo "$target found a fault; its input is in $build/findings/"
    exit 1
  fi
done
echo "total: $total executions"
