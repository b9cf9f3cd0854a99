#!/usr/bin/env python3
"""Drives headless Chromium through the DevTools protocol, as a person at the
browser would: opens a noVNC page, waits until it has connected, then clicks,
types and takes screenshots in the order given.

    browser.py URL STEP...
    steps: shot FILE | click X Y | keys ctrl+alt+s | sleep SECONDS

Coordinates are the page's; the viewport is as large as the remote screen
(WIDTHxHEIGHT in $BROWSER_VIEWPORT, default 1366x768), so that noVNC scales by
one and a page pixel is a screen pixel. Exits 1 on the first step that fails.
"""
import base64
import contextlib
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket

# key name -> (DOM key, DOM code, Windows virtual key, modifier bit)
MODIFIERS = {
    "alt": ("Alt", "AltLeft", 18, 1),
    "ctrl": ("Control", "ControlLeft", 17, 2),
    "shift": ("Shift", "ShiftLeft", 16, 8),
}


def key_of(name):
    if len(name) == 1 and name.isalpha():
        return (name.lower(), "Key" + name.upper(), ord(name.upper()))
    if name[0] in "Ff" and name[1:].isdigit():
        n = int(name[1:])
        return ("F%d" % n, "F%d" % n, 0x6F + n)
    raise ValueError("unknown key " + name)


class Page:
    def __init__(self, ws):
        self.ws = ws
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            reply = json.loads(self.ws.recv())
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return result.get("result", {}).get("value")

    def shot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def click(self, x, y):
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=0 if kind == "mouseMoved" else 1)
            time.sleep(0.05)

    # Modifiers go down one by one and come up in reverse, each as a key of
    # its own: noVNC sends the server every key event, not a modifier mask.
    def keys(self, combo):
        names = combo.split("+")
        held, mask = [], 0
        for name in names[:-1]:
            key, code, vk, bit = MODIFIERS[name.lower()]
            mask |= bit
            self.call("Input.dispatchKeyEvent", type="rawKeyDown", key=key, code=code,
                      windowsVirtualKeyCode=vk, modifiers=mask)
            held.append((key, code, vk, bit))
        key, code, vk = key_of(names[-1])
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                      windowsVirtualKeyCode=vk, modifiers=mask)
            time.sleep(0.05)
        for key, code, vk, bit in reversed(held):
            mask &= ~bit
            self.call("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                      windowsVirtualKeyCode=vk, modifiers=mask)


def wait_for(predicate, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.2)
    return predicate()


@contextlib.contextmanager
def headless_page(width, height, flags=()):
    """A headless Chromium of its own profile, and its one page; gone after."""
    profile = tempfile.mkdtemp(prefix="zelcap-browser.")
    browser = subprocess.Popen(
        ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--no-default-browser-check", "--user-data-dir=" + profile,
         "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0",
         # Chromium 111 and later refuse a DevTools socket whose Origin they
         # were not told to accept (403 Forbidden); the socket is on the
         # loopback only, and the connection below sends no Origin at all.
         "--remote-allow-origins=*", "--window-size=%d,%d" % (width, height), *flags,
         "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
        start_new_session=True)
    try:
        port_file = os.path.join(profile, "DevToolsActivePort")
        if not wait_for(lambda: os.path.exists(port_file) and os.path.getsize(port_file) > 0, 30):
            raise RuntimeError("no DevTools port")
        port = open(port_file).read().split()[0]
        targets = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port))
        target = next(t for t in targets if t.get("type") == "page")
        page = Page(websocket.create_connection(target["webSocketDebuggerUrl"], timeout=30,
                                                suppress_origin=True))
        page.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=False)
        yield page
    finally:
        os.killpg(browser.pid, signal.SIGTERM)
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(browser.pid, signal.SIGKILL)
            browser.wait()
        shutil.rmtree(profile, ignore_errors=True)


def run_steps(page, steps):
    i = 0
    while i < len(steps):
        step = steps[i]
        if step == "shot":
            page.shot(steps[i + 1])
            i += 2
        elif step == "click":
            page.click(int(steps[i + 1]), int(steps[i + 2]))
            i += 3
        elif step == "keys":
            page.keys(steps[i + 1])
            i += 2
        elif step == "sleep":
            time.sleep(float(steps[i + 1]))
            i += 2
        else:
            print("browser: unknown step " + step)
            return 1
    return 0


def main(argv):
    url, steps = argv[1], argv[2:]
    width, height = (int(v) for v in os.environ.get("BROWSER_VIEWPORT", "1366x768").split("x"))
    try:
        with headless_page(width, height) as page:
            page.call("Page.navigate", url=url)
            connected = "document.documentElement.classList.contains('noVNC_connected')"
            if not wait_for(lambda: page.evaluate(connected), 30):
                print("browser: noVNC did not connect; status: %s"
                      % page.evaluate("(document.getElementById('noVNC_status')||{}).textContent"))
                return 1
            time.sleep(1.5)  # the first full picture of the screen
            return run_steps(page, steps)
    except RuntimeError as e:
        print("browser: Chromium did not open its DevTools port" if "DevTools" in str(e) else e)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
