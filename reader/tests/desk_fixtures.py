"""Shared helpers for the desk's tests: report files to add, and a desk of one's own.

    files = make_reports(samples_dir, tmp)      # name -> path, see make_reports
    desk = Desk(binary, database, tmp)          # starts it on a free loopback port
    try: ... desk.url ... finally: desk.stop()
    expected = reports_of(binary, path)         # what `--json` reads in a file, one dict per report

Nothing here touches anything outside the temporary folder it is given.
"""
import json
import os
import select
import signal
import subprocess
import time

HOSTILE_NAME = "<img src=x onerror=alert(1)>"
STARTUP_SECONDS = 10


def make_reports(samples, tmp):
    """Writes the test's report files into tmp and returns {role: path}.

    as_is: a sample untouched; utf8: a sample re-saved as UTF-8 (the reader notes it);
    joined: two samples in one file; hostile: a sample whose computer name is markup;
    newer_driver: as_is with its display driver's version changed (same machine, other bytes).
    """
    def sample(name):
        with open(os.path.join(samples, name), "rb") as f:
            return f.read()

    def write(name, data):
        path = os.path.join(tmp, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    as_is = sample("matrix-win10.txt")
    hostile = sample("matrix-win7.txt")
    if b"Computer name:  VM" not in hostile:
        raise RuntimeError("matrix-win7.txt no longer has the computer name line this test changes")
    if b"26.21.13.9135" not in as_is:
        raise RuntimeError("matrix-win10.txt no longer has the driver version this test changes")
    return {
        "as_is": os.path.join(samples, "matrix-win10.txt"),
        "utf8": write("gaming-pc-utf8.txt", sample("gaming-pc-win11.txt").decode("cp932").encode("utf-8")),
        "joined": write("two-reports.txt", sample("hybrid-laptop.txt") + sample("win10-test-signing.txt")),
        "hostile": write("hostile-name.txt", hostile.replace(b"Computer name:  VM",
                                                             b"Computer name:  " + HOSTILE_NAME.encode("ascii"), 1)),
        "newer_driver": write("matrix-win10-newer-driver.txt",
                              as_is.replace(b"26.21.13.9135", b"26.21.13.9999").replace(b"26.21.0013.9135", b"26.21.0013.9999")),
    }


def reports_of(binary, path):
    """The reports the reader finds in a file, as `envcheck-read --json` gives them (exit 1 is 'read in part')."""
    run = subprocess.run([binary, "--json", path], capture_output=True, timeout=60)
    if run.returncode not in (0, 1):
        raise RuntimeError(f"envcheck-read --json {path} exited {run.returncode}: {run.stderr.decode(errors='replace')}")
    return [json.loads(line) for line in run.stdout.decode("utf-8").splitlines() if line.strip()]


class Desk:
    """`envcheck-read --serve` at a port it picks (on 127.0.0.1 unless options say --listen);
    its log goes to tmp/desk.log."""

    def __init__(self, binary, database, tmp, *options):
        if "--listen" not in options:
            options += ("--listen", "127.0.0.1:0")
        self.database = database
        self.log_path = os.path.join(tmp, "desk.log")
        self.log = open(self.log_path, "ab")
        self.process = subprocess.Popen([binary, "--serve", database, *options],
                                        stdout=subprocess.PIPE, stderr=self.log, stdin=subprocess.DEVNULL)
        self.url = self._address()
        self.port = int(self.url.rsplit(":", 1)[1])

    def _address(self):
        # The desk says where it listens once it does; a line, not a fixed wait.
        deadline, seen = time.monotonic() + STARTUP_SECONDS, b""
        while time.monotonic() < deadline:
            ready, _, _ = select.select([self.process.stdout], [], [], 0.2)
            if ready:
                chunk = os.read(self.process.stdout.fileno(), 4096)
                seen += chunk
                for line in seen.decode(errors="replace").splitlines():
                    if "the desk is at " in line:
                        return line.split("the desk is at ", 1)[1].strip().rstrip("/")
                if not chunk and self.process.poll() is not None:
                    break
        self.stop()
        raise RuntimeError(f"the desk did not say where it listens within {STARTUP_SECONDS} s "
                           f"(exit {self.process.returncode}); stdout {seen!r}; log: {self.log_text()[-1000:]}")

    def log_text(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    def stop(self):
        """SIGTERM, then SIGKILL if it lingers; safe to call twice."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()
        self.log.close()
