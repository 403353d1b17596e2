#!/usr/bin/env python3
"""Opens report.html of a small `creditsim run` in headless Chromium.

Drives the browser over the DevTools protocol on a pipe (--remote-debugging-
pipe: commands on fd 3, replies on fd 4, each a JSON message ended by a NUL
byte), so it needs nothing beyond the Python standard library. Checks that the
page loads with no console error or uncaught exception and that every chart
has rendered: a visible <svg data-chart> with visible marks. Saves a screenshot
of the whole page beside the run's output.

Exit status 0 on success, 1 on failure, 77 (skipped) when Chromium is absent.
"""
import argparse
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

CHARTS = ["loss-distribution", "var-convergence", "contributors"]
TIMEOUT_SECONDS = 60

# Runs in the page: every chart's size and how many of its marks have a
# non-empty box (a vertical line has zero width but a height).
CHART_PROBE = """JSON.stringify([...document.querySelectorAll('svg[data-chart]')].map(svg => {
  const box = svg.getBoundingClientRect();
  const marks = [...svg.querySelectorAll('.mark')];
  const drawn = marks.filter(m => { const b = m.getBBox(); return b.width > 0 || b.height > 0; });
  return {chart: svg.dataset.chart, width: box.width, height: box.height,
          marks: marks.length, drawn: drawn.length};
}))"""


class DevTools:
    """A minimal DevTools client over the two pipes."""

    def __init__(self, chromium, profile):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()

        def wire_pipes():
            # Copies first: a pipe end may itself be fd 3 or 4, and dup2 onto
            # itself would keep its close-on-exec flag.
            read_end, write_end = os.dup(to_browser_read), os.dup(from_browser_write)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--no-first-run", "--remote-debugging-pipe", "--user-data-dir=" + profile,
             "--window-size=1000,1400", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, close_fds=False, preexec_fn=wire_pipes)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self.events.append(reply)

    def receive(self):
        deadline = time.monotonic() + TIMEOUT_SECONDS
        while b"\0" not in self.buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("no reply from chromium")
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise RuntimeError("chromium closed the pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def wait_for(self, method):
        deadline = time.monotonic() + TIMEOUT_SECONDS
        while time.monotonic() < deadline:
            if any(e.get("method") == method for e in self.events):
                return
            self.events.append(self.receive())
        raise TimeoutError("waiting for " + method)

    def close(self):
        try:
            self.send("Browser.close")
        except (RuntimeError, OSError):
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def page_errors(events):
    errors = []
    for event in events:
        method, params = event.get("method"), event.get("params", {})
        if method == "Runtime.exceptionThrown":
            errors.append("exception: " + json.dumps(params.get("exceptionDetails", {}))[:300])
        elif method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
            errors.append("console error: " + json.dumps(params.get("args", []))[:300])
        elif method == "Log.entryAdded" and params.get("entry", {}).get("level") == "error":
            errors.append("log error: " + params["entry"].get("text", ""))
    return errors


def check_charts(charts):
    problems = []
    found = {c["chart"]: c for c in charts}
    for name in CHARTS:
        chart = found.get(name)
        if not chart:
            problems.append(f"chart {name} is missing")
        elif chart["width"] <= 0 or chart["height"] <= 0:
            problems.append(f"chart {name} has no size")
        elif chart["marks"] == 0 or chart["drawn"] != chart["marks"]:
            problems.append(f"chart {name}: {chart['drawn']} of {chart['marks']} marks drawn")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--portfolio", required=True)
    parser.add_argument("--work", required=True, help="directory for the run's output and the screenshot")
    parser.add_argument("--chromium", default=shutil.which("chromium") or shutil.which("chromium-browser"))
    args = parser.parse_args()
    if not args.chromium or not os.path.exists(args.chromium):
        print("chromium not found: skipped")
        return 77

    os.makedirs(args.work, exist_ok=True)
    out = os.path.join(args.work, "out")
    subprocess.run([args.tool, "run", args.portfolio, "--scenarios", "2000", "--seed", "5", "-q", "--out", out],
                   check=True, stdout=subprocess.DEVNULL)
    report = os.path.abspath(os.path.join(out, "report.html"))

    with tempfile.TemporaryDirectory(prefix="creditsim-chromium-") as profile:
        browser = DevTools(args.chromium, profile)
        try:
            target = browser.send("Target.createTarget", {"url": "about:blank"})["targetId"]
            session = browser.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
            for domain in ("Runtime.enable", "Log.enable", "Page.enable"):
                browser.send(domain, session=session)
            browser.send("Page.navigate", {"url": "file://" + report}, session=session)
            browser.wait_for("Page.loadEventFired")
            probe = browser.send("Runtime.evaluate", {"expression": CHART_PROBE, "returnByValue": True},
                                 session=session)
            charts = json.loads(probe["result"]["value"])
            shot = browser.send("Page.captureScreenshot", {"format": "png", "captureBeyondViewport": True},
                                session=session)
            screenshot = os.path.join(args.work, "report.png")
            with open(screenshot, "wb") as f:
                f.write(base64.b64decode(shot["data"]))
        finally:
            browser.close()

    problems = page_errors(browser.events) + check_charts(charts)
    for chart in charts:
        print(f"{chart['chart']}: {chart['width']:.0f}x{chart['height']:.0f}, {chart['drawn']} marks drawn")
    print("screenshot:", screenshot)
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
