#!/usr/bin/env bash
# Test of scripts/check-layers.sh: the real tree passes; a scratch copy of it with one planted
# include fails when the include breaks the layering (naming the file and line) and passes when
# the include is allowed.
#
# Usage: check_layers_test.sh SCRIPT SRC_DIR SCRATCH_DIR
set -uo pipefail

script=$1
src=$2
scratch=$3

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

out=$("$script" "$src" 2>&1)
rc=$?
[ "$rc" -eq 0 ] || fail "the real tree should pass (exit $rc): $out"

rm -rf "$scratch"
mkdir -p "$scratch"
cp -r "$src" "$scratch/src"
tree="$scratch/src"

# folder | planted include line | expected exit | expected text in the output
cases=(
  "core|#include <QString>|1|the engine folder core includes the Qt header <QString>"
  "session|#include <QtCore/QObject>|1|includes the Qt header <QtCore/QObject>"
  "stats|  #  include <qglobal.h>|1|includes the Qt header <qglobal.h>"
  "stats|#include \"workspace/comb_list.h\"|1|stats may not include \"workspace/comb_list.h\""
  "core|#include \"session/session.h\"|1|core may not include \"session/session.h\""
  "workspace|#include \"stakes/stakes_store.h\"|1|workspace may not include"
  "scenario|#include \"session/session.h\"|1|scenario may not include"
  "ui|#include \"stats/stat_list.h\"|1|ui may not include \"stats/stat_list.h\""
  "cli|#include \"ui/text.h\"|1|cli may not include \"ui/text.h\""
  "cli|#include \"app/main_window.h\"|1|cli may not include"
  "session|#include \"cli/cli.h\"|1|session may not include"
  "app|#include \"cli/cli.h\"|1|app may not include"
  "app|#include \"ui/text.h\"|0|"
  "app|#include <QWidget>|0|"
  "cli|#include \"session/session.h\"|0|"
  "scenario|#include \"stakes/stakes_store.h\"|0|"
  "ui|#include \"core/progress.h\"|0|"
  "core|#include <vector>|0|"
  "stats|// #include \"session/session.h\"|0|"
)

for entry in "${cases[@]}"; do
  IFS='|' read -r folder line want text <<<"$entry"
  target="$tree/$folder/planted_by_test.h"
  printf '#pragma once\n%s\n' "$line" >"$target"
  out=$("$script" "$tree" 2>&1)
  rc=$?
  rm -f "$target"
  if [ "$rc" -ne "$want" ]; then
    fail "[$folder] '$line': exit $rc, expected $want: $out"
    continue
  fi
  if [ -n "$text" ]; then
    [[ $out == *"src/$folder/planted_by_test.h:2: "* ]] || fail "[$folder] '$line': no file and line in: $out"
    [[ $out == *"$text"* ]] || fail "[$folder] '$line': expected \"$text\" in: $out"
  fi
done

# A planted include in a sub-folder and in a source file counts as well.
mkdir -p "$tree/workspace/sub"
printf '#include "scenario/scenario.h"\n' >"$tree/workspace/sub/planted.cpp"
out=$("$script" "$tree" 2>&1)
[ $? -eq 1 ] && [[ $out == *"src/workspace/sub/planted.cpp:1: workspace may not include"* ]] ||
  fail "sub-folder source: $out"
rm -rf "$tree/workspace/sub"

# Not a source tree: a usage failure, not a pass.
"$script" "$scratch/nowhere" >/dev/null 2>&1
[ $? -eq 2 ] || fail "a folder without sources should give exit 2"

rm -rf "$scratch"
[ "$failed" -eq 0 ] && echo "check-layers test: all cases passed"
exit "$failed"
