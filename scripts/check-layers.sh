#!/usr/bin/env bash
# Checks the layering of the sources: the engine folders never include a Qt header, and no
# folder includes a header of a folder above it.
#
#   core <- stats <- archive <- workspace <- stakes <- scenario <- session <- app, cli
#   ui (Qt widgets shared by the window) depends on core only; app may use ui; app and cli
#   never include each other.
#
# Usage: scripts/check-layers.sh [SRC_DIR]   (default: the src folder beside this script)
# Prints one line per offending include ("file:line: reason") and exits 1 when there is one,
# 0 when the tree is clean, 2 when SRC_DIR is not a source tree.
set -euo pipefail

src="${1:-$(cd "$(dirname "$0")/.." && pwd)/src}"
if [ ! -d "$src/core" ]; then
  echo "check-layers: $src is not a source tree (no core folder)" >&2
  exit 2
fi

# Rank of each folder in the layer order; a folder may include folders of its rank or below.
declare -A rank=([core]=0 [stats]=1 [help]=2 [archive]=2 [workspace]=3 [stakes]=4 [scenario]=5 [session]=6
                 [app]=7 [cli]=7 [ui]=7)
engine=" core stats help archive workspace stakes scenario session "

# Whether folder $1 may include a header of folder $2.
allowed() {
  local from=$1 to=$2
  [ "$from" = "$to" ] && return 0
  case "$from:$to" in
    ui:core) return 0 ;;
    ui:*) return 1 ;;
    app:ui) return 0 ;;
    *:ui | app:cli | cli:app) return 1 ;;
  esac
  [ "${rank[$to]}" -le "${rank[$from]}" ]
}

failures=0
report() {
  echo "$1"
  failures=$((failures + 1))
}

# Every include line of the tree as "path:line:text", read once by grep.
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  lineno=${rest%%:*}
  line=${rest#*:}
  rel=${file#"$src"/}
  folder=${rel%%/*}
  [ -n "${rank[$folder]+x}" ] || continue
  [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+)[\"\>] ]] || continue
  target=${BASH_REMATCH[2]}
  if [ "${BASH_REMATCH[1]}" = "<" ]; then
    # Qt's headers: <QString>, <QtCore/QObject>, <qglobal.h>.
    if [[ $engine == *" $folder "* && ( $target =~ ^Q[A-Za-z] || $target =~ ^qt || $target =~ ^q[a-z]+\.h$ ) ]]; then
      report "src/$rel:$lineno: the engine folder $folder includes the Qt header <$target>"
    fi
    continue
  fi
  [[ $target == */* ]] || continue  # a header of the same folder
  to=${target%%/*}
  [ -n "${rank[$to]+x}" ] || continue
  if ! allowed "$folder" "$to"; then
    report "src/$rel:$lineno: $folder may not include \"$target\" ($to is not below $folder)"
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include' "$src" | sort)

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) break the layering" >&2
  exit 1
fi
echo "check-layers: the layering holds"
