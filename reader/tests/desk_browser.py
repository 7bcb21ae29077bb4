#!/usr/bin/python3
"""The support desk as an agent uses it, in headless Chromium against a desk of its own.

usage: desk_browser.py ENVCHECK_READ SAMPLES_DIR
Screenshots go to $ENVCHECK_DESK_SCREENSHOTS (default: a new temporary folder, kept).
Exit 0 when every check passed; otherwise 1, with what failed and what the page showed.
"""
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.request

from selenium import webdriver
from selenium.common.exceptions import (NoAlertPresentException, TimeoutException, UnexpectedAlertPresentException,
                                        WebDriverException)
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import Select, WebDriverWait

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desk_fixtures import HOSTILE_NAME, Desk, make_reports, reports_of  # noqa: E402

WAIT_SECONDS = 10


class Failed(Exception):
    pass


class Browser:
    def __init__(self, profile, base):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                     "--window-size=1400,1000", f"--user-data-dir={profile}"):
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_window_size(1400, 1000)
        self.base = base
        self.console = []  # every browser log entry, with the page it came from

    def shown(self):
        d = self.driver
        try:
            body = d.find_element(By.TAG_NAME, "body").text[:500]
        except Exception as error:  # the page may be gone; say so rather than hide the first failure
            body = f"(no body: {error.__class__.__name__})"
        return f"  url: {d.current_url}\n  title: {d.title}\n  body: {body!r}"

    def check(self, ok, what):
        if not ok:
            raise Failed(f"{what}\n{self.shown()}")

    def wait(self, condition, what, passing=()):
        try:
            return WebDriverWait(self.driver, WAIT_SECONDS, ignored_exceptions=passing).until(lambda d: condition(d))
        except TimeoutException:
            raise Failed(f"waited {WAIT_SECONDS} s for {what}\n{self.shown()}") from None

    def css(self, selector):
        return self.driver.find_elements(By.CSS_SELECTOR, selector)

    def ready(self, selector, what):
        self.wait(lambda d: d.execute_script("return document.readyState") == "complete" and self.css(selector), what)
        self.collect()

    def follow(self, element, selector, what):
        # The old page must be gone first: it may match the selector too.
        old = self.driver.find_element(By.TAG_NAME, "html")
        element.click()
        # While the page is replaced, the driver may say the old node is in no document
        # rather than that it is stale: both mean it is going.
        self.wait(expected_conditions.staleness_of(old), f"{what} to replace the page", passing=(WebDriverException,))
        self.ready(selector, what)

    def open(self, path, selector):
        self.driver.get(self.base + path)
        self.ready(selector, f"{selector} on {path}")

    def collect(self):
        url = self.driver.current_url
        self.console += [dict(entry, page=url) for entry in self.driver.get_log("browser")]

    def no_markup_ran(self, where):
        try:
            alert = self.driver.switch_to.alert
            raise Failed(f"an alert opened on {where}: {alert.text!r}")
        except NoAlertPresentException:
            pass
        self.check(not self.css('img[src="x"]'), f"an <img src=x> element exists on {where}")


def cell_texts(row):
    return [cell.get_attribute("textContent").strip() for cell in row.find_elements(By.CSS_SELECTOR, "td")]


def upload(b, files):
    b.open("/", "form#upload input#files")
    b.css("input#files")[0].send_keys("\n".join(files))
    b.follow(b.css("form#upload button[type=submit]")[0], "table#added", "the upload's answer (table#added)")
    added = {}
    for row in b.css("table#added tbody tr"):
        name, result = cell_texts(row)[:2]
        links = row.find_elements(By.CSS_SELECTOR, "a[href^='/reports/']")
        b.check(result == "added" and links, f"{name} was not added: {result!r}")
        added[name] = int(links[0].get_attribute("href").rsplit("/", 1)[1])
    return added


