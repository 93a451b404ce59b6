#!/usr/bin/env bash
# Checks what a user and a developer get from an install of build/ (run after the
# suite; reuses build/, nothing is rebuilt):
#   the installed programs run from elsewhere and find their help, sounds and libraries;
#   the example builds against the installed qrix through pkg-config and CMake;
#   the desktop and metainfo files validate; the .deb holds what it should.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export QT_QPA_PLATFORM=offscreen

echo "== install into a temporary prefix"
cmake --install build --prefix "$prefix" >/dev/null
if find build/bin/resources "$prefix/share/orvane" -name '*.py' | grep .; then echo "scripts shipped as data"; exit 1; fi
manifest=$src/build/install_manifest.txt
if grep -v "^$prefix/" "$manifest"; then echo "the files above were installed outside the prefix"; exit 1; fi
cd "$work"  # from here on nothing may depend on the source tree being the current folder

"$prefix/bin/orvane-cli" --list | grep -x "AutoLevel" >/dev/null || { echo "orvane-cli --list lacks AutoLevel"; exit 1; }
# A 2 x 2 24-bit BMP, converted to TIFF through both libraries and back to check the pixels.
printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\2\0\0\0\2\0\0\0\1\0\x18\0\0\0\0\0\x10\0\0\0' >small.bmp
printf '\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0' >>small.bmp
printf '\x00\x00\xff\x00\xff\x00\0\0\xff\x00\x00\x10\x20\x30\0\0' >>small.bmp
# The programs open qrix by its versioned name: a system without the development link runs them.
mv "$prefix/lib/libqrix.so" dev-link
"$prefix/bin/orvane-cli" --op InvertAll -o converted.tif small.bmp
"$prefix/bin/orvane-cli" --op InvertAll -o back.bmp converted.tif
mv dev-link "$prefix/lib/libqrix.so"
cmp <(tail -c 16 small.bmp) <(tail -c 16 back.bmp) || { echo "the conversion changed the pixels"; exit 1; }
"$prefix/bin/orvane" --check-files
# The check must notice a missing help file, or its "ok" above means nothing.
mv "$prefix/share/orvane/Help.txt" help.away
if "$prefix/bin/orvane" --check-files >check.log 2>&1; then echo "--check-files missed the help file"; exit 1; fi
grep -q "^MISSING Help.txt" check.log
mv help.away "$prefix/share/orvane/Help.txt"

# Completing "--op Inv" offers the operations named so, as --list spells them.
completions=$(PATH=$prefix/bin:$PATH bash -c 'source "$1"; COMP_WORDS=(orvane-cli --op Inv); COMP_CWORD=2
  _orvane_cli; printf "%s\n" "${COMPREPLY[@]}"' - "$prefix/share/bash-completion/completions/orvane-cli")
[ "$(sort <<<"$completions")" = "$("$prefix/bin/orvane-cli" --list | grep '^Inv' | cut -d: -f1 | sort)" ] ||
  { echo "bash completion of --op gave: $completions"; exit 1; }

echo "== the example against the installed qrix"
printf '\x00\x64\xc8\xfa\x0a\x80\x00\x00' >in.raw  # two pixels of one padded row
expected="d7730f00cd570000"                          # 255 - min(255, byte + 40); padding untouched
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# shellcheck disable=SC2046
cc -std=c99 -Wall -Wextra -Werror -o pc-example "$src/examples/brighten_invert.c" $(pkg-config --cflags --libs qrix) \
  -Wl,-rpath,"$prefix/lib"
cmake -S "$src/examples" -B cmake-example -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build cmake-example >/dev/null
for example in ./pc-example cmake-example/brighten_invert; do
  # grep reads all of ldd's output: with pipefail, an early exit would fail the pipe.
  ldd "$example" | grep "libqrix.so.1 => $prefix/lib/" >/dev/null || { echo "$example does not use the installed qrix"; exit 1; }
  "$example" in.raw out.raw
  [ "$(od -An -tx1 out.raw | tr -d ' \n')" = "$expected" ] || { echo "$example: wrong bytes"; exit 1; }
done

echo "== desktop entry and metainfo"
desktop-file-validate "$prefix/share/applications/org.orvane.Orvane.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.orvane.Orvane.metainfo.xml" >/dev/null

# The programs ran above: a file they wrote into the prefix would be left over here too.
echo "== uninstall: removing the listed files leaves no file behind"
xargs rm -f <"$manifest"
leftover=$(find "$prefix" ! -type d)
[ -z "$leftover" ] || { echo "left after removing the listed files: $leftover"; exit 1; }

echo "== Debian package"
(cd "$src/build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in usr/bin/orvane usr/bin/orvane-cli usr/lib/libqrix.so.1 usr/lib/libqrix.so usr/lib/libostrel.so \
  usr/include/qrix.h usr/lib/pkgconfig/qrix.pc usr/lib/cmake/qrix/qrixConfig.cmake usr/share/orvane/Help.txt \
  usr/share/orvane/resources/click.wav usr/share/applications/org.orvane.Orvane.desktop \
  usr/share/metainfo/org.orvane.Orvane.metainfo.xml usr/share/icons/hicolor/scalable/apps/org.orvane.Orvane.svg \
  usr/share/icons/hicolor/256x256/apps/org.orvane.Orvane.png usr/share/man/man1/orvane-cli.1 \
  usr/share/bash-completion/completions/orvane-cli; do
  grep -qx "./$path" <<<"$contents" || { echo "the package lacks /$path"; exit 1; }
done
if grep -E 'make_artwork|/ostrel\.h|/tests?/' <<<"$contents"; then echo "the package holds files it should not"; exit 1; fi
depends=$(dpkg-deb --field "$deb" Depends)
for dep in libqt6widgets6 libtiff6 libwmf; do
  grep -q "$dep" <<<"$depends" || { echo "the package does not depend on $dep: $depends"; exit 1; }
done
echo "install checks passed"
