#!/usr/bin/env bash
# Fails when a tracked C++ file is not as clang-format (with the repository's .clang-format)
# would write it, naming each such file and the lines it would change.
#
#   scripts/check-format.sh
#
# To format the tree instead: git ls-files '*.cpp' '*.h' '*.cc' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."

files=()
while IFS= read -r file; do
  files+=("$file")
done < <(git ls-files '*.cpp' '*.h' '*.cc')
if [ ${#files[@]} -eq 0 ]; then
  echo "no C++ files tracked" >&2
  exit 1
fi
clang-format --dry-run -Werror "${files[@]}"
echo "${#files[@]} files formatted as clang-format writes them"