def check_inbox(b, expected, notes):
    b.open("/", "table#inbox")
    # Fewer reports than a page holds: nothing older to go to.
    b.check(not b.css("a[rel=next]"), f"the inbox of {len(expected)} reports links to an older page")
    for id, report in expected.items():
        rows = b.css(f"table#inbox tr[data-id='{id}']")
        b.check(len(rows) == 1, f"report {id} ({report['file']}) is not in the inbox")
        badges = rows[0].find_elements(By.CSS_SELECTOR, "span.badge")
        want = {f["id"]: f["text"] for f in report["findings"]}
        got = [badge.text for badge in badges]
        b.check(sorted(got) == sorted(want), f"report {id}'s badges {got} are not --json's findings {sorted(want)}")
        for badge in badges:
            title = badge.get_attribute("title")
            b.check(title and (want[badge.text] == title or want[badge.text].startswith(title + ": ")),
                    f"badge {badge.text} of report {id} says {title!r}, the finding says {want[badge.text]!r}")
        shown = [n.text for n in rows[0].find_elements(By.CSS_SELECTOR, "span.note")]
        for note in notes.get(id, []):
            b.check(any(note in s for s in shown), f"report {id} has no note with {note!r}: {shown}")


def check_line_links(b, id, report):
    b.follow(b.css(f"table#inbox tr[data-id='{id}'] td:first-child a")[0], "section#findings", f"report {id}'s page")
    findings = b.css("section#findings div.finding")
    b.check(len(findings) == len(report["findings"]), f"report {id} shows {len(findings)} findings, --json has {len(report['findings'])}")
    links = [(a.get_attribute("hash"), a.find_element(By.XPATH, "following-sibling::code").text)
             for a in b.css("section#findings div.finding a[href^='#L']")]
    b.check(links, f"report {id}'s findings link to no line")
    for hash, read in links:
        b.css(f"section#findings a[href='{hash}']")[0].click()
        b.wait(lambda d: d.execute_script("return location.hash") == hash, f"the address to become {hash}")
        target = b.driver.execute_script(
            "const t = document.querySelector(':target'); return t && [t.id, t.textContent,"
            " document.querySelectorAll('[id=\"' + t.id + '\"]').length];")
        squash = lambda text: "".join(c for c in text if not c.isspace() and c != ":")
        b.check(target and target[0] == hash[1:] and target[2] == 1, f"{hash} is not the one :target element: {target}")
        b.check(squash(target[1]).startswith(squash(read)), f"line {hash} shows {target[1]!r}, the finding read {read!r}")


def check_compare(b, older, newer, binary, files):
    b.follow(b.css("a[href^='/machines/']")[0], "table#reports", "the machine's page")
    Select(b.css("select[name=a]")[0]).select_by_value(str(older))
    Select(b.css("select[name=b]")[0]).select_by_value(str(newer))
    b.follow(b.css("select[name=b]")[0].find_element(By.XPATH, "ancestor::form//button"),
             f"section#diff a[href='/reports/{newer}']", f"the diff of {older} and {newer}")
    b.check(f"a={older}&b={newer}" in b.driver.current_url, f"the compare form did not ask for a={older}&b={newer}")
    rows = [(r.get_attribute("class"), *cell_texts(r)) for r in b.css("section#diff tbody tr")]
    b.check(any(kind == "Changed" and "9135" in old and "9999" in new for kind, what, old, new in rows),
            f"no Changed row from driver ...9135 to ...9999 in {rows}")
    cli = subprocess.run([binary, "--diff", files["as_is"], files["newer_driver"]], capture_output=True, text=True)
    lines = [line for line in cli.stdout.splitlines() if line.strip()]
    b.check(len(rows) == len(lines), f"the page's {len(rows)} diff rows are not --diff's {len(lines)} lines: {rows} {lines}")


SURVEY_JS = """
return Array.from(document.querySelectorAll('section.survey canvas.chart')).map((canvas) => {
  const table = document.getElementById(canvas.dataset.table), chart = Chart.getChart(canvas);
  return {table: canvas.dataset.table,
          rows: Array.from(table.tBodies[0].rows).map((r) => Array.from(r.cells).map((c) => c.textContent)),
          labels: chart ? Array.from(chart.data.labels) : null,
          datasets: chart ? chart.data.datasets.map((s) => ({label: s.label, data: Array.from(s.data)})) : null};
});"""


