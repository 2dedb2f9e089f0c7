#!/usr/bin/env bash
# Installs what the fuzz targets need beyond install-deps.sh: clang and its libFuzzer and sanitizer
# runtimes (Debian 12). Does nothing when they are present; safe to run again.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" clang libclang-rt-14-dev
