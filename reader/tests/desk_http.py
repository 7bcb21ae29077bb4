#!/usr/bin/python3
"""desk_http.py READER SAMPLE: the desk over HTTP, as a stranger on the
office's network or a hurried agent would use it: the token, the form token,
the size limits, hostile zips, the same report sent twice at once, and a
desk killed while it adds reports. One row per case; each says what it saw."""
import http.client
import io
import json
import os
import re
import signal
import sqlite3
import sys
import tempfile
import threading
import time
import zipfile

import desk_fixtures

READER, SAMPLE = sys.argv[1], open(sys.argv[2], "rb").read()
MIB = 1024 * 1024
failures = []


def renamed(name, text=SAMPLE):
    return text.replace(b"Computer name:  VM", b"Computer name:  " + name)


class Desk(desk_fixtures.Desk):
    """A desk of its own on a free port over a database in folder, and requests to it."""

    def __init__(self, folder, *options, database="desk.db"):
        super().__init__(READER, os.path.join(folder, database), folder, *options)
        self.csrf = None

    def request(self, method, path, body=None, headers=None, host="127.0.0.1"):
        connection = http.client.HTTPConnection(host, self.port, timeout=120)
        connection.request(method, path, body=body, headers=headers or {})
        response = connection.getresponse()
        data = response.read()
        connection.close()
        return response.status, dict(response.getheaders()), data

    def form_token(self, headers=None):
        status, _, page = self.request("GET", "/", headers=headers)
        match = re.search(rb'name="csrf-token" content="([0-9a-f]+)"', page)
        if not match:
            raise RuntimeError(f"no form token on the inbox (HTTP {status}): {page[:300]!r}")
        return match.group(1).decode()

    def upload(self, files, csrf=True, path="/api/upload", headers=None):
        boundary = "deskboundary7d1"
        body = io.BytesIO()
        for name, data in files:
            body.write(f'--{boundary}\r\nContent-Disposition: form-data; name="reports"; filename="{name}"\r\n'
                       f"Content-Type: application/octet-stream\r\n\r\n".encode() + data + b"\r\n")
        body.write(f"--{boundary}--\r\n".encode())
        sent = {"Content-Type": f"multipart/form-data; boundary={boundary}", **(headers or {})}
        if csrf:
            sent["X-CSRF-Token"] = self.csrf or self.form_token(headers)
        return self.request("POST", path, body.getvalue(), sent)


def rows(database, sql):
    with sqlite3.connect(database) as db:
        return db.execute(sql).fetchall()


def expect(name, condition, saw):
    if not condition:
        failures.append(f"{name}: {saw}")


def token_off_loopback(folder):
    token_file = os.path.join(folder, "token")
    desk = Desk(folder, "--listen", "0.0.0.0:0", "--token-file", token_file)
    try:
        token = open(token_file).read().strip()
        expect("token: a new one is made, readable by its owner only", len(token) >= 32 and
               (os.stat(token_file).st_mode & 0o077) == 0, f"{token!r} {oct(os.stat(token_file).st_mode)}")
        for path in ["/", "/api/reports", "/reports/1", "/survey", "/static/desk.js"]:
            status, _, body = desk.request("GET", path)
            expect(f"token: {path} without it", status == 401 and b"csrf" not in body and b"<table" not in body,
                   f"HTTP {status} {body[:200]!r}")
        status, _, body = desk.request("GET", "/" + "x" * 9000)
        expect("token: an error answer without it holds nothing of the desk", status >= 400 and b"csrf" not in body and len(body) < 100,
               f"HTTP {status} {body[:200]!r}")
        status, _, _ = desk.request("GET", "/api/reports", headers={"Authorization": "Bearer " + token[:-1] + ("1" if token[-1] == "0" else "0")})
        expect("token: a wrong one", status == 401, f"HTTP {status}")
        status, headers, _ = desk.request("POST", "/login", f"token={token}",
                                          {"Content-Type": "application/x-www-form-urlencoded"})
        cookie = headers.get("Set-Cookie", "")
        expect("token: asked once, kept in an HttpOnly SameSite=Strict cookie",
               status == 303 and "HttpOnly" in cookie and "SameSite=Strict" in cookie, f"HTTP {status} {cookie!r}")
        status, _, body = desk.request("GET", "/", headers={"Cookie": cookie.split(";")[0]})
        expect("token: the cookie opens the inbox", status == 200 and b'id="inbox"' in body, f"HTTP {status}")
        status, _, _ = desk.request("GET", "/api/reports", headers={"Authorization": "Bearer " + token})
        expect("token: the API takes it as a bearer", status == 200, f"HTTP {status}")
    finally:
        desk.stop()


