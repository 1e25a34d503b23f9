#!/usr/bin/env bash
# Fixtures that a Windows program cannot make under Wine: folder links. They are made
# afresh inside the test prefix before every run (C:\corvale-fixtures).
set -euo pipefail
fixtures="$WINEPREFIX/drive_c/corvale-fixtures"
rm -rf "$fixtures"
mkdir -p "$fixtures/link-target/sub" "$fixtures/tree-with-link" "$fixtures/empty-target" \
         "$fixtures/tree-with-empty-link"
echo target >"$fixtures/link-target/a.txt"
echo target >"$fixtures/link-target/sub/b.txt"
echo tree >"$fixtures/tree-with-link/x.txt"
ln -s ../link-target "$fixtures/tree-with-link/link"
ln -s ../empty-target "$fixtures/tree-with-empty-link/link"
