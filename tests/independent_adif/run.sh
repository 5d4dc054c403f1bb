#!/usr/bin/env bash
# A second, independent ADIF reader checks the export: adif-parser-ts from the npm
# registry, run with node, reads the file that `kvadrix-tool export` writes of the test
# log and must give back every field. Exit 77 (skipped) when node or npm is missing or the
# package cannot be installed (offline).
#   run.sh KVADRIX_TOOL NPM_FOLDER DATA_DIR
set -uo pipefail
tool=$1 npmdir=$2 data=$3
here=$(cd "$(dirname "$0")" && pwd)
version=0.7.7

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "SKIPPED: node or npm is not installed"; exit 77
fi
if [ ! -f "$npmdir/node_modules/adif-parser-ts/package.json" ] ||
   ! grep -q "\"version\": \"$version\"" "$npmdir/node_modules/adif-parser-ts/package.json"; then
  mkdir -p "$npmdir"
  if ! timeout 180 npm install --prefix "$npmdir" --no-audit --no-fund --no-save \
         --fetch-retries=1 "adif-parser-ts@$version" >"$npmdir/install.log" 2>&1; then
    echo "SKIPPED: adif-parser-ts could not be installed from the npm registry:"
    tail -5 "$npmdir/install.log"
    exit 77
  fi
fi

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$data/BEXWWL.dat" "$here/QSO.dat" "$folder/"
"$tool" --folder "$folder" export "$folder/Kvadrix-LY.adi" || exit 1
NODE_PATH="$npmdir/node_modules" node "$here/check.js" "$folder/Kvadrix-LY.adi"
