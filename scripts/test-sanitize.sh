#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole test suite a second time, built with clang-14's address and undefined-behaviour sanitizers in
# build-asan/ and run with leak detection on; then every fuzz target for 30 seconds. Any report fails the run
# (for the OpenGL 1.1 layer's target: a report on code that is not Mesa's; a difference from Mesa is named).
# An input that makes a fuzz target fail is kept in tests/corpus/<target>/ as a regression file.
# Then the sound tests built with ThreadSanitizer in build-tsan/ (the output's threads against the program's).
# FUZZ_SECONDS overrides the 30 seconds per target (0 skips the fuzz runs); SANITIZE_SUITE=0 skips the suite;
# THREAD_SUITE=0 skips the ThreadSanitizer run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-asan
fuzz_seconds=${FUZZ_SECONDS:-30}
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" \
  -DTAV_FUZZERS=ON >/dev/null
cmake --build "$build" -j2

# Leaks inside system libraries (Mesa, SDL, X11, fontconfig) are theirs; ours are never suppressed.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export LSAN_OPTIONS=suppressions=$root/tests/hardening/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()

if [ "${SANITIZE_SUITE:-1}" != 0 ]; then
  # Mesa unloads its driver when a display closes, so its leaks would come from an unknown module that no
  # suppression can name; keeping the driver loaded lets them be attributed (and suppressed) as Mesa's.
  preload=()
  for lib in /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so /usr/lib/x86_64-linux-gnu/libGLX_mesa.so.0; do
    if [ -f "$lib" ]; then preload+=("$lib"); fi
  done
  (
    if [ ${#preload[@]} -gt 0 ]; then export LD_PRELOAD="$(IFS=:; echo "${preload[*]}")"; fi
    # The end-to-end tests drive real X servers while the other half of the suite loads the machine; a test
    # that fails runs once more, so one badly timed moment does not fail the suite while a fault that repeats
    # still does.
    cd "$build" && ctest --output-on-failure -j2 --timeout 900 --repeat until-pass:2
  ) || failed+=("sanitizer suite")
fi

if [ "${THREAD_SUITE:-1}" != 0 ]; then
  tsan=$root/build-tsan
  tflags="-fsanitize=thread -fno-omit-frame-pointer"
  cmake -S . -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_C_FLAGS="$tflags" -DCMAKE_CXX_FLAGS="$tflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$tflags" -DCMAKE_SHARED_LINKER_FLAGS="$tflags" >/dev/null
  sound_tests=(audio_device_output_test audio_realtime_test audio_music_track_test)
  cmake --build "$tsan" -j2 --target "${sound_tests[@]}"
  (
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
    cd "$tsan" && ctest --output-on-failure -j2 --timeout 300 -R '^(DeviceOutput|RealTimeOutput|audio_realtime_position|MusicTrackTest|SoundLibrary|SoundErrorText)'
  ) || failed+=("thread sanitizer sound tests")
fi

if [ "$fuzz_seconds" -gt 0 ]; then
  "$root/tests/fuzz/make_seeds.sh" "$build" "$build/fuzz-seeds"
  # A smaller quarantine keeps the fuzzers' memory well inside their RSS limit over a whole run.
  export ASAN_OPTIONS=$ASAN_OPTIONS:quarantine_size_mb=64
  for target in targa bitmap raw archive sound; do
    work=$build/fuzz-work/$target
    mkdir -p "$work" "$root/tests/corpus/$target"
    echo "fuzzing $target for $fuzz_seconds s"
    if ! "$build/fuzz_$target" -max_total_time="$fuzz_seconds" -malloc_limit_mb=256 -rss_limit_mb=1024 \
        -timeout=20 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$root/tests/corpus/$target/regression-" \
        "$work" "$build/fuzz-seeds/$target" "$root/tests/corpus/$target" >"$build/fuzz-$target.log" 2>&1; then
      failed+=("fuzz_$target")
      tail -n 60 "$build/fuzz-$target.log"
    fi
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build/fuzz-$target.log" || true
  done

  # The OpenGL 1.1 layer against Mesa's GL 1.1. Mesa's own immediate mode and list compiler crash on a few
  # call sequences (inside its JIT code), so the fuzzer runs forked past crashes; each crashing input is then
  # replayed. A sanitizer report on code outside Mesa's driver fails the run and is kept as a regression file;
  # a picture or error that differs from Mesa is kept in tests/corpus/gl11_differences/ (not replayed) and
  # named here, for a mend of the layer and a case in gl11_mesa_test (a new one does not fail the run, so that
  # a find of the fuzzer's own does not hold back unrelated work). A run stuck in a crashed job (Mesa's heap
  # broken under a crash handler) is ended after two minutes more.
  work=$build/fuzz-work/gl11
  crashes=$build/fuzz-crashes/gl11
  rm -rf "$crashes"
  mkdir -p "$work" "$crashes" "$root/tests/corpus/gl11"
  echo "fuzzing gl11 for $fuzz_seconds s"
  (cd "$crashes" && timeout -k 10 $((fuzz_seconds + 120)) "$build/fuzz_gl11" -fork=1 -ignore_crashes=1 -max_total_time="$fuzz_seconds" \
      -rss_limit_mb=2048 -timeout=20 -max_len=2048 -print_final_stats=1 -artifact_prefix="$crashes/" \
      "$work" "$root/tests/corpus/gl11") >"$build/fuzz-gl11.log" 2>&1 || true
  grep -E 'stat::number_of_executed_units|exec/s' "$build/fuzz-gl11.log" | tail -n 2 || true
  for input in "$crashes"/crash-* "$crashes"/timeout-*; do
    [ -f "$input" ] || continue
    # A replay that runs past its time is named, not waited for.
    report=$(timeout 120 "$build/replay_gl11" "$input" 2>&1; echo "exit status $?")
    if grep -q "^exit status 124$" <<<"$report"; then
      mkdir -p "$root/tests/corpus/gl11_differences"
      cp "$input" "$root/tests/corpus/gl11_differences/$(basename "$input")"
      echo "gl11: $(basename "$input") ran past 120 s when replayed: kept in tests/corpus/gl11_differences/"
    elif grep -qE "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error" <<<"$report" &&
        grep -E "^ +#[0-9]+ " <<<"$report" | head -n 3 | grep -q "/platform/gl11/"; then
      cp "$input" "$root/tests/corpus/gl11/regression-$(basename "$input")"
      failed+=("fuzz_gl11")
      echo "$report" | tail -n 30
    elif grep -q "gl11 differs" <<<"$report"; then
      mkdir -p "$root/tests/corpus/gl11_differences"
      cp "$input" "$root/tests/corpus/gl11_differences/$(basename "$input")"
      echo "gl11: the layer differs from Mesa on $(basename "$input"): $(grep "gl11 differs" <<<"$report")"
    else
      if grep -q "replayed 1 inputs" <<<"$report"; then
        echo "gl11: $(basename "$input") failed only after earlier inputs (not alone): not kept"
      else
        echo "gl11: Mesa's driver crashed on $(basename "$input") (not the layer's fault)"
      fi
    fi
  done
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "sanitizer run failed: ${failed[*]} (fuzz inputs that failed are kept in tests/corpus/)" >&2
  exit 1
fi
