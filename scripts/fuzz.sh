#!/bin/sh
# Runs each fuzz harness for a bounded time, one after the other.
#   scripts/fuzz.sh BUILD_DIR WORK_DIR [SECONDS] [HARNESS...]
# BUILD_DIR was configured with -DDXL_BUILD_FUZZ=ON (docs/fuzzing.md); WORK_DIR
# receives the seed corpora (made by fuzz_seeds), the growing corpora, and the
# inputs of any finding. Exits non-zero when a harness found something.
set -eu
build=$1
work=$2
seconds=${3:-120}
shift $(( $# < 3 ? $# : 3 ))
harnesses=${*:-"fuzz_ini_text fuzz_profile fuzz_regedit4 fuzz_version fuzz_help fuzz_file_list fuzz_paths fuzz_wininit fuzz_msdos_sys \
  fuzz_system_ini_devices fuzz_setup_sections fuzz_win_ini_load fuzz_registry_entries fuzz_printer_discovery \
  fuzz_port_mode fuzz_machine_ini fuzz_persistent_connections fuzz_console_answers fuzz_creg_write fuzz_creg_read fuzz_creg_check"}

# Leaks inside system libraries are not the program's (tests/sanitizers/lsan.supp).
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/sanitizers/lsan.supp:print_suppressions=0}"
mkdir -p "$work/seeds" "$work/findings"
"$build/fuzz/fuzz_seeds" "$work/seeds"
status=0
for harness in $harnesses; do
  mkdir -p "$work/corpus/$harness" "$work/seeds/$harness"
  echo "== $harness: ${seconds}s"
  if ! "$build/fuzz/$harness" "$work/corpus/$harness" "$work/seeds/$harness" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
      -artifact_prefix="$work/findings/$harness-" -print_final_stats=1 >"$work/$harness.log" 2>&1; then
    echo "   finding: see $work/$harness.log"
    status=1
  fi
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$work/$harness.log" | sed 's/^/   /'
done
exit $status