def check_survey(b, database, expected):
    b.open("/survey", "body[data-charts='drawn']")
    with urllib.request.urlopen(b.base + "/api/survey", timeout=WAIT_SECONDS) as answer:
        api = json.load(answer)
    drawn = {c["table"]: c for c in b.driver.execute_script(SURVEY_JS)}
    with sqlite3.connect(f"file:{database}?mode=ro", uri=True) as db:
        stored = db.execute("SELECT COUNT(*) FROM reports").fetchone()[0]
        summed = db.execute("SELECT SUM(reports) FROM survey WHERE dimension = 'reports'").fetchone()[0]
        counts = {d["id"]: dict(db.execute("SELECT value, SUM(reports) FROM survey WHERE dimension = ? GROUP BY value", (d["id"],)))
                  for d in api["dimensions"]}
    b.check(stored == len(expected) == summed == api["total"],
            f"reports added {len(expected)}, in the database {stored}, survey's sum {summed}, /api/survey's total {api['total']}")
    b.check(f"{api['total']} reports" in b.css("main")[0].text, f"the survey page does not say {api['total']} reports")
    checked = []
    for d in api["dimensions"]:
        page, rows = drawn.get("T-" + d["id"]), d["rows"]
        b.check(page is not None, f"no chart for {d['id']}")
        want = [[r["value"], str(r["reports"]), r["share"], *r["by_month"]] for r in rows]
        b.check(page["rows"] == want, f"table T-{d['id']} shows {page['rows']}, /api/survey has {want}")
        if d["chart"] == "months":
            chart = [{"label": r["value"], "data": [int(n) for n in r["by_month"]]} for r in rows]
            b.check(page["labels"] == api["months"] and page["datasets"] == chart,
                    f"chart {d['id']} drew {page['labels']} {page['datasets']}, the table has {api['months']} {chart}")
        else:
            b.check(page["labels"] == [r["value"] for r in rows] and page["datasets"][0]["data"] == [r["reports"] for r in rows],
                    f"chart {d['id']} drew {page['labels']} {page['datasets']}, the table has {rows}")
        if rows and rows[-1]["value"] != "(others)":
            b.check({r["value"]: r["reports"] for r in rows} == counts[d["id"]],
                    f"/api/survey's {d['id']} {rows} is not the database's {counts[d['id']]}")
            checked.append(d["id"])
    found = {}
    for report in expected.values():
        for rule in {f["id"] for f in report["findings"]}:
            found[rule] = found.get(rule, 0) + 1
    b.check(counts["finding"] == found, f"the survey counts findings {counts['finding']}, --json found {found}")
    b.check(len(checked) >= 5, f"only {checked} of the survey's dimensions had rows to compare")
    return checked


def check_hostile(b, id):
    b.open("/", f"tr[data-id='{id}']")
    name = b.css(f"tr[data-id='{id}'] a[href^='/machines/']")[0].get_attribute("textContent")
    b.check(name == HOSTILE_NAME, f"the inbox shows the hostile name as {name!r}")
    b.no_markup_ran("the inbox")
    b.open(f"/reports/{id}", "section#findings")
    heading = b.driver.execute_script("return document.querySelector('h1').firstChild.textContent.trim()")
    field = b.driver.execute_script("""return Array.from(document.querySelectorAll('table.fields tr'))
        .filter((tr) => tr.querySelector('th') && tr.querySelector('th').textContent.trim() === 'Computer name')
        .map((tr) => tr.querySelector('td').textContent.trim());""")
    b.check(heading == HOSTILE_NAME and field == [HOSTILE_NAME], f"the report page shows the name as {heading!r} and {field!r}")
    b.no_markup_ran("its report page")
    b.follow(b.css("a[href^='/machines/']")[0], "table#reports", "the hostile machine's page")
    b.no_markup_ran("its machine page")


def check_drop(b, sample):
    """The drop zone's script: a file dropped on the form is added and its row appears without a reload."""
    b.open("/", "form#upload")
    text = open(sample, "rb").read().replace(b"Computer name:  VM", b"Computer name:  DROPPED").decode("cp932")
    b.driver.execute_script("""
        const file = new File([arguments[0]], "dropped.txt", {type: "text/plain"});
        const carried = new DataTransfer();
        carried.items.add(file);
        document.getElementById("upload").dispatchEvent(new DragEvent("drop", {dataTransfer: carried, bubbles: true}));
    """, text)
    b.wait(lambda d: d.find_element(By.TAG_NAME, "body").get_attribute("data-uploaded") == "1",
           "the dropped file's answer (body[data-uploaded])")
    names = [a.text for a in b.css("table#inbox tbody a[href^='/machines/']")]
    b.check("DROPPED" in names, f"the dropped report is not in the inbox: {names}; the form says "
            f"{b.css('#upload-status')[0].text!r}")


