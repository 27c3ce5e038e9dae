#!/usr/bin/env bash
# Runs every test: the unit tests natively, with AddressSanitizer + UndefinedBehaviorSanitizer,
# with ThreadSanitizer, as a 32-bit Linux build, and as x86-64 and 32-bit Windows programs
# under Wine; checks what the .exe files import; makes and checks the release packages; drives
# the real window of both Windows builds under Wine; and gives every fuzz target a short run.
# Installs what it needs first.
#
# Where the kernel runs no 32-bit code (scripts/runs-32-bit.sh says why), the 32-bit Linux
# tests run under qemu-i386 and every step that runs a 32-bit Windows program is skipped:
# counted apart, never as passed.
#
# KX_FUZZ_SECONDS (default 20) sets the length of each fuzz run.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh || { echo "tests: 0 passed, 1 failed"; exit 1; }

results="$root/build/test-results"
rm -rf "$results"
mkdir -p "$results"
passed_steps=0
failed_steps=0
skipped_steps=0
failed_names=()

step() {
  local name=$1
  shift
  echo "==== $name"
  local started=$SECONDS
  if "$@"; then
    echo "==== $name: ok ($((SECONDS - started)) s)"
    passed_steps=$((passed_steps + 1))
  else
    echo "==== $name: FAILED ($((SECONDS - started)) s)"
    failed_steps=$((failed_steps + 1))
    failed_names+=("$name")
  fi
}

# skip_step NAME WHY: a step this machine cannot run.
skip_step() {
  echo "==== $1: skipped ($2)"
  skipped_steps=$((skipped_steps + 1))
}

# A 32-bit Windows step runs where the kernel runs 32-bit code, and is skipped elsewhere.
no_32_bit=$(scripts/runs-32-bit.sh) && no_32_bit=""
step_32_bit() {
  if [ -n "$no_32_bit" ]; then
    skip_step "$1" "$no_32_bit"
  else
    step "$@"
  fi
}

configure_and_build() {
  local preset=$1
  shift
  cmake --preset "$preset" >"$results/$preset-configure.log" 2>&1 ||
    { cat "$results/$preset-configure.log"; return 1; }
  cmake --build --preset "$preset" -j2 "$@"
}

# A Windows test program under Wine reads a path without a drive as one on its current drive,
# so its report folder is given through Z:, Wine's drive for the Linux root.
run_ctest() {
  local preset=$1
  shift
  local reports="$results/$preset/"
  case "$preset" in windows-*) reports="Z:${reports//\//\\}" ;; esac
  GTEST_OUTPUT="xml:$reports" ctest --test-dir "build/$preset" --output-on-failure "$@"
}

step "clang-format" scripts/check-format.sh
step "linux build" configure_and_build linux
step "linux tests" run_ctest linux
step "asan+ubsan build" configure_and_build linux-asan
step "asan+ubsan tests" run_ctest linux-asan
step "tsan build" configure_and_build linux-tsan
step "tsan tests" run_ctest linux-tsan
if [ -z "$no_32_bit" ]; then
  step "32-bit linux build" configure_and_build linux-m32
  step "32-bit linux tests (native)" run_ctest linux-m32
else
  echo "32-bit linux tests under qemu-i386: $no_32_bit"
  step "32-bit linux build" configure_and_build linux-m32-qemu
  step "32-bit linux tests (qemu-i386)" run_ctest linux-m32-qemu
