#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/dependances.sh
scripts/construire.sh
exec build/korvelin "$@"
