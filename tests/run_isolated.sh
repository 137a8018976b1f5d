#!/bin/sh
# Runs one test with a private, throw-away home and settings folder.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/corvella-test.XXXXXX") || exit 1
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime" \
QT_QPA_PLATFORM=offscreen CORVELLA_TEST_TMP="$tmp" "$@"
status=$?
rm -rf "$tmp"
exit $status
