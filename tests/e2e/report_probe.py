#!/usr/bin/env python3
"""Renders a report in headless Chromium and prints, as JSON, what a reader
sees of its test-result sheet: the table and where it stands, each row's
link and whether its anchor exists, the NG rows' background colour, and
each case block beside its picture; of a re-test, the 比較 column, the
diff pictures beside the records' own and the cover's line on the
baseline. Takes a screenshot on the way.

    report_probe.py REPORT.htm SHOT.png
"""
import json
import os
import pathlib
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import headless_page, wait_for  # noqa: E402

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
  // A re-test: the last column's cells, and each diff picture as drawn and
  // whether it stands to the right of the record's own picture.
  const last = r => r.cells[r.cells.length - 1].textContent;
  const diffs = images.filter(i => /_diff(_\d+)?\.png$/.test(i.getAttribute('src'))).map(d => ({
    src: d.getAttribute('src'), width: d.naturalWidth, height: d.naturalHeight,
    beside: images.some(i => i !== d && rect(d).left >= rect(i).right - 1 &&
                        rect(d).top < rect(i).bottom && rect(d).bottom > rect(i).top),
    text: d.closest('td').textContent}));
  const cover = [...document.querySelectorAll('td')].map(t => t.textContent)
      .find(t => t.startsWith('基準 ')) || null;
  return {table: true, beforePictures: images.length > 0 && rect(table).bottom <= rect(images[0]).top,
          rows, blocks, images: images.length,
          comparison: {column: [...table.rows].map(last), diffs, cover}};
})()
"""


def main(report, shot):
    try:
        with headless_page(1400, 1000) as page:
            page.call("Page.navigate", url=pathlib.Path(report).resolve().as_uri())
            loaded = ("document.readyState === 'complete' && "
                      "[...document.images].every(i => i.complete)")
            if not wait_for(lambda: page.evaluate(loaded), 30):
                print(json.dumps({"error": "the report did not load"}))
                return 1
            page.shot(shot)
            print(json.dumps(page.evaluate(PROBE), ensure_ascii=False))
            return 0
    except RuntimeError as e:
        print(json.dumps({"error": str(e)}))
        return 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
