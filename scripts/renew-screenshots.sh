#!/usr/bin/env bash
# Renews the README's screenshots, docs/screenshot-en.png and docs/screenshot-zh.png, from an
# x86-64 build with its window probe (default build/windows-x64).
#
#   scripts/renew-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
KX_UI_BUILD=$(cd "${1:-build/windows-x64}" && pwd)
export KX_UI_BUILD
exec python3 -m tests.ui.harness.readme_screenshots docs
