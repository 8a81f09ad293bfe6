#!/usr/bin/env bash
# Builds the tools (optimised) and shows the diagnostic listing of the sample
# certificate that the repository ships.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
build=${BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVC_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
"$build"/tools/vcore dump tests/data/der/sample_cert.pem
