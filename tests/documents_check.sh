#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The documents name everything the code offers, so that they cannot drift
# from it: every menu item of the desktop program (each text given to
# addMenu, addAction, QMenu, QAction, setTitle or the window's item helper in
# src/app) appears in the HTML manual and in zelvo(1); every command of
# zelvo-cli's command table appears in the manual, zelvo-cli(1) and the
# README; every option zelvo-cli compares an argument with ("--...") appears
# in those three and in the bash completion. Prints each text that is
# missing and where, and fails if any is.
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

# What a reader sees: no tags or scdoc marks, entities decoded, every run of
# white space one space (a text may wrap anywhere).
plain() {
  perl -0777 -pe 's/<[^>]*>/ /g; s/&gt;/>/g; s/&lt;/</g; s/&hellip;/.../g; s/&amp;/&/g;
                  s/[*]//g; s/\b_|_\b//g; s/\s+/ /g' "$1"
}

# "file<TAB>text" for each string literal a menu is built from, without its
# mnemonic "&" and a closing "...".
menu_items() {
  perl -0777 -ne '
    while (/\b(?:addMenu|addAction|QMenu|QAction|setTitle|item)\s*\(\s*(?:[\w.>\-]+\s*,\s*)?
             (?:QStringLiteral|QString::fromLatin1|QString::fromUtf8|tr)?\s*\(?\s*"((?:[^"\\]|\\.)+)"/gx) {
      my $text = $1;
      $text =~ s/&&/\x00/g; $text =~ s/&//g; $text =~ s/\x00/&/g;
      $text =~ s/\.\.\.$//; $text =~ s/^\s+|\s+$//g;
      print "$ARGV\t$text\n" if length $text;
    }' src/app/*.cpp | sort -u
}

commands() {
  perl -0777 -ne 'print "$ARGV\t$1\n" while /\{\s*"([a-z][a-z-]*)"\s*,\s*Run\w+\s*\}/g' src/cli/*.cpp | sort -u
}

options() {
  perl -0777 -ne 'print "$ARGV\t$1\n" while /"(--[a-z][a-z0-9-]*)"/g' src/cli/*.cpp src/cli/*.h | sort -u
}

declare -A text_of
for document in doc/manual/index.html doc/zelvo.1.scd doc/zelvo-cli.1.scd README.md \
    data/zelvo-cli.bash-completion; do
  text_of[$document]=$(plain "$document")
done

missing=0
# Fails unless document holds text (as a whole word when it starts with "-").
expect() {
  local kind=$1 source=$2 text=$3 document=$4 pattern
  pattern=$(printf '%s' "$text" | sed 's/[][\.*^$/]/\\&/g')
  [[ $text == -* ]] && pattern="(^|[^[:alnum:]-])$pattern([^[:alnum:]-]|$)"
  if ! grep -Eq -- "$pattern" <<<"${text_of[$document]}"; then
    echo "$kind '$text' ($source) is missing from $document"
    missing=1
  fi
}

while IFS=$'\t' read -r source text; do
  for document in doc/manual/index.html doc/zelvo.1.scd; do expect "menu item" "$source" "$text" "$document"; done
done < <(menu_items)
while IFS=$'\t' read -r source text; do
  for document in doc/manual/index.html README.md; do expect "command" "$source" "zelvo-cli $text" "$document"; done
  expect "command" "$source" "$text" doc/zelvo-cli.1.scd
done < <(commands)
while IFS=$'\t' read -r source text; do
  for document in doc/manual/index.html doc/zelvo-cli.1.scd README.md data/zelvo-cli.bash-completion; do
    expect "option" "$source" "$text" "$document"
  done
done < <(options)
exit $missing