fi
step "windows x86-64 build" configure_and_build windows-x64
step "windows x86-64 tests (wine)" run_ctest windows-x64
step "windows x86 build" configure_and_build windows-x86
step_32_bit "windows x86 tests (32-bit wine)" run_ctest windows-x86
# The release packages, made by their own builds of the program: their contents; the x86-64
# program taken out of its zip, which under Wine must come to the notice that no NTFS volume
# was found and exit 1, as the built one does below; the same bytes again from a clone in
# another folder; and, in that clone, a failing build that must leave no zip behind.
packaged_program_under_wine() {
  local arch=$1
  rm -rf "build/unpacked-$arch" &&
    unzip -q build/packages/kestrix-*-windows-"$arch".zip -d "build/unpacked-$arch" &&
    KX_UI_BUILD=build/windows-$arch KX_UI_EXE=$(echo build/unpacked-"$arch"/kestrix-*/kxsearch.exe) \
      python3 -m tests.ui.harness.run test_no_ntfs_volume.NoNtfsVolume
}
package_clone=$(mktemp -d)
step "release packages" scripts/package.sh
step "system DLL imports only" scripts/check-imports.sh build/windows-x64/bin/kxsearch.exe \
  build/package-windows-x64/bin/kxsearch.exe build/package-windows-x86/bin/kxsearch.exe
step "release package contents" scripts/check-packages.sh
step "packaged x86-64 program under wine" packaged_program_under_wine x64
step_32_bit "packaged x86 program under 32-bit wine" packaged_program_under_wine x86
step "release packages reproducible" scripts/check-reproducible.sh "$package_clone/kestrix"
step "package.sh stops at a failing build" scripts/check-package-failure.sh "$package_clone/kestrix"
rm -rf "$package_clone"
# The real program and the simulator build of the window, driven under Xvfb and Wine in both
# languages by the modules of tests/ui/harness, ending with "window tests: N passed, M failed";
# once for each Windows build. (Each test sets up what it checks: `run --reverse` shows it, and
# is left out here for time.) The Windows unit tests already ran above, so they are not run
# again here.
window_tests() {
  local arch=$1
  shift
  KX_UI_BUILD=build/windows-$arch python3 -m tests.ui.harness.run "$@" 2>&1 |
    tee "$results/window-tests-$arch$*.log"
  return "${PIPESTATUS[0]}"
}
step "the window under wine" window_tests x64
step_32_bit "the 32-bit window under 32-bit wine" window_tests x86
step "fuzz build" configure_and_build fuzz
# Generated seed replies (no binary files in the repository), beside any kept in fuzz/seeds.
generated_seeds="build/fuzz/seeds"
python3 fuzz/make_usn_seeds.py "$generated_seeds" || echo "fuzz seeds: not generated"
for fuzzer in build/fuzz/fuzz/*_fuzzer; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seed_dirs=()
  for seeds in "fuzz/seeds/${name%_fuzzer}" "$generated_seeds/${name%_fuzzer}"; do
    [ -d "$seeds" ] && seed_dirs+=("$seeds")
  done
  step "fuzz $name" "$fuzzer" -max_total_time="${KX_FUZZ_SECONDS:-20}" -print_final_stats=1 \
    "$corpus" "${seed_dirs[@]}"
done

# Test cases of every GoogleTest run, plus the steps that are not GoogleTest runs.
read -r cases case_failures < <(python3 - "$results" <<'PY'
import glob, sys, xml.etree.ElementTree as ET
import collections, os
tests = failures = 0
per_build = collections.defaultdict(lambda: [0, 0])
for path in sorted(glob.glob(sys.argv[1] + "/**/*.xml", recursive=True)):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        continue
    ran = int(root.get("tests", 0)) - int(root.get("disabled", 0))
    failed = int(root.get("failures", 0)) + int(root.get("errors", 0))
    build = os.path.relpath(os.path.dirname(path), sys.argv[1])
    per_build[build][0] += ran - failed
    per_build[build][1] += failed
    tests += ran
    failures += failed
for build, (good, bad) in per_build.items():
    print(f"GoogleTest cases of {build}: {good} passed, {bad} failed", file=sys.stderr)
print(tests - failures, failures)
PY
)
echo
echo "GoogleTest cases: $cases passed, $case_failures failed"
echo "Steps: $passed_steps passed, $failed_steps failed, $skipped_steps skipped ${failed_names[*]:+(${failed_names[*]})}"
total_failed=$((failed_steps + case_failures))
echo "tests: $((cases + passed_steps)) passed, $total_failed failed, $skipped_steps skipped"
[ "$total_failed" -eq 0 ]
