#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program. Without an alias
# file the program writes one with the DEMO alias and creates its database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
BUILD_DIR="${KORVEL_BUILD_DIR:-build}"
exec "$BUILD_DIR/src/main/korvel" "$@"
