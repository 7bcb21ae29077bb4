#!/usr/bin/python3
"""damaged.py READER SCHEMA CLEAN...: what support receives instead of a clean
report (saved again, pasted, quoted, joined) reads as the clean one.

Each damage is a row of DAMAGES: how the bytes are changed, the note the reader
must give, and whether --render must give back the clean bytes. Every JSON line
written here is checked against the schema."""
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

NOTE = "Hello support,\nthe game stops at the logo. My report is below.\n\n"


def lines(text, each):
    return "\n".join(each(line) for line in text.split("\n"))


def quoted(text):
    return lines(text, lambda line: "> " + line if line else ">")


def stripped(text):
    return lines(text, lambda line: line.rstrip(" "))


# name, change of the clean text (str), encoding of the result, note expected, --render gives the clean bytes
DAMAGES = [
    ("utf-8", lambda t: t, "utf-8", "saved again as UTF-8;", True),
    ("utf-8 with BOM", lambda t: t, "utf-8-sig", "UTF-8 with a byte order mark", True),
    ("utf-16le", lambda t: "\ufeff" + t, "utf-16-le", "UTF-16LE", True),
    ("utf-16be", lambda t: "\ufeff" + t, "utf-16-be", "UTF-16BE", True),
    ("crlf", lambda t: t.replace("\n", "\r\n"), "cp932", None, False),
    ("cr cr lf", lambda t: t.replace("\n", "\r\r\n"), "cp932", "CR CR LF", True),
    ("crlf note above", lambda t: NOTE.replace("\n", "\r\n") + t, "cp932", "mixed", False),
    ("quoted", quoted, "cp932", "quoted with '> '", True),
    ("quoted twice", lambda t: quoted(quoted(t)), "cp932", "quoted 2 times", True),
    ("blanks stripped", stripped, "cp932", "trailing blanks were stripped", False),
    ("pasted into a mail", lambda t: quoted(stripped(t)).replace("\n", "\r\n"), "utf-8", "UTF-8", False),
]


def reader(exe, *args):
    run = subprocess.run([exe, *args], capture_output=True)
    return run.returncode, run.stdout


def check(schema, exe, path):
    code, out = reader(exe, "--json", path)
    objects = [json.loads(line) for line in out.decode("utf-8").splitlines()]
    for line in objects:
        jsonschema.validate(line, schema)
    return code, objects


def main():
    exe, schema_path, cleans = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    failures = []
    folder = tempfile.mkdtemp(prefix="envcheck-read-damaged-")

    def expect(ok, what):
        if not ok:
            failures.append(what)

    for clean_path in cleans:
        with open(clean_path, "rb") as f:
            clean = f.read()
        name = os.path.basename(clean_path)
        _, [want] = check(schema, exe, clean_path)
        expect(want["notes"] == [] and want["status"] == "read", f"{name}: the clean report is not read clean")
        code, rendered = reader(exe, "--render", clean_path)
        expect(rendered == clean, f"{name}: --render does not give the clean file back")
        text = clean.decode("cp932")
        for damage, change, encoding, note, renders_clean in DAMAGES:
            path = os.path.join(folder, f"{damage.replace(' ', '-')}-{name}")
            with open(path, "wb") as f:
                f.write(change(text).encode(encoding))
            code, got = check(schema, exe, path)
            what = f"{name}, {damage}"
            if len(got) != 1:
                failures.append(f"{what}: {len(got)} reports read")
                continue
            got = got[0]
            expect(got["status"] == want["status"], f"{what}: {got['status']}: {got['problems'][:3]}")
            expect(got["facts"] == want["facts"], f"{what}: the facts differ from the clean report's")
            expect(got["findings"] == want["findings"], f"{what}: findings {got['findings']}")
            if note is None:
                expect(got["notes"] == [], f"{what}: notes {got['notes']}")
            else:
                expect(any(note in n for n in got["notes"]), f"{what}: no note '{note}' in {got['notes']}")
            if renders_clean:
                code, rendered = reader(exe, "--render", path)
                expect(rendered == clean, f"{what}: --render differs from the clean bytes")
                expect(got["sha256"] == want["sha256"], f"{what}: not keyed as the clean report")
    # Two runs in one file, a note above each: two reports, each as it reads alone.
    if len(cleans) >= 2:
        first, second = (open(p, "rb").read() for p in cleans[:2])
        joined = os.path.join(folder, "joined.txt")
        with open(joined, "wb") as f:
            f.write(NOTE.encode() + first + b"And after the driver update:\n" + second)
        code, got = check(schema, exe, joined)
        alone = [check(schema, exe, p)[1][0] for p in cleans[:2]]
        expect([g["part"] for g in got] == [1, 2], f"joined: parts {[g['part'] for g in got]}")
        for g, a in zip(got, alone):
            expect(g["facts"] == a["facts"] and g["findings"] == a["findings"], f"joined: report {g['part']} differs")
            expect(g["sha256"] == a["sha256"], f"joined: report {g['part']} is not keyed as when sent alone")
        prefaces = [[i["text"] for s in g["sections"] if s["id"] == "preface" for i in s["items"]] for g in got]
        expect(prefaces == [["Hello support,", "the game stops at the logo. My report is below."],
                            ["And after the driver update:"]], f"joined: the notes above read {prefaces}")
        # A note of two paragraphs between the runs, and a first run without its closing blank line.
        for case, between, first_text in [("a note of two paragraphs", b"After a reboot.\n\nDriver updated.\n", first),
                                           ("no closing blank line", b"", first[:-1])]:
            with open(joined, "wb") as f:
                f.write(first_text + between + second)
            code, got = check(schema, exe, joined)
            expect(len(got) == 2 and all(g["facts"] == a["facts"] for g, a in zip(got, alone)), f"joined, {case}: facts differ")
            expect(between == b"" or got[0]["status"] == alone[0]["status"], f"joined, {case}: {got[0]['problems'][:2]}")
            prefaces = [[i["text"] for s in g["sections"] if s["id"] == "preface" for i in s["items"]] for g in got]
            expect(prefaces[1:] == [["After a reboot.", "Driver updated."] if between else []], f"joined, {case}: {prefaces}")
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(cleans)} reports x {len(DAMAGES)} damages: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
