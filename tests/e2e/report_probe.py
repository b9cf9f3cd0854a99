#!/usr/bin/env python3
"""Renders a report in headless Chromium and prints, as JSON, what a reader
sees of its test-result sheet: the table and where it stands, each row's
link and whether its anchor exists, the NG rows' background colour, and
each case block beside its picture. Takes a screenshot on the way.

    report_probe.py REPORT.htm SHOT.png
"""
import json
import os
import pathlib
import shutil
import signal
import subprocess
import sys
import tempfile
import urllib.request

import websocket

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Page, wait_for  # noqa: E402

PROBE = r"""
(() => {
  const table = document.querySelector('body > table.zcases');
  if (!table) return {table: false};
  const rect = e => e.getBoundingClientRect();
  const rows = [...table.rows].slice(1).map(r => {
    const a = r.cells[0].querySelector('a');
    const name = a ? a.getAttribute('href').slice(1) : '';
    return {
      link: a ? a.getAttribute('href') : null,
      anchor: document.getElementsByName(name).length === 1,
      id: r.cells[1].textContent,
      verdict: r.cells[5].textContent,
      background: getComputedStyle(r.cells[1]).backgroundColor,
    };
  });
  const images = [...document.images];
  const blocks = [...document.querySelectorAll('td > table.zcases')].map(b => {
    const box = rect(b);
    const beside = images.some(i => {
      const p = rect(i);
      return box.left >= p.right - 1 && box.top < p.bottom && box.bottom > p.top;
    });
    const ng = b.querySelector('td.ng');
    return {beside, id: b.rows[0].cells[1].textContent,
            ngBackground: ng ? getComputedStyle(ng).backgroundColor : null};
  });
  return {table: true, beforePictures: images.length > 0 && rect(table).bottom <= rect(images[0]).top,
          rows, blocks, images: images.length};
})()
"""


def main(report, shot):
    profile = tempfile.mkdtemp(prefix="zelcap-probe.")
    browser = subprocess.Popen(
        ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--no-default-browser-check", "--user-data-dir=" + profile,
         "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0",
         "--remote-allow-origins=*", "--window-size=1400,1000", "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
        start_new_session=True)
    try:
        port_file = os.path.join(profile, "DevToolsActivePort")
        if not wait_for(lambda: os.path.exists(port_file) and os.path.getsize(port_file) > 0, 30):
            print(json.dumps({"error": "no DevTools port"}))
            return 1
        port = open(port_file).read().split()[0]
        targets = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port))
        target = next(t for t in targets if t.get("type") == "page")
        page = Page(websocket.create_connection(target["webSocketDebuggerUrl"], timeout=30,
                                                suppress_origin=True))
        page.call("Emulation.setDeviceMetricsOverride", width=1400, height=1000,
                  deviceScaleFactor=1, mobile=False)
        page.call("Page.navigate", url=pathlib.Path(report).resolve().as_uri())
        loaded = "document.readyState === 'complete' && [...document.images].every(i => i.complete)"
        if not wait_for(lambda: page.evaluate(loaded), 30):
            print(json.dumps({"error": "the report did not load"}))
            return 1
        page.shot(shot)
        print(json.dumps(page.evaluate(PROBE), ensure_ascii=False))
        return 0
    finally:
        os.killpg(browser.pid, signal.SIGTERM)
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(browser.pid, signal.SIGKILL)
            browser.wait()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
