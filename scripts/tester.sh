#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, a short run of each fuzzer, and the
# Debian package with the checks of its installed files.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/dependances.sh
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

# Every test suite runs twice: under the C locale, and under the French one that the
# program's users have, where the C library reads and writes a decimal comma.
sous_deux_locales() {
  for loc in C.UTF-8 fr_FR.UTF-8; do
    echo "-- Locale $loc"
    LANG="$loc" LC_ALL="$loc" "$@"
  done
}

echo "== Construction avec AddressSanitizer et UndefinedBehaviorSanitizer, fenêtre comprise"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVELIN_GUI=ON -DKORVELIN_SANITIZE=ON
cmake --build build/asan -j"$jobs"
echo "== Tests sous sanitizers, ceux de la fenêtre compris"
# The window tests run offscreen (QT_QPA_PLATFORM above), with the leak checker on as for
# the core: Qt leaves nothing behind that it reports, so nothing is suppressed.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  sous_deux_locales ctest --test-dir build/asan --output-on-failure -j"$jobs"

echo "== Fuzzers (clang, libFuzzer), courte passe sur les corpus"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVELIN_GUI=OFF -DKORVELIN_TESTS=OFF -DKORVELIN_FUZZ=ON -DKORVELIN_SANITIZE=ON
cmake --build build/fuzz -j"$jobs"
ctest --test-dir build/fuzz --output-on-failure

echo "== Construction normale et tests"
scripts/construire.sh
sous_deux_locales ctest --test-dir build --output-on-failure -j"$jobs"

scripts/paquet.sh

echo "== Mise en forme des sources (.clang-format)"
scripts/format.sh --verifier
