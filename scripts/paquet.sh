#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package build/korvelin_<version>_<arch>.deb.
# Then installs the program into a temporary root and checks what a desktop reads there:
# the menu entry, the software-centre description, the file types, the manual pages, and
# that the installed programs start.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/dependances.sh
scripts/construire.sh

echo "== Paquet Debian"
rm -f build/korvelin_*.deb
(cd build && cpack -G DEB)
paquets=(build/korvelin_*.deb)
deb="${paquets[0]}"
[ -f "$deb" ] || { echo "Aucun paquet produit." >&2; exit 1; }

racine="$(mktemp -d)"
trap 'rm -rf "$racine"' EXIT
DESTDIR="$racine" cmake --install build --prefix /usr >/dev/null
usr="$racine/usr"

echo "== Le paquet contient ce que l'installation pose"
diff <(cd "$racine" && find . -type f | sort) \
     <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)

echo "== Entrée de menu, description, types de fichiers"
desktop-file-validate "$usr"/share/applications/*.desktop
appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml
XDG_DATA_DIRS="$usr/share" update-mime-database "$usr/share/mime"
grep -q '^[0-9]*:application/x-korvelin:\*\.korvelin$' "$usr/share/mime/globs2"
grep -q '^[0-9]*:application/vnd\.hp-hpgl:\*\.plt$' "$usr/share/mime/globs2"

echo "== Pages de manuel"
# A page that groff warns about, or an option of the help that the page leaves out, fails.
for page in "$usr"/share/man/man1/*.1.gz; do
  avertissements="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
  [ -z "$avertissements" ] || { echo "$page : $avertissements" >&2; exit 1; }
done
manuel="$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$usr/share/man/man1/korvelin-cut.1.gz" | col -b)"
options="$("$usr/bin/korvelin-cut" --help | grep -oE '^ +-[-a-z]+' | tr -d ' ')"
[ -n "$options" ]
for o in $options; do
  grep -qF -- "$o" <<<"$manuel" || { echo "korvelin-cut.1 ne décrit pas $o" >&2; exit 1; }
done

echo "== Les programmes installés démarrent"
"$usr/bin/korvelin-cut" --help >/dev/null
"$usr/bin/korvelin" --help >/dev/null

echo "Paquet : $deb"
