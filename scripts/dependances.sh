#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail

paquets=(build-essential cmake ninja-build pkg-config
         qt6-base-dev qt6-svg-dev libgl1-mesa-dev qt6-translations-l10n
         googletest libgtest-dev libgmock-dev libbenchmark-dev
         clang libclang-rt-14-dev clang-format
         dpkg-dev file desktop-file-utils appstream shared-mime-info man-db locales)

sudo_=""
[ "$(id -u)" -eq 0 ] || sudo_="sudo"

# The tests run a second time under the French locale, where the C library reads and writes
# numbers with a decimal comma, as on the desktops the program is written for.
locale_francaise() {
  locale -a 2>/dev/null | grep -qiE '^fr_FR\.utf-?8$' && return 0
  grep -qE '^fr_FR\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
    echo 'fr_FR.UTF-8 UTF-8' | $sudo_ tee -a /etc/locale.gen >/dev/null
  $sudo_ locale-gen >/dev/null
}

manquants=()
for p in "${paquets[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || manquants+=("$p")
done
if [ ${#manquants[@]} -gt 0 ]; then
  echo "Installation de : ${manquants[*]}"
  $sudo_ apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_ apt-get install -y -qq --no-install-recommends "${manquants[@]}"
fi
locale_francaise
