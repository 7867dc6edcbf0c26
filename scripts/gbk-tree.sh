#!/usr/bin/env bash
# Copies the source tree to DEST with the C++ sources converted from UTF-8 to GBK. Clang cannot
# compile narrow literals to GBK (-fexec-charset), but it passes the bytes of a GBK source through,
# so a clang build (the fuzz targets) compiles this copy and gets the same GBK literals as g++.
set -euo pipefail
src=$(cd "${1:?usage: gbk-tree.sh SRC DEST}" && pwd)
dest=${2:?usage: gbk-tree.sh SRC DEST}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
cd "$src"
git ls-files -co --exclude-standard 2>/dev/null | grep -v -E '^(build|data)/' > "$dest/.files" ||
  find . -type f -not -path './build*' -not -path './.git/*' | sed 's|^\./||' > "$dest/.files"
while IFS= read -r f; do
  mkdir -p "$dest/$(dirname "$f")"
  case "$f" in
    *.cpp|*.h|*.inc)
      # Characters outside GBK can only stand in comments (g++ would refuse them in literals).
      iconv -f UTF-8 -t GBK -c "$f" > "$dest/$f.tmp"
      if ! cmp -s "$dest/$f.tmp" "$dest/$f" 2>/dev/null; then mv "$dest/$f.tmp" "$dest/$f"; else rm "$dest/$f.tmp"; fi ;;
    *)
      if ! cmp -s "$f" "$dest/$f" 2>/dev/null; then cp -p "$f" "$dest/$f"; fi ;;
  esac
done < "$dest/.files"
rm -f "$dest/.files"
