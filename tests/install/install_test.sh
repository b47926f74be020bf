#!/usr/bin/env bash
# The installed tree, moved after installing, changes a password with each
# edition: run paths are relative and the host finds the editions beside it.
# usage: install_test.sh <cmake> <build folder>
set -euo pipefail
cmake=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$cmake" --install "$build" --prefix "$tmp/a" >/dev/null
mv "$tmp/a" "$tmp/b"
prefix=$tmp/b
fail() { echo "FAILED: $*" >&2; exit 1; }

for f in bin/velmora-host lib/velmora/libvelmora_rtl.so lib/velmora/libvelmora_suite.so \
         lib/velmora/context/Velmora.so lib/velmora/automation/Velmora.so; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
  # Every run path is relative to the file, none names the build folder.
  runpath=$(readelf -d "$prefix/$f" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
  [ -n "$runpath" ] || fail "$f has no run path"
  for dir in ${runpath//:/ }; do
    case $dir in '$ORIGIN'*) ;; *) fail "$f has the run path $dir" ;; esac
  done
done

mkdir "$tmp/work"
cd "$tmp/work"
host=$prefix/bin/velmora-host
expect_changed() {  # expect_changed <what> <host arguments>...
  local what=$1 out
  shift
  out=$("$host" "$@" 2>&1) || fail "$what: exit $?: $out"
  grep -q "password changed" <<<"$out" || fail "$what: $out"
}
# The demo database is made in the working folder on first use.
expect_changed "context edition" --do "type demo" --do "key Enter" --do "type new" --do "key Enter" \
  --do "type new" --do "key Enter"
expect_changed "automation edition" --edition automation --do "type demo" --do "key Enter" --do "type new" \
  --do "key Enter" --do "type new" --do "click BtnModify"
expect_changed "context edition, second change" --do "type new" --do "key Enter" --do "type demo" \
  --do "key Enter" --do "type demo" --do "key Enter"
"$host" strings --unit dxExtCtrlsStrs Auto >/dev/null || fail "strings from the installed tree"
echo "installed tree moved to $prefix: both editions changed a password"
