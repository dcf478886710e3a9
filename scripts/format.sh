#!/usr/bin/env bash
# Formats every C++ source of the project with the .clang-format at the root.
#   scripts/format.sh             rewrites the files in place
#   scripts/format.sh --verifier  changes nothing; fails, naming each file, if one is not formatted
set -euo pipefail
cd "$(dirname "$0")/.."

mode=formate
case "${1:-}" in
  "") ;;
  --verifier) mode=verifie ;;
  *) echo "usage : $0 [--verifier]" >&2; exit 2 ;;
esac

command -v clang-format >/dev/null || { echo "clang-format est introuvable." >&2; exit 1; }
mapfile -d '' fichiers < <(find src app tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
[ ${#fichiers[@]} -gt 0 ] || { echo "Aucune source trouvée." >&2; exit 1; }

if [ "$mode" = verifie ]; then
  clang-format --style=file --dry-run --Werror "${fichiers[@]}"
else
  clang-format --style=file -i "${fichiers[@]}"
fi
