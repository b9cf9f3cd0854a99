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
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import headless_page, wait_for  # noqa: E402

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
    # No proxy is reachable and no host name is known: nothing comes from outside.
    flags = ("--proxy-server=127.0.0.1:9", "--host-resolver-rules=MAP * ~NOTFOUND")
    try:
        with headless_page(1200, 900, flags) as page:
            page.call("Page.navigate", url=pathlib.Path(pack).resolve().as_uri())
            loaded = ("document.readyState === 'complete' && "
                      "[...document.images].every(i => i.complete)")
            if not wait_for(lambda: page.evaluate(loaded), 30):
                print(json.dumps({"error": "the pack did not load"}))
                return 1
            # The whole page in one picture, so that each image's place is a pixel.
            height = int(page.evaluate(PROBE)["height"])
            page.call("Emulation.setDeviceMetricsOverride", width=1200, height=height,
                      deviceScaleFactor=1, mobile=False)
            found = page.evaluate(PROBE)
            page.shot(shot)
            print(json.dumps(found, ensure_ascii=False))
            return 0
    except RuntimeError as e:
        print(json.dumps({"error": str(e)}))
        return 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
