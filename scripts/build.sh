#!/usr/bin/env bash
# Configures and builds into build/ (or $KORVEL_BUILD_DIR). Extra arguments go
# to CMake, e.g. -DKORVEL_SANITIZE=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${KORVEL_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${KORVEL_BUILD_TYPE:-RelWithDebInfo}" "$@"
cmake --build "$BUILD_DIR" -j "$(nproc)"
