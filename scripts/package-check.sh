#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, checks it with lintian (no error or warning,
# pedantic tags shown), installs it with apt-get, checks what a user gets
# (hardened binaries, the file type through xdg-open), and removes it again.
# Needs root; asks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q -o DPkg::Lock::Timeout=600)

package=$(scripts/package.sh | tail -n 1)
echo "Built $package"
echo "Depends: $(dpkg-deb -f "$package" Depends)"
echo "Recommends: $(dpkg-deb -f "$package" Recommends); Suggests: $(dpkg-deb -f "$package" Suggests)"

echo "lintian --pedantic $(basename "$package"):"
lintian --pedantic --fail-on error,warning "$package"

# What the package carries, whatever the local dpkg excludes later.
contents=$(dpkg-deb -c "$package" | awk '{print $NF}')
for path in usr/bin/zelvo usr/bin/zelvo-cli usr/share/applications/io.github.zelvo.Zelvo.desktop \
    usr/share/mime/packages/zelvo.xml usr/share/metainfo/io.github.zelvo.Zelvo.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/zelvo.svg usr/share/icons/hicolor/48x48/apps/zelvo.png \
    usr/share/icons/hicolor/256x256/apps/zelvo.png usr/share/man/man1/zelvo.1.gz \
    usr/share/man/man1/zelvo-cli.1.gz usr/share/doc/zelvo/manual/index.html \
    usr/share/doc/zelvo/manual/main-window.png usr/share/doc/zelvo/manual/waveform.png \
    usr/share/doc/zelvo/copyright usr/share/doc/zelvo/changelog.gz \
    usr/share/doc/zelvo/changelog.Debian.gz usr/share/bash-completion/completions/zelvo-cli; do
  grep -qx "\./$path" <<<"$contents" || { echo "the package lacks /$path"; exit 1; }
done

work=$(mktemp -d)
cleanup() {
  apt-get remove "${apt_options[@]}" zelvo </dev/null >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
apt-get install "${apt_options[@]}" "$package" </dev/null

[[ $(command -v zelvo-cli) == /usr/bin/zelvo-cli && $(command -v zelvo) == /usr/bin/zelvo ]] ||
  { echo "zelvo and zelvo-cli are not the package's on PATH"; exit 1; }
zelvo --version
zelvo-cli --version

# Both programs carry every hardening feature Debian 12's build flags give
# (control-flow protection is not among them).
hardening=$(hardening-check --nocfprotection /usr/bin/zelvo /usr/bin/zelvo-cli)
echo "$hardening"
for feature in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
    "Read-only relocations" "Immediate binding"; do
  [[ $(grep -c "^ $feature: yes" <<<"$hardening") == 2 ]] ||
    { echo "hardening-check: not both binaries have '$feature: yes'"; exit 1; }
done

# An instrument of TimGM6mb: past the fixed front part come its sample points.
/usr/bin/zelvo-cli export /usr/share/sounds/sf2/TimGM6mb.sf2 1 "$work/Flute.s1m"
size=$(stat -c %s "$work/Flute.s1m")
((size > 69766)) || { echo "the exported wave holds $size bytes"; exit 1; }

# The triggers of shared-mime-info and desktop-file-utils registered the type
# and the program; asked as a user with no settings of their own.
grep -qx 'audio/x-soundfont' /usr/share/mime/types
desktop=io.github.zelvo.Zelvo.desktop
for type in audio/x-soundfont audio/x-sfbk; do
  default=$(env -i HOME="$work" PATH="$PATH" xdg-mime query default $type)
  [[ $default == "$desktop" ]] || { echo "xdg-mime names '$default' for $type"; exit 1; }
  echo "$type opens with $default"
done

# xdg-open as on a desktop without libfile-mimeinfo-perl, whose mimetype a
# failing stand-in hides: xdg-mime asks file(1), which says audio/x-sfbk.
# A desktop file of the same id in the user's own folder runs a recorder
# instead of the program, to show which entry xdg-open chose and what it gave.
bank=/usr/share/sounds/sf2/TimGM6mb.sf2
mkdir -p "$work/bin" "$work/.local/share/applications"
printf '#!/bin/sh\nexit 1\n' >"$work/bin/mimetype"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/opened"\n' "$work" >"$work/bin/record"
chmod +x "$work/bin/mimetype" "$work/bin/record"
grep -qx 'Exec=zelvo %f' "/usr/share/applications/$desktop" || { echo "$desktop does not start zelvo"; exit 1; }
sed "s|^Exec=.*|Exec=$work/bin/record %f|" "/usr/share/applications/$desktop" \
  >"$work/.local/share/applications/$desktop"
as_user=(env -i HOME="$work" PATH="$work/bin:$PATH" DISPLAY=:0)
type=$("${as_user[@]}" xdg-mime query filetype "$bank")
[[ $type == audio/x-sfbk ]] || { echo "without mimetype, xdg-mime calls $bank '$type'"; exit 1; }
"${as_user[@]}" xdg-open "$bank"
[[ $(cat "$work/opened") == "$bank" ]] || { echo "xdg-open did not start $desktop with $bank"; exit 1; }
echo "xdg-open $bank ($type) starts $desktop"

cleanup
trap - EXIT
if dpkg-query -W -f='${Status}' zelvo 2>/dev/null | grep -q "install ok installed"; then
  echo "zelvo is still installed"; exit 1
fi
echo "Package installed, checked and removed"
