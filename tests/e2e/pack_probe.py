#!/usr/bin/env python3
"""Opens a one-file pack in headless Chromium with every network road shut
(no proxy reachable, every host name unknown) and prints, as JSON, what a
reader gets: each picture with its natural size and where it stands on the
page, the scripts, and the references the page makes. Takes a screenshot
of the whole page on the way.

    pack_probe.py PACK.html SHOT.png
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
  const images = [...document.images].map(i => {
    const r = i.getBoundingClientRect();
    return {name: i.dataset.name, complete: i.complete, width: i.naturalWidth,
            height: i.naturalHeight, x: r.left + scrollX, y: r.top + scrollY,
            shownWidth: r.width, shownHeight: r.height};
  });
  const references = [...document.querySelectorAll('[src],[href]')]
    .map(e => e.getAttribute('src') || e.getAttribute('href'))
    .filter(v => !v.startsWith('data:') && !v.startsWith('#'));
  return {images, scripts: document.scripts.length, references,
          height: document.documentElement.scrollHeight,
          texts: [...document.querySelectorAll('pre.zatt')].map(p => p.dataset.name)};
})()
"""


def main(pack, shot):
    profile = tempfile.mkdtemp(prefix="zelcap-pack.")
    browser = subprocess.Popen(
        ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--no-default-browser-check", "--user-data-dir=" + profile,
         "--proxy-server=127.0.0.1:9", "--host-resolver-rules=MAP * ~NOTFOUND",
         "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0",
         "--remote-allow-origins=*", "--window-size=1200,900", "about:blank"],
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
        page.call("Page.navigate", url=pathlib.Path(pack).resolve().as_uri())
        loaded = "document.readyState === 'complete' && [...document.images].every(i => i.complete)"
        if not wait_for(lambda: page.evaluate(loaded), 30):
            print(json.dumps({"error": "the pack did not load"}))
            return 1
        found = page.evaluate(PROBE)
        # The whole page in one picture, so that each image's place is a pixel.
        page.call("Emulation.setDeviceMetricsOverride", width=1200, height=int(found["height"]),
                  deviceScaleFactor=1, mobile=False)
        found = page.evaluate(PROBE)
        page.shot(shot)
        print(json.dumps(found, ensure_ascii=False))
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
