#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, checks what a user
# gets, and removes it again. Needs root; asks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q -o DPkg::Lock::Timeout=600)

package=$(scripts/package.sh | tail -n 1)
echo "Built $package"
echo "Depends: $(dpkg-deb -f "$package" Depends)"

# What the package carries, whatever the local dpkg excludes later.
contents=$(dpkg-deb -c "$package" | awk '{print $NF}')
for path in usr/bin/zelvo usr/bin/zelvo-cli usr/share/applications/zelvo.desktop \
    usr/share/mime/packages/zelvo.xml usr/share/metainfo/io.github.zelvo.Zelvo.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/zelvo.svg usr/share/icons/hicolor/48x48/apps/zelvo.png \
    usr/share/icons/hicolor/256x256/apps/zelvo.png usr/share/man/man1/zelvo.1 \
    usr/share/man/man1/zelvo-cli.1 usr/share/zelvo/manual/index.html \
    usr/share/bash-completion/completions/zelvo-cli; do
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

# An instrument of TimGM6mb: past the fixed front part come its sample points.
/usr/bin/zelvo-cli export /usr/share/sounds/sf2/TimGM6mb.sf2 1 "$work/Flute.s1m"
size=$(stat -c %s "$work/Flute.s1m")
((size > 69766)) || { echo "the exported wave holds $size bytes"; exit 1; }

# The triggers of shared-mime-info and desktop-file-utils registered the type
# and the program; asked as a user with no settings of their own.
grep -qx 'audio/x-soundfont' /usr/share/mime/types
default=$(env -i HOME="$work" PATH="$PATH" xdg-mime query default audio/x-soundfont)
[[ $default == zelvo.desktop ]] || { echo "xdg-mime names '$default' for audio/x-soundfont"; exit 1; }
echo "audio/x-soundfont opens with $default"

cleanup
trap - EXIT
if dpkg-query -W -f='${Status}' zelvo 2>/dev/null | grep -q "install ok installed"; then
  echo "zelvo is still installed"; exit 1
fi
echo "Package installed, checked and removed"
