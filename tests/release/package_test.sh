#!/usr/bin/env bash
# Builds the release twice and checks what a Windows user gets: the same verified archives both
# times; in each, one folder with the program for its machine, both guides and the licence,
# which Notepad decodes, with CR LF; the guides with the version in their header and the note
# on the language for non-Unicode programs.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
dist=$CB_BUILD/dist log=$CB_BUILD/package-test.log
# DOS times step by two seconds: the pause lets a file stamped with the build's time differ.
bash "$CB_ROOT/scripts/package.sh" > "$log" 2>&1 && sums=$(cat "$dist/SHA256SUMS") && sleep 2 &&
  bash "$CB_ROOT/scripts/package.sh" >> "$log" 2>&1 || { tail -20 "$log"; echo "0 passed, 1 failed"; exit 1; }
python3 - "$dist" "$sums" <<'PY'
import hashlib, re, sys, zipfile
dist, first = sys.argv[1:]
ok = []
def check(what, good): ok.append(good) or good or print("FAILED:", what)
sums = open(dist + "/SHA256SUMS").read()
entries = [line.split("  ") for line in sums.splitlines()]
check("SHA256SUMS: both archives, verified", [n[-9:] for _, n in entries] == ["win32.zip", "win64.zip"]
      and all(hashlib.sha256(open(f"{dist}/{n}", "rb").read()).hexdigest() == h for h, n in entries))
check("the same archives on a second build", sums.strip() == first)
notes = {"readme.txt": ("【バージョン】", "「Unicode 対応ではないプログラムの言語」"),
         "readme_en.txt": ("Version:   ", '"Language for non-Unicode programs"')}
for _, name in entries:
    folder, a = name[:-4], zipfile.ZipFile(f"{dist}/{name}")
    files = {i.filename: a.read(i) for i in a.infolist()}
    check(name + ": its folder",
          list(files) == [f"{folder}/{n}" for n in (*notes, "LICENSE.txt", "chordbell.exe")])
    exe = files.get(folder + "/chordbell.exe", bytes(64))
    pe = int.from_bytes(exe[0x3C:0x40], "little") + 4
    check(name + ": program for its machine", exe[pe:pe + 2] == (b"L\1" if "win32" in name else b"d\x86"))
    for text_file in (*notes, "LICENSE.txt"):
        raw, what = files.get(f"{folder}/{text_file}", b""), f"{name}/{text_file}: "
        # As Notepad reads it: a BOM says UTF-8; every character must then be in a Windows font.
        text = raw[3:].decode("utf-8", "replace") if raw[:3] == b"\xef\xbb\xbf" else "\ufffd"
        check(what + "decodes", all(c.isascii() or c.encode("cp932", "ignore") or
                                    c.encode("cp1252", "ignore") for c in text))
        check(what + "CR LF only", raw.count(b"\r\n") == raw.count(b"\n") == raw.count(b"\r") > 0)
        check(what + "no placeholder left", not re.search("@[A-Z]+@", text))
        if text_file in notes:
            label, note = notes[text_file]
            check(what + "version, note", f"\n{label}{folder.split('-')[1]}\r" in text and note in text)
print(f"{sum(ok)} passed, {len(ok) - sum(ok)} failed")
sys.exit(not all(ok))
PY
