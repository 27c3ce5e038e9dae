#!/usr/bin/env bash
# Runs every test: the unit tests natively, with AddressSanitizer + UndefinedBehaviorSanitizer,
# with ThreadSanitizer, as a 32-bit build under qemu, and as x86-64 Windows programs under
# Wine; builds the 32-bit Windows program; checks what the .exe files import; makes and checks
# the release packages; runs the real program under Wine; and gives every fuzz target a short
# run. Installs what it needs first.
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

configure_and_build() {
  local preset=$1
  shift
  cmake --preset "$preset" >"$results/$preset-configure.log" 2>&1 ||
    { cat "$results/$preset-configure.log"; return 1; }
  cmake --build --preset "$preset" -j2 "$@"
}

run_ctest() {
  local preset=$1
  shift
  GTEST_OUTPUT="xml:$results/$preset/" ctest --test-dir "build/$preset" --output-on-failure "$@"
}

step "linux build" configure_and_build linux
step "linux tests" run_ctest linux
step "asan+ubsan build" configure_and_build linux-asan
step "asan+ubsan tests" run_ctest linux-asan
step "tsan build" configure_and_build linux-tsan
step "tsan tests" run_ctest linux-tsan
step "32-bit linux build" configure_and_build linux-m32
step "32-bit linux tests (qemu-i386)" run_ctest linux-m32
step "windows x86-64 build" configure_and_build windows-x64
step "windows x86-64 tests (wine)" run_ctest windows-x64
# The release packages, made by their own builds of the program: their contents; the x86-64
# program taken out of its zip, which under Wine must come to the notice that no NTFS volume
# was found and exit 1, as the built one does below; the same bytes again from a clone in
# another folder; and, in that clone, a failing build that must leave no zip behind.
packaged_program_under_wine() {
  rm -rf build/unpacked && unzip -q build/packages/kestrix-*-windows-x64.zip -d build/unpacked &&
    KX_UI_BUILD=build/windows-x64 KX_UI_EXE=$(echo build/unpacked/kestrix-*/kxsearch.exe) \
      python3 -m tests.ui.harness.run test_no_ntfs_volume
}
package_clone=$(mktemp -d)
# The 32-bit Windows program is built only here, for its package: 32-bit Windows programs
# cannot run here, so its test executables would be built for nothing (the 32-bit Linux build
# above runs the same tests as 32-bit code).
step "release packages" scripts/package.sh
step "system DLL imports only" scripts/check-imports.sh build/windows-x64/bin/kxsearch.exe \
  build/package-windows-x64/bin/kxsearch.exe build/package-windows-x86/bin/kxsearch.exe
step "release package contents" scripts/check-packages.sh
step "packaged x86-64 program under wine" packaged_program_under_wine
step "release packages reproducible" scripts/check-reproducible.sh "$package_clone/kestrix"
step "package.sh stops at a failing build" scripts/check-package-failure.sh "$package_clone/kestrix"
rm -rf "$package_clone"
# The real program and the simulator build of the window, driven under Xvfb and Wine in both
# languages by the modules of tests/ui/harness, ending with "window tests: N passed, M failed".
# The Windows unit tests already ran above, so they are not run again here.
window_tests() {
  KX_UI_BUILD=build/windows-x64 python3 -m tests.ui.harness.run 2>&1 |
    tee "$results/window-tests.log"
  return "${PIPESTATUS[0]}"
}
step "the window under wine" window_tests
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
tests = failures = 0
for path in glob.glob(sys.argv[1] + "/**/*.xml", recursive=True):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        continue
    tests += int(root.get("tests", 0)) - int(root.get("disabled", 0))
    failures += int(root.get("failures", 0)) + int(root.get("errors", 0))
print(tests - failures, failures)
PY
)
echo
echo "GoogleTest cases: $cases passed, $case_failures failed"
echo "Steps: $passed_steps passed, $failed_steps failed ${failed_names[*]:+(${failed_names[*]})}"
total_failed=$((failed_steps + case_failures))
echo "tests: $((cases + passed_steps)) passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