def console_faults(b):
    # A 404 for the favicon is the browser's own guess, not the desk's page failing.
    return [e for e in b.console
            if ("Content Security Policy" in e["message"] or e["level"] == "SEVERE") and "favicon.ico" not in e["message"]]


def main(binary, samples):
    started = time.monotonic()
    tmp = tempfile.mkdtemp(prefix="envcheck-desk-browser-")
    shots = os.environ.get("ENVCHECK_DESK_SCREENSHOTS") or tempfile.mkdtemp(prefix="envcheck-desk-screenshots-")
    os.makedirs(shots, exist_ok=True)
    database = os.path.join(tmp, "desk.sqlite")
    desk = browser = None
    try:
        files = make_reports(samples, tmp)
        # A second report of the as-is machine, added the command line's way to the same database.
        run = subprocess.run([binary, "--db", database, files["newer_driver"]], capture_output=True, text=True)
        if run.returncode != 0:
            raise Failed(f"envcheck-read --db exited {run.returncode}: {run.stderr}")
        desk = Desk(binary, database, tmp)
        browser = b = Browser(os.path.join(tmp, "chromium"), desk.url)
        dropped = [files[k] for k in ("as_is", "utf8", "joined", "hostile")]
        added = upload(b, dropped)
        expected, notes = {}, {}
        for path in dropped:
            parts = reports_of(binary, path)
            for n, report in enumerate(parts, 1):
                name = os.path.basename(path) + (f" (report {n} of {len(parts)})" if len(parts) > 1 else "")
                b.check(name in added, f"the upload's answer has no row for {name}: {added}")
                expected[added[name]] = report
                notes[added[name]] = [f"report {n} of {len(parts)}"] if len(parts) > 1 else []
        notes[added["gaming-pc-utf8.txt"]] = ["UTF-8"]
        with sqlite3.connect(f"file:{database}?mode=ro", uri=True) as db:
            newer = db.execute("SELECT id FROM reports WHERE file LIKE '%matrix-win10-newer-driver.txt'").fetchone()
        b.check(newer is not None, "the --db report is not in the database")
        expected[newer[0]] = reports_of(binary, files["newer_driver"])[0]

        check_inbox(b, expected, notes)
        b.driver.save_screenshot(os.path.join(shots, "inbox.png"))
        as_is = added["matrix-win10.txt"]
        check_line_links(b, as_is, expected[as_is])
        b.driver.execute_script("window.scrollTo(0, 0)")
        b.driver.save_screenshot(os.path.join(shots, "report.png"))
        check_compare(b, as_is, newer[0], binary, files)
        checked = check_survey(b, database, expected)
        b.driver.save_screenshot(os.path.join(shots, "survey.png"))
        check_hostile(b, added["hostile-name.txt"])
        check_drop(b, os.path.join(samples, "matrix-win10.txt"))
        b.collect()
        faults = console_faults(b)
        b.check(not faults, "the browser's console has errors from the desk's pages:\n" +
                "\n".join(f"  {e['level']} on {e['page']}: {e['message']}" for e in faults))
        print(f"desk_browser: passed in {time.monotonic() - started:.1f} s: {len(expected)} reports, "
              f"survey dimensions checked {', '.join(checked)}")
        print("screenshots:", *(os.path.join(shots, n) for n in ("inbox.png", "report.png", "survey.png")), sep="\n  ")
        return 0
    except Exception as error:  # anything unforeseen fails the test with what the page showed
        detail = str(error) if isinstance(error, (Failed, RuntimeError)) else traceback.format_exc()
        if isinstance(error, UnexpectedAlertPresentException):
            detail = f"an alert opened ({error.alert_text!r}): markup in a report ran as script\n" + detail
        if browser is not None and not isinstance(error, Failed):
            detail += "\n" + browser.shown()
        print(f"desk_browser: FAILED: {detail}", file=sys.stderr)
        if desk is not None:
            print(f"desk log (last 2000 characters):\n{desk.log_text()[-2000:]}", file=sys.stderr)
        return 1
    finally:
        if browser is not None:
            browser.driver.quit()
        if desk is not None:
            desk.stop()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    # The browser's file input takes absolute paths only.
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
