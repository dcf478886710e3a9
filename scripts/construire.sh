#!/usr/bin/env bash
# Builds the program into build/ (build/korvelin, build/korvelin-cut).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVELIN_GUI=ON -DKORVELIN_TESTS=ON
cmake --build build -j"$(nproc)"
