#!/bin/sh
# The packages as CPack writes them: the .deb's and the .tar.gz's file lists, the .deb's
# dependencies, and the command line run from the .deb's files unpacked into a temporary root.
# Usage: package_test.sh CPACK BINARY_DIR EXPECTED_FILE_LIST
set -eu
cpack=$1
build=$2
expected=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The tree is built before its tests run. Named as the generator, Ninja, which has no preinstall
# target, keeps cpack from checking the whole build again (make preinstall) for each package;
# the install rules it then runs are the same.
if ! "$cpack" --config "$build/CPackConfig.cmake" -G "DEB;TGZ" -D CPACK_CMAKE_GENERATOR=Ninja \
  -B "$tmp/packages" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  exit 1
fi
deb=$(ls "$tmp"/packages/*.deb)
tgz=$(ls "$tmp"/packages/*.tar.gz)

# Files only: the folders follow from them.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort >"$tmp/deb-files"
diff -u "$expected" "$tmp/deb-files"
tar -tzf "$tgz" | grep -v '/$' | sed 's|^[^/]*/||' | sort >"$tmp/tgz-files"
diff -u "$expected" "$tmp/tgz-files"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6core6 libqt6widgets6; do
  case "$depends" in
    *"$library"*) ;;
    *) echo "Depends lacks $library: $depends"; exit 1 ;;
  esac
done

dpkg-deb -x "$deb" "$tmp/root"
mkdir "$tmp/home" "$tmp/work"
printf 'My story\r\nstory\r\nHello calculator\r\n' >"$tmp/work/story.txt"
cd "$tmp/work"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$tmp/home" XDG_DATA_HOME= \
  "$tmp/root/usr/bin/corvane" --compile story.txt >"$tmp/out" 2>"$tmp/err" || {
  echo "corvane --compile failed with status $?:"; cat "$tmp/err"; exit 1; }
printf '%s: %s bytes\n' "$tmp/work/story.83p" "$(stat -c %s story.83p)" \
  "$tmp/work/story.8xp" "$(stat -c %s story.8xp)" >"$tmp/expected-out"
diff -u "$tmp/expected-out" "$tmp/out"
test ! -s "$tmp/err"
test -f "$tmp/home/.local/share/corvane/toolchain/comp.bat"
"$tmp/root/usr/bin/corvane" --version | grep -q '^corvane '
echo "packages and their files as expected"
