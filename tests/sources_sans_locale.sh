#!/usr/bin/env bash
# Fails when a number goes through the C library or the streams in the product again: they
# follow LC_NUMERIC, which the window takes from the desktop, and a French desktop then reads
# "0.025" as 0 and writes 1.5 as "1,5". Numbers go through src/model/nombres.h.
set -euo pipefail
racine="${1:-$(dirname "$0")/..}"
motif='\b(strto(d|f|ld|l|ll|ul|ull)|ato[fil]|sto(d|f|ld|i|l|ll|ul|ull)|v?s?n?printf|v?f?scanf|sscanf|setlocale|to_string|setprecision|put_money|[io]?stringstream)\b'
trouves=$(grep -rnEI "$motif" "$racine/src" "$racine/app" | grep -vE '^[^:]+:[0-9]+:\s*//' || true)
if [ -n "$trouves" ]; then
  echo "Conversions de nombres qui dépendent de la locale (passer par model/nombres.h) :"
  echo "$trouves"
  exit 1
fi
echo "Aucune conversion de nombre ne dépend de la locale."
