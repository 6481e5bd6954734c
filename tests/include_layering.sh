#!/usr/bin/env bash
# Each folder includes only from itself and the folders below it:
#   platform (interfaces) <- core <- files <- shell <- shell/qt, cli, app, tools
#   posix (the interfaces' implementations) sits on core and is used from shell/qt up,
# and no product folder includes the tests' support. Generated headers (no folder) are free.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A allowed=(
  [platform]="platform"
  [core]="core platform"
  [files]="files core platform"
  [posix]="posix core platform"
  [shell]="shell files core platform"
  [shell/qt]="shell/qt shell files core platform posix"
  [cli]="cli shell files core platform posix"
  [app]="shell/qt shell files core platform posix"
)
status=0
for folder in "${!allowed[@]}"; do
  depth=()
  [[ $folder == shell ]] && depth=(-maxdepth 1)
  while IFS= read -r file; do
    while IFS= read -r included; do
      [[ $included == */* ]] || continue
      top=${included%%/*}
      [[ $top == shell && $included == shell/qt/* ]] && top=shell/qt
      ok=0
      for layer in ${allowed[$folder]}; do [[ $top == "$layer" ]] && ok=1; done
      if ((!ok)); then
        echo "$file includes $included, above or beside $folder"
        status=1
      fi
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
  done < <(find "$folder" "${depth[@]}" -type f \( -name '*.cpp' -o -name '*.h' \))
done
exit "$status"
