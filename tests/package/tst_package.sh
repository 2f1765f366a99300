#!/usr/bin/env bash
# tst_package.sh SOURCE-DIR BUILD-DIR
# Builds the .deb from what is built, checks its dependencies and files,
# unpacks it with dpkg-deb -x into a temporary root and starts the program
# found there with a text and a song on its command line, under Xvfb, in a
# private HOME. Needs the PulseAudio session scripts/test starts.
set -euo pipefail

src=$1
build=$2
tmp=$(mktemp -d /tmp/murmelin-package.XXXXXX)
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
step() { echo "--- $*"; }
elapsed() { echo "$((SECONDS - started)) s"; }
started=$SECONDS

step "package"
deb=$(MURMELIN_BUILD_DIR=$build "$src/scripts/package" --no-build "$tmp/out")
[ -f "$deb" ] || { echo "FAIL: no package made" >&2; exit 1; }
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, built in $(elapsed)"

step "dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
has_dep() { # has_dep NAME: NAME appears as a package in Depends
  tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -x "$1" >/dev/null
}
# From the libraries it links (dpkg-shlibdeps) ...
for p in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6printsupport6 libqt6texttospeech6 \
         libgstreamer1.0-0 libgstreamer-plugins-base1.0-0 \
         libespeak-ng1 libflite1 libmpg123-0 libasound2; do
  has_dep "$p" || fail "Depends lacks the linked library package $p"
done
# ... and the services it only reaches at run time.
# (pulsesink comes with the good plugins.)
for p in speech-dispatcher qt6-speech-speechd-plugin gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
         fonts-ipafont-gothic qt6-translations-l10n; do
  has_dep "$p" || fail "Depends lacks the runtime package $p"
done
# MeCab and its dictionary are opened at run time for the Japanese voice's readings.
for p in libmecab2 open-jtalk-mecab-naist-jdic; do
  has_dep "$p" || fail "Depends lacks the Japanese readings' package $p"
done
# Every dependency is a package apt knows and can satisfy here.
if ! apt-get install --simulate --no-install-recommends "$deb" >"$tmp/apt.log" 2>&1; then
  cat "$tmp/apt.log" >&2
  fail "apt cannot install the package"
fi

step "files"
root=$tmp/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/murmelin usr/bin/murmelin-browser usr/share/murmelin/お気に入り.txt usr/share/murmelin/inipic.jpg \
         usr/share/applications/murmelin.desktop usr/share/metainfo/invalid.kestrow.murmelin.metainfo.xml \
         usr/share/mime/packages/murmelin.xml usr/share/icons/hicolor/scalable/apps/murmelin.svg; do
  [ -f "$root/$f" ] || fail "the package lacks /$f"
done
for size in 48 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/murmelin.png
  got=$(identify -format '%m %wx%h' "$png" 2>/dev/null || true)
  [ "$got" = "PNG ${size}x${size}" ] || fail "icon ${size}x${size}: '$got'"
done
if dpkg-deb -c "$deb" | grep -E 'usr/bin/(tst|bench)_'; then fail "tests or benchmarks in the package"; fi
for p in murmelin murmelin-browser; do
  file "$root/usr/bin/$p" | grep -q 'not stripped' && fail "$p is not stripped"
done
# The web engine belongs to the browser program alone: the program starts without it.
readelf -d "$root/usr/bin/murmelin" | grep -q 'NEEDED.*WebEngine' && fail "the program links the web engine"
readelf -d "$root/usr/bin/murmelin-browser" | grep -q 'NEEDED.*libQt6WebEngineWidgets' ||
  fail "the browser program does not link the web engine"
has_dep libqt6webenginewidgets6 || fail "Depends lacks the web engine's package libqt6webenginewidgets6"

step "desktop entry, metainfo, file type"
desktop-file-validate "$root/usr/share/applications/murmelin.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/invalid.kestrow.murmelin.metainfo.xml" || fail "appstreamcli validate"
mimetypes=$(sed -n 's/^MimeType=//p' "$root/usr/share/applications/murmelin.desktop")
for t in text/plain text/x-lrc audio/mpeg audio/x-wav; do
  [[ ";$mimetypes" == *";$t;"* ]] || fail "the desktop entry does not offer $t"
done
# The LRC type as the desktop's MIME database sees it once installed.
mkdir -p "$tmp/mime/packages"
cp "$root/usr/share/mime/packages/murmelin.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" || fail "update-mime-database"
grep -q '^50:text/x-lrc:\*\.lrc$' "$tmp/mime/globs2" || fail "no *.lrc glob for text/x-lrc"

step "help and version, without a display"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/murmelin" --help 2>&1) ||
  fail "murmelin --help without a display: $out"
