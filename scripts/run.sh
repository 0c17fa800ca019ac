#!/usr/bin/env bash
# Sets everything up and starts Tramond; arguments go to the application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec "${BUILD_DIR:-build}/bin/tramond" "$@"
