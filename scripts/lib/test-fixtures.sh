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
# A folder moved elsewhere with a link (its target holds a link of its own), and links
# to protected folders: a link in a middle component (users-alias\<user> is the profile),
# a link that is itself the folder (windows-link), and a second drive letter for C:.
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$fixtures/moved-target" "$fixtures/user-data/album"
echo precious >"$fixtures/user-data/precious.txt"
echo precious >"$fixtures/user-data/album/photo.jpg"
ln -s moved-target "$fixtures/moved-link"
ln -s ../link-target "$fixtures/moved-target/inner-link"
ln -s ../users "$fixtures/users-alias"
ln -s ../windows "$fixtures/windows-link"
ln -sfn ../drive_c "$WINEPREFIX/dosdevices/y:"
# A folder named through two links: chain\l1\b\l2\p is really chain\far\p, and chain\l1\b
# on the way there is really chain\real\x\b.
mkdir -p "$fixtures/chain/real/x/b" "$fixtures/chain/far/p"
ln -s real/x "$fixtures/chain/l1"
ln -s ../../../far "$fixtures/chain/real/x/b/l2"
# A link to user data inside every folder a run sweeps, the fixed ones included.
for folder in Cache Cookies Recent NetHood Temp; do
  mkdir -p "$fixtures/swept/$folder"
  ln -s ../../user-data "$fixtures/swept/$folder/data-link"
done
for folder in windows/temp windows/tmp "windows/Downloaded Program Files" temp tmp; do
  mkdir -p "$drive_c/$folder"
  ln -sfn "$fixtures/user-data" "$drive_c/$folder/corvale-data-link"
done
# Links to single files, and a second name (hard link) of a read-only file, in folders a
# run sweeps: under Wine a file link opens as the file it names. Beside the swept places,
# so that only the rows that point a place here sweep them.
mkdir -p "$fixtures/link-victims" "$fixtures/swept/hard-link"
for folder in Cache Cookies Recent NetHood Temp; do
  mkdir -p "$fixtures/swept/file-links/$folder"
  echo precious >"$fixtures/link-victims/$folder.lnk"
  ln -s "../../../link-victims/$folder.lnk" "$fixtures/swept/file-links/$folder/thesis.lnk"
done
echo precious >"$fixtures/link-victims/read-only.txt"
chmod a-w "$fixtures/link-victims/read-only.txt"
ln "$fixtures/link-victims/read-only.txt" "$fixtures/swept/hard-link/read-only.txt"
# A drive letter whose root is the profile's Documents, as "subst S: <Documents>" makes
# one on Windows: a fixed drive, and no disk.
ln -sfn "../drive_c/users/${USER:-$(id -un)}/Documents" "$WINEPREFIX/dosdevices/s:"
# The profile's own folders are links to HOME in a fresh prefix; as plain folders they
# show that the protected list, not the link rule, keeps them.
for profile in "$drive_c"/users/*/; do
  for folder in Desktop Documents Downloads Music Pictures Videos; do
    if [[ -L "$profile$folder" ]]; then
      rm "$profile$folder"
      mkdir "$profile$folder"
    fi
  done
done
# C:\tmp, which any user may make, made a link into this user's own Documents, as another
# user could make it: a run must not follow it.
user_documents="$drive_c/users/${USER:-$(id -un)}/Documents"
mkdir -p "$user_documents/Thesis"
echo thesis >"$user_documents/Thesis/thesis.docx"
rm -rf "$drive_c/tmp"
ln -s "users/${USER:-$(id -un)}/Documents/Thesis" "$drive_c/tmp"
# A second fixed drive, D:, outside drive C:'s folder, and in a swept place a link to a
# file at the same path on D: as the link's own on C:.
drive_d="$WINEPREFIX/drive_d"
rm -rf "$drive_d"
mkdir -p "$drive_d/corvale-fixtures/swept/drive-link" "$fixtures/swept/drive-link"
echo precious >"$drive_d/corvale-fixtures/swept/drive-link/precious.txt"
ln -sfn ../drive_d "$WINEPREFIX/dosdevices/d:"
ln -s "$drive_d/corvale-fixtures/swept/drive-link/precious.txt" "$fixtures/swept/drive-link/precious.txt"
# A link that names a protected folder whose real path, inside the swept Temp folder, is
# longer than MAX_PATH.
ln -s "swept/Temp/$(printf 'l%.0s' {1..120})/$(printf 'l%.0s' {1..120})/fffffffffffffffffffffff" "$fixtures/long-link"
# What a disk check leaves on a network drive (N:) and a CD-ROM drive (R:), which are not
# the user's disks, and names at the root of C: that only the platform's wildcard rules
# would take for disk-check leftovers: a folder "Found" and a file whose short name is
# FILE~xxx.CHK.
for drive in network-drive cd-drive; do
  mkdir -p "$fixtures/$drive/FOUND.000"
  echo theirs >"$fixtures/$drive/FOUND.000/FILE0000.CHK"
  echo theirs >"$fixtures/$drive/FILE0001.CHK"
done
ln -sfn ../drive_c/corvale-fixtures/network-drive "$WINEPREFIX/dosdevices/n:"
ln -sfn ../drive_c/corvale-fixtures/cd-drive "$WINEPREFIX/dosdevices/r:"
rm -rf "$drive_c/Found" "$drive_c/filelist.chkpt"
mkdir -p "$drive_c/Found"
echo precious >"$drive_c/Found/photo.jpg"
echo precious >"$drive_c/filelist.chkpt"