grep -q 'ファイル' <<<"$out" || fail "murmelin --help: $out"
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$root/usr/share/metainfo/invalid.kestrow.murmelin.metainfo.xml")
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/murmelin" --version 2>&1)
[ "$out" = "Murmelin $release" ] || fail "murmelin --version says '$out', the metainfo's release is '$release'"
[ "$(dpkg-deb -f "$deb" Version)" = "$release" ] || fail "the package's version is not the metainfo's release $release"

step "the unpacked program"
home=$tmp/home
mkdir -p "$home" "$tmp/files"
# A mark in the unpacked template shows the copy came from this tree.
printf '%s\r\n' 'パッケージ・テスト' >>"$root/usr/share/murmelin/お気に入り.txt"
# A text of solid blocks darkens the text view; the picture shown otherwise
# is pale.
block=$(printf '█%.0s' $(seq 60))
for _ in $(seq 40); do printf '%s\r\n' "$block"; done >"$tmp/files/練習.txt"
# Ten seconds of silence with lyrics beside it: the lyrics window opens.
le() { # le VALUE BYTES: little-endian bytes
  local v=$1 n=$2 out=
  for ((; n > 0; n--)); do out+=$(printf '\\x%02x' $((v & 255))); v=$((v >> 8)); done
  printf "$out"
}
rate=8000 data=$((8000 * 2 * 10))
{
  printf 'RIFF'; le $((36 + data)) 4; printf 'WAVEfmt '
  le 16 4; le 1 2; le 1 2; le $rate 4; le $((rate * 2)) 4; le 2 2; le 16 2
  printf 'data'; le $data 4; head -c $data /dev/zero
} >"$tmp/files/歌.wav"
printf '%s\r\n' '[00:00.00]いち' '[00:01.00]に' '[00:02.00]さん' >"$tmp/files/歌.lrc"

cat >"$tmp/run.sh" <<'RUN'
#!/usr/bin/env bash
# Inside xvfb-run: start, wait for the windows, take the picture, stop.
set -u
"$PROGRAM" "$@" >"$TMP/program.log" 2>&1 &
pid=$!
echo "$pid" >"$TMP/program.pid"
windows() { xwininfo -root -tree 2>/dev/null; }
shown=no
for _ in $(seq 300); do
  # By title (every window of the program has "Murmelin" as its class), and
  # not the 1x1 group leader, which has no class.
  if windows | grep -qF '"Murmelin": ("' && windows | grep -qF '"同期テキスト・ディスプレイ": '; then shown=yes; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
echo "$shown" >"$TMP/shown"
windows >"$TMP/windows.txt"
if [ $shown = yes ]; then
  sleep 0.5   # the first paint
  id=$(windows | grep -F '"Murmelin": ("' | head -n 1 | awk '{print $1}')
  import -window "$id" "$TMP/main.png"
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit 0
RUN
chmod +x "$tmp/run.sh"
unset QT_QPA_PLATFORM
launched=$SECONDS
env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" \
    PROGRAM="$root/usr/bin/murmelin" TMP="$tmp" \
    xvfb-run -a -s "-screen 0 1280x800x24" "$tmp/run.sh" "$tmp/files/練習.txt" "$tmp/files/歌.wav"
echo "windows shown after $((SECONDS - launched)) s (with Xvfb's start)"
if [ "$(cat "$tmp/shown")" != yes ]; then
  cat "$tmp/windows.txt" "$tmp/program.log" >&2
  fail "the main window and the lyrics window did not both show"
fi

work=$home/Documents/Murmelin
[ -d "$work/Speech1" ] || fail "no working folder with its list folder"
cmp -s "$work/お気に入り.txt" "$root/usr/share/murmelin/お気に入り.txt" ||
  fail "the favourites were not copied from the unpacked data"
if [ ! -f "$tmp/main.png" ]; then
  cat "$tmp/windows.txt" >&2
  fail "no picture of the main window"
else
  cp "$tmp/main.png" "$build/tst_package-window.png"   # to look at when it fails
  size=$(identify -format '%wx%h' "$tmp/main.png")
  echo "main window: $size"
  [ "${size%%x*}" -ge 900 ] || fail "the picture is not of the main window ($size)"
  # The top of the text view (its design place is 336,132 585x465; the
  # lyrics window, centred on the screen, covers its middle): blocks make it
  # grey, the pale picture shown without a text or an empty view do not.
  grey=$(convert "$tmp/main.png" -crop 560x140+340+140 +repage -colorspace Gray -format '%[fx:mean]' info:)
  echo "mean brightness at the top of the text view: $grey"
  awk -v g="$grey" 'BEGIN { exit !(g < 0.7) }' || fail "the command line's text is not in the text view ($grey)"
fi

echo "total $(elapsed)"
if [ $failures -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "PASS"
