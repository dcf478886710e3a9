#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail

paquets=(build-essential cmake ninja-build pkg-config
         qt6-base-dev qt6-svg-dev libgl1-mesa-dev qt6-translations-l10n
         googletest libgtest-dev libgmock-dev libbenchmark-dev
         clang libclang-rt-14-dev
         dpkg-dev file desktop-file-utils appstream shared-mime-info man-db)

manquants=()
for p in "${paquets[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || manquants+=("$p")
done
[ ${#manquants[@]} -eq 0 ] && exit 0

echo "Installation de : ${manquants[*]}"
sudo_=""
[ "$(id -u)" -eq 0 ] || sudo_="sudo"
$sudo_ apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo_ apt-get install -y -qq --no-install-recommends "${manquants[@]}"
