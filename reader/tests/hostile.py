#!/usr/bin/python3
"""hostile.py READER SAMPLE: files a player could send to hurt the reader, and
databases shared by importers, each row with the exit code, the words the
reader must say and, for files, the memory it may use (an address-space limit
on the reader: 8 times a 16 MiB file, and the program itself).

Large files are made here, never stored. A row that needs what this machine
cannot give (mounting a small disk, a user without root's rights) is skipped
and says why."""
import os
import re
import shutil
import sqlite3
import stat
import subprocess
import sys
import tempfile

READER, SAMPLE = sys.argv[1], open(sys.argv[2], "rb").read()
MIB = 1024 * 1024
LIMIT = 8 * 16 * MIB + 48 * MIB
failures, skipped = [], []


def filled(head, unit, size=16 * MIB):
    return head + unit * ((size - len(head)) // len(unit))


def renamed(name, text=SAMPLE):
    return text.replace(b"Computer name:  VM", b"Computer name:  " + name)


def limited():
    import resource
    resource.setrlimit(resource.RLIMIT_AS, (LIMIT, LIMIT))


def run(args, cwd, limit=True, user=False, timeout=300):
    prefix = []
    if user and os.geteuid() == 0:
        prefix = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
    # No timing is checked: the timeout only ends a run that would hang the suite.
    try:
        return subprocess.run(prefix + [READER] + args, cwd=cwd, capture_output=True, timeout=timeout,
                              preexec_fn=limited if limit else None)
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(args, -1, b"", b"(still running: ended by the test)")


def check(name, result, code, says=(), never=()):
    out = result.stdout + result.stderr
    problems = []
    if result.returncode != code:
        problems.append(f"exit {result.returncode}, not {code}")
    problems += [f"does not say {s!r}" for s in says if s not in out]
    problems += [f"says {s!r}" for s in never if (s.search(out) if hasattr(s, "search") else s in out)]
    if problems:
        failures.append(f"{name}: {'; '.join(problems)}\n  output: {out[:600]!r}")


CONTROL = re.compile(rb"[\x00-\x09\x0b-\x1f\x7f]|\xc2[\x80-\x9f]")
FORGED = re.compile(rb"^(== next\.txt|Findings: none)", re.M)  # the sample has findings
TABLE = b"+--+--+--+--+--+--+--+\n| a| b| c| d| e| f| g|\n+--+--+--+--+--+--+--+\n"
FORGERY = b"\x1b]52;c;cm0gLXJm\x07\x1b[2J\r== next.txt (read)\nFindings: none\n"

# name, bytes, arguments before the file, exit code, words said
FILES = [
    ("headings", filled(b"", b"Process Enum:\n"), [], 1, [b"more than 64 sections; from here on it is kept as text"]),
    ("blank lines", filled(b"Hardware information: \nProcess Enum:\n", b"\n"), ["--json"], 1,
     [b"the file has more than 100000 lines; from here on it is kept as text"]),
    ("reports", filled(b"", b"Hardware information: \n"), [], 1, [b"report 64 of 64"]),
    ("fields", filled(b"Hardware information: \n", b"a:b\n"), ["--json"], 1, [b"kept as text"]),
    ("short rows", filled(SAMPLE + b"Process Enum:\n" + TABLE, b"|  |  |  |  |  |  |  |\n"), ["--json"], 1,
     [b"kept as text"]),
    ("wide border", filled(b"Hardware information: \nProcess Enum:\n", b"+" + b"-+" * 4000 + b"\n"), ["--json"], 1,
     [b"a table border of more than 16 columns"]),
    ("mixed ends", filled(b"Hardware information: \r\n", b"\r\n\n"), [], 1, [b"line ends were mixed"]),
    ("bad bytes", SAMPLE + b"\xff\n" * 500, [], 1, [b"a line the section 'current' does not have", b"901 more problems are not listed"]),
    ("family", SAMPLE.replace(b"  Family: 6\n  Extended Family: 0", b"  Family: 9223372036854775807\n  Extended Family: 16"),
     [], 1, [b"the number of 'Family' is out of range: 9223372036854775807"]),
    ("forged lines", FORGERY.replace(b"\n", b"\r\n") + b"\r\n" + renamed(FORGERY[:-1].replace(b"\n", b" "),
                                                                       SAMPLE.replace(b"\n", b"\r\n")), [], 0,
     [b"\\x1B]52;c;cm0gLXJm\\x07"]),
]

with tempfile.TemporaryDirectory() as folder:
    os.chmod(folder, 0o755)
    for name, data, args, code, says in FILES:
        path = os.path.join(folder, name.replace(" ", "-") + ".txt")
        with open(path, "wb") as f:
            f.write(data)
        result = run(args + [path], folder)
        check(name, result, code, says, [b"bad_alloc", b"terminate"])
        if not args:
            # What a person reads holds no control character and no line of the report's making.
            if CONTROL.search(result.stdout) or (FORGERY in data and FORGED.search(result.stdout)):
                failures.append(f"{name}: a control character or a forged line reaches the terminal: "
                                f"{result.stdout[:300]!r}")
        os.remove(path)

    # The reader's own memory ran out: that file is unreadable, the others are read.
    big = os.path.join(folder, "big.txt")
    with open(big, "wb") as f:
        f.write(filled(SAMPLE.split(b"Process Enum:")[0] + b"Process Enum:\n" + TABLE, b"| 1| a| b| c| d| e| f|\n"))
    with open(os.path.join(folder, "small.txt"), "wb") as f:
        f.write(SAMPLE)
    LIMIT, saved = 40 * MIB, LIMIT
    check("out of memory", run(["big.txt", "small.txt"], folder), 2,
          [b"== big.txt (unreadable)\nProblems:\n  there is not enough memory to read it", b"== small.txt (read)"])
    LIMIT = saved

    # Names: bytes that are no UTF-8, two of them that a replacement character would make one,
    # a control character, and text that looks like an escape.
    names = [b"caf\xe9.txt", b"caf\xe8.txt", b"new\nline.txt", b"a\\x41.txt"]
    for name in names:
        with open(os.path.join(folder.encode(), name), "wb") as f:
            f.write(renamed(name.hex().encode()))
    result = run(["--json"] + names, folder)
    files = [line.split(b'"file":"')[1].split(b'"')[0] for line in result.stdout.splitlines()]
    expected = [b"caf\\\\xE9.txt", b"caf\\\\xE8.txt", b"new\\\\x0Aline.txt", b"a\\\\x5Cx41.txt"]
    if files != expected:
        failures.append(f"file names in JSON: {files} (expected {expected})")
    db = os.path.join(folder, "names.sqlite")
    check("names stored", run(["--db", db] + names, folder), 0, [b"added 4 (0 read in part)"])
    connection = sqlite3.connect(db)
    connection.text_factory = bytes  # a name stored as bytes that are no UTF-8 is seen, not raised
    stored = sorted(row[0] for row in connection.execute("SELECT file FROM reports"))
    if stored != sorted(n.replace(b"\\\\", b"\\") for n in expected):
        failures.append(f"file names in the database: {stored}")
    check("name in summary", run([names[2]], folder), 0, [b"== new\\x0Aline.txt (read)"])

    # What is no regular file, a folder that cannot be listed and links out of the folder named.
    os.mkfifo(os.path.join(folder, "pipe.txt"))
    check("fifo", run(["pipe.txt"], folder, timeout=30), 2, [b"pipe.txt (unreadable)\nProblems:\n  is not a regular file"])
    tree = os.path.join(folder, "tree")
    for sub in ("a", "locked", "z"):
        os.makedirs(os.path.join(tree, sub))
    for sub, text in (("a", renamed(b"A")), ("locked", renamed(b"L")), ("z", renamed(b"Z"))):
        with open(os.path.join(tree, sub, "r.txt"), "wb") as f:
            f.write(text)
    os.symlink("/etc/passwd", os.path.join(tree, "passwd.txt"))
    os.symlink(os.path.join(tree, "a", "r.txt"), os.path.join(tree, "z", "same.txt"))
    os.mkfifo(os.path.join(tree, "z", "pipe.txt"))
    os.chmod(os.path.join(tree, "locked"), 0)
    shutil.copyfile(sys.argv[2], os.path.join(tree, "z", "partial.txt"))
    with open(os.path.join(tree, "z", "partial.txt"), "ab") as f:
        f.write(b"\xff\n")
    with open(os.path.join(tree, "z", "letter.txt"), "wb") as f:
        f.write(b"Dear support\n")
    os.chmod(tree, 0o777)
    for sub in ("a", "z"):
        os.chmod(os.path.join(tree, sub), 0o777)
    probe = run(["--db", os.path.join(tree, "probe.sqlite"), os.path.join(tree, "locked")], tree, user=True)
    if b"cannot be listed" not in probe.stderr:
        skipped.append("the folder walk: no user here to whom a folder is unreadable")
    else:
        check("folder walk", run(["--db", os.path.join(tree, "walk.sqlite"), tree], tree, user=True), 2,
              [b"locked: cannot be listed", b"passwd.txt: a link that leads outside the folder: skipped",
               b"pipe.txt: is not a regular file: skipped",
               b"added 3 (1 read in part), already there 1, unreadable 1, skipped 3\n"], [b"root:"])

    # A database is a file: one in memory would take every report and keep none.
    for target in ("", ":memory:", "file:x?mode=memory"):
        check(f"--db {target!r}", run(["--db", target, "small.txt"], folder), 2, [b"keeps nothing"], [b"added"])

    # Another program's database, one whose tables are not the reader's, and one of a newer reader.
    for name, sql, says in [
        ("foreign", "CREATE TABLE processes (pid INTEGER, started TEXT)", b"another program's"),
        ("other tables", "CREATE TABLE reports (id INTEGER PRIMARY KEY, file TEXT, sha256 TEXT, status TEXT);"
                         "CREATE TABLE processes (id INTEGER, name TEXT)", b"not those of envcheck-read"),
        ("other processes", "CREATE TABLE reports (id INTEGER PRIMARY KEY, sha256 TEXT);"
                            "CREATE TABLE processes (id INTEGER, name TEXT); PRAGMA user_version = 2",
         b"not those of envcheck-read"),
        ("newer", "CREATE TABLE reports (id INTEGER); PRAGMA user_version = 99", b"newer than this reader's"),
    ]:
        db = os.path.join(folder, name.replace(" ", "-") + ".sqlite")
        connection = sqlite3.connect(db)
        connection.executescript(sql)
        connection.close()
        before = open(db, "rb").read()
        check(f"{name} database", run(["--db", db, "small.txt"], folder), 2, [says])
        if open(db, "rb").read() != before:
            failures.append(f"{name} database: changed")

    # Two importers at once, and a reader holding a read transaction: all finish, each report stored once.
    shared = os.path.join(folder, "shared")
    os.makedirs(shared)
    for n in range(60):
        with open(os.path.join(shared, f"r{n:02}.txt"), "wb") as f:
            f.write(renamed(b"PC%02d" % n))
    db = os.path.join(folder, "shared.sqlite")
    importers = [subprocess.Popen([READER, "--db", db, shared], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
                 for _ in range(2)]
    outputs = [p.communicate(timeout=300)[0] for p in importers]
    counts = [int(re.search(rb"already there (\d+)", out).group(1)) if b"already" in out else -1 for out in outputs]
    if [p.returncode for p in importers] != [0, 0] or sum(counts) != 60:
        failures.append(f"two importers: exits {[p.returncode for p in importers]}, {outputs}")
    reading = sqlite3.connect(db, isolation_level=None)
    reading.execute("BEGIN")
    reading.execute("SELECT COUNT(*) FROM reports").fetchall()
    with open(os.path.join(shared, "late.txt"), "wb") as f:
        f.write(renamed(b"LATE"))
    check("read transaction held", run(["--db", db, shared], folder), 0, [b"added 1 (0 read in part), already there 60"])
    reading.execute("COMMIT")
    if sqlite3.connect(db).execute("SELECT COUNT(*), COUNT(DISTINCT sha256) FROM reports").fetchone() != (61, 61):
        failures.append("shared database: not each report once")

    # A disk that fills: the first error is said, and what was stored before it stays. The disk holds
    # the schema and a report or two in the WAL (each touches a page of every table and index), not 60.
    disk = os.path.join(folder, "disk")
    os.makedirs(disk)
    script = (f"mount -t tmpfs -o size=384k tmpfs {disk} || exit 99; {READER} --db {disk}/full.sqlite {shared};"
              f" code=$?; cp {disk}/full.sqlite* {folder}/ 2>/dev/null; exit $code")
    full = subprocess.run(["unshare", "-m", "sh", "-c", script], capture_output=True, timeout=300)
    if full.returncode == 99 or b"Operation not permitted" in full.stderr:
        skipped.append("disk full: no small disk can be mounted here")
    else:
        check("disk full", full, 2, [b"not stored: disk full", b"stopped at the first failure; stored before it: added"],
              [b"FOREIGN KEY"])
        said = re.search(rb"stored before it: added (\d+)", full.stderr)
        kept = sqlite3.connect(os.path.join(folder, "full.sqlite")).execute("SELECT COUNT(*) FROM reports").fetchone()
        if said is None or int(said.group(1)) != kept[0] or kept[0] == 0:
            failures.append(f"disk full: says {said and said.group(0)}, keeps {kept[0]}")

for reason in skipped:
    print(f"skipped: {reason}")
for failure in failures:
    print(f"FAILED {failure}")
print(f"{len(FILES)} hostile files and the database cases: {len(failures)} failures")
sys.exit(1 if failures else 0)