def loopback_only(folder):
    desk = Desk(folder, "--listen", "127.0.0.1:0")
    try:
        for name in ["desk.attacker.example", "127.attacker.example"]:
            status, _, _ = desk.request("GET", "/", headers={"Host": name})
            expect(f"loopback: another host's name ({name}, DNS rebinding) is refused", status == 421, f"HTTP {status}")
        status, headers, body = desk.request("GET", "/")
        csp = headers.get("Content-Security-Policy", "")
        expect("loopback: the inbox, with a policy that forbids inline script and other origins",
               status == 200 and "script-src 'self'" in csp and "default-src 'none'" in csp, f"HTTP {status} {csp!r}")
        status, _, body = desk.request("GET", "/reports/999")
        expect("errors: a page that says what went wrong", status == 404 and b"There is no report 999" in body,
               f"HTTP {status} {body[:200]!r}")
        status, _, body = desk.upload([("a.txt", SAMPLE)], csrf=False)
        expect("form token: missing", status == 403 and rows(desk.database, "SELECT COUNT(*) FROM reports")[0][0] == 0,
               f"HTTP {status} {body[:200]!r}")
        status, _, body = desk.upload([("a.txt", SAMPLE)], headers={"Origin": "http://evil.example"})
        expect("form token: another origin", status == 403, f"HTTP {status} {body[:200]!r}")
        status, _, _ = desk.request("DELETE", "/reports/1")
        expect("form token: a DELETE without it", status == 403, f"HTTP {status}")

        big = renamed(b"BIG") + b"x" * (16 * MIB)
        status, _, body = desk.upload([("big.txt", big)])
        expect("limits: a report over 16 MiB", status == 413 and b"larger than 16 MiB" in body, f"HTTP {status} {body[:300]!r}")
        # The length alone is refused before the body is read.
        status, _, body = desk.request("POST", "/api/upload", b"x" * 10, {
            "Content-Type": "multipart/form-data; boundary=x", "Content-Length": str(257 * MIB)})
        expect("limits: a request over 256 MiB", status == 413 and b"256 MiB" in body, f"HTTP {status} {body[:300]!r}")
        many = [(f"r{n}.txt", b"x") for n in range(1002)]
        status, _, body = desk.upload(many)
        answer = json.loads(body)["files"]
        expect("limits: more than 1000 files: the first 1000 read, then one line for the rest",
               len(answer) == 1001 and "more than 1000 files" in answer[-1]["result"], f"HTTP {status} {body[-300:]!r}")
        # What a body would take in memory is its length, never more.
        for name, headers, code in [
                ("a compressed body", {"Content-Encoding": "gzip", "Content-Length": "10"}, 415),
                ("a body of no length", {"Transfer-Encoding": "chunked"}, 411),
                ("a token longer than any", {"Content-Length": "100000"}, 413)]:
            status, _, _ = desk.request("POST", "/login" if code == 413 else "/api/upload", b"", {
                "Content-Type": "multipart/form-data; boundary=x", **headers})
            expect(f"limits: {name}", status == code, f"HTTP {status}, not {code}")
        status, _, body = desk.request("GET", "/static/chart.min.js", headers={"Range": "bytes=0-,0-,0-"})
        expect("limits: ranges, which would copy an answer many times", status == 416 and len(body) < 2000, f"HTTP {status}, {len(body)} bytes")
        entries = io.BytesIO()
        with zipfile.ZipFile(entries, "w") as archive:
            for n in range(10001):
                archive.writestr(f"e{n}", b"")
        status, _, body = desk.upload([("entries.zip", entries.getvalue())])
        expect("limits: a zip of more entries than a request may carry is not opened",
               status == 413 and b"more than 10000" in body, f"HTTP {status} {body[:300]!r}")
        # A directory that says less than it holds, or more end records than one, is what
        # makes libzip read on past the count: neither is opened.
        two = io.BytesIO()
        with zipfile.ZipFile(two, "w") as archive:
            archive.writestr("a.txt", renamed(b"UNDERSTATED"))
            archive.writestr("b.txt", renamed(b"UNDERSTATED2"))
        understated = bytearray(two.getvalue())
        understated[-12:-10] = understated[-14:-12] = (1).to_bytes(2, "little")
        echoes = io.BytesIO()
        with zipfile.ZipFile(echoes, "w") as archive:
            archive.writestr("a.txt", renamed(b"ECHOES"))
            archive.comment = b"PK\x05\x06" + bytes(18)
        for name, data in [("understated.zip", bytes(understated)), ("echoes.zip", echoes.getvalue())]:
            status, _, body = desk.upload([(name, data)])
            expect(f"zips: {name} is not opened", status == 422 and b"not a zip this desk reads" in body, f"HTTP {status} {body[:300]!r}")

        # An upload cut off two thirds into its file: nothing of that file is stored.
        boundary = "cut"
        cut = (f'--{boundary}\r\nContent-Disposition: form-data; name="reports"; filename="cut.txt"\r\n\r\n'.encode()
               + renamed(b"CUT") + f"\r\n--{boundary}--\r\n".encode())
        said = desk.log_text().count("envcheck-read: desk: ")
        connection = http.client.HTTPConnection("127.0.0.1", desk.port, timeout=30)
        connection.putrequest("POST", "/api/upload")
        for header, value in {"Content-Type": f"multipart/form-data; boundary={boundary}", "Content-Length": str(len(cut)),
                              "X-CSRF-Token": desk.form_token()}.items():
            connection.putheader(header, value)
        connection.endheaders(cut[:len(cut) * 2 // 3])
        connection.close()
        # Checked once the desk has said what it made of the upload (a line of its log), not after a time.
        deadline = time.monotonic() + 60
        while desk.log_text().count("envcheck-read: desk: ") == said and time.monotonic() < deadline:
            time.sleep(0.01)
        cut_rows = rows(desk.database, "SELECT COUNT(*) FROM reports WHERE computer = 'CUT'")[0][0]
        expect("an upload cut off: its file is not stored as a report cut short",
               cut_rows == 0 and "was cut off" in desk.log_text(), f"{cut_rows} rows; log {desk.log_text()[-300:]!r}")

        bomb = io.BytesIO()
        with zipfile.ZipFile(bomb, "w", zipfile.ZIP_DEFLATED) as archive:
            archive.writestr("bomb.txt", b"\0" * (200 * MIB))
            for n in range(20):
                archive.writestr(f"part{n}.txt", b" " * (15 * MIB))
        status, _, body = desk.upload([("bomb.zip", bomb.getvalue())])
        answer = json.loads(body)
        expect("zip bomb: a file expanding past 16 MiB, and files past the request's budget",
               status == 413 and "larger than 16 MiB" in answer["files"][0]["result"] and
               any("expands past" in f["result"] for f in answer["files"]), f"HTTP {status} {body[:400]!r}")

        climbing = io.BytesIO()
        with zipfile.ZipFile(climbing, "w") as archive:
            archive.writestr("../../etc/evil.txt", renamed(b"CLIMB"))
            archive.writestr("/abs.txt", renamed(b"ABSOLUTE"))
            archive.writestr("reports/good.txt", renamed(b"INSIDE"))
        status, _, body = desk.upload([("names.zip", climbing.getvalue())])
        stored = [r[0] for r in rows(desk.database, "SELECT computer FROM reports")]
        expect("zip names: ../ and / never leave the folder; the good one is added",
               status == 200 and stored == ["INSIDE"] and body.count(b"leaves its folder") == 2, f"{stored} {body[:400]!r}")

        twice = renamed(b"TWICE")
        desk.csrf = desk.form_token()
        answers = []
        threads = [threading.Thread(target=lambda: answers.append(desk.upload([("twice.txt", twice)]))) for _ in range(2)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        ids = {json.loads(a[2])["files"][0]["id"] for a in answers}
        count = rows(desk.database, "SELECT COUNT(*) FROM reports WHERE computer = 'TWICE'")[0][0]
        expect("the same report twice at once: stored once, both told where", count == 1 and len(ids) == 1 and
               all(a[0] == 200 for a in answers), f"{count} rows, ids {ids}, {[a[0] for a in answers]}")

        report = rows(desk.database, "SELECT id FROM reports WHERE computer = 'TWICE'")[0][0]
        status, _, _ = desk.request("DELETE", f"/reports/{report}", headers={"X-CSRF-Token": desk.csrf})
        left = sum(rows(desk.database, f"SELECT COUNT(*) FROM {t} WHERE report_id = {report}")[0][0]
                   for (t,) in rows(desk.database, "SELECT name FROM sqlite_master WHERE type = 'table' AND sql LIKE '%report_id%'"))
        log = desk.log_text()
        expect("DELETE: every row of the report goes; the log names no one",
               status == 200 and left == 0 and "deleted report" in log and "TWICE" not in log, f"HTTP {status}, {left} rows left")
    finally:
        desk.stop()


COPIES = 2000


def killed_mid_upload(folder):
    desk = Desk(folder)
    archive = io.BytesIO()
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for n in range(COPIES):
            z.writestr(f"r{n}.txt", renamed(b"K%05d" % n))
    desk.csrf = desk.form_token()
    def send():
        try:
            desk.upload([("many.zip", archive.getvalue())])
        except OSError:
            pass  # the desk is killed under it
    sender = threading.Thread(target=send, daemon=True)
    sender.start()
    # Killed once some reports are in and before all are (a state, not a time: the
    # deadline only ends a desk that never stores one).
    try:
        deadline = time.monotonic() + 120
        while rows(desk.database, "SELECT COUNT(*) FROM reports")[0][0] < 5 and time.monotonic() < deadline:
            time.sleep(0.01)
        desk.process.kill()
        desk.process.wait()
    finally:
        desk.stop()
    with sqlite3.connect(desk.database) as db:
        check = db.execute("PRAGMA integrity_check").fetchone()[0]
        reports = db.execute("SELECT COUNT(*) FROM reports").fetchone()[0]
        whole = db.execute("SELECT COUNT(*) FROM reports r WHERE EXISTS (SELECT 1 FROM report_texts t WHERE t.report_id = r.id)"
                           " AND (SELECT COUNT(*) FROM processes p WHERE p.report_id = r.id) ="
                           " (SELECT COUNT(*) FROM processes p WHERE p.report_id = (SELECT MIN(id) FROM reports))").fetchone()[0]
        months = db.execute("SELECT SUM(reports) FROM survey WHERE dimension = 'reports'").fetchone()[0]
    expect("kill -9 mid-upload: the database opens and holds whole reports only",
           check == "ok" and 0 < reports < COPIES and whole == reports and months == reports,
           f"integrity {check}, {reports} reports, {whole} whole, survey {months}")


def keep_days(folder):
    first = Desk(folder)
    try:
        first.upload([("old.txt", renamed(b"OLD")), ("new.txt", renamed(b"NEW"))])
    finally:
        first.stop()
    with sqlite3.connect(first.database) as db:
        db.execute("UPDATE reports SET added = datetime('now', '-3 days') WHERE computer = 'OLD'")
    survey = rows(first.database, "SELECT * FROM survey ORDER BY 1, 2, 3")
    second = Desk(folder, "--keep-days", "2")
    try:
        kept = [r[0] for r in rows(second.database, "SELECT computer FROM reports")]
        expect("--keep-days: older reports go at the start; the survey's counts stay",
               kept == ["NEW"] and rows(second.database, "SELECT * FROM survey ORDER BY 1, 2, 3") == survey, f"{kept}")
    finally:
        second.stop()


def stopped_at_once(folder):
    # A signal that comes before the server runs still ends it, on its own (not by SIGKILL).
    codes = []
    for _ in range(20):
        desk = Desk(folder)
        desk.process.send_signal(signal.SIGTERM)
        desk.stop()
        codes.append(desk.process.returncode)
    expect("SIGTERM as soon as the desk says where it is: it ends", codes == [0] * 20, f"exit codes {codes}")


CASES = [token_off_loopback, loopback_only, killed_mid_upload, keep_days, stopped_at_once]

for case in CASES:
    with tempfile.TemporaryDirectory(prefix="desk-http-") as folder:
        try:
            case(folder)
        except Exception as error:  # a case that cannot run is a failure with its cause
            failures.append(f"{case.__name__}: {type(error).__name__}: {error}")

for failure in failures:
    print("FAILED " + failure)
print(f"desk over HTTP: {len(CASES)} cases, {len(failures)} failures")
sys.exit(1 if failures else 0)
