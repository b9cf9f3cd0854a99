#!/usr/bin/env python3
"""Checks the built ZCP2Help.chm the way HTML Help will read it.

    check_help.py ZCP2Help.chm RESOURCES_DIR

Unpacks the file with libchm's extract_chmLib (so it must parse), then
checks: Japanese language id, full-text search present, Shift-JIS topics,
every contents and index entry and every link pointing at a topic (and
anchor) inside the file, and a keyword for every menu command.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def system_lcid(data):
    # #SYSTEM: a 4-byte version, then records of (code, length, data);
    # code 4 starts with the LCID.
    pos = 4
    while pos + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, pos)
        if code == 4:
            return struct.unpack_from("<I", data, pos + 4)[0]
        pos += 4 + length
    return None


def sitemap_entries(text):
    """(name, local) pairs of a .hhc/.hhk; local None for a bare heading."""
    entries = []
    for obj in re.findall(r"<OBJECT[^>]*>(.*?)</OBJECT>", text, re.S | re.I):
        params = re.findall(r'<param\s+name="(\w+)"\s+value="([^"]*)"', obj, re.I)
        name = next((v for k, v in params if k.lower() == "name"), None)
        locals_ = [v for k, v in params if k.lower() == "local"]
        entries.append((name, locals_))
    return entries


def anchors(text):
    return set(re.findall(r'<a\s+[^>]*name="([^"]+)"', text, re.I)) | \
        set(re.findall(r'\sid="([^"]+)"', text, re.I))


def menu_commands(resources):
    """Command names as the menus show them, without access key and ellipsis."""
    names = set()
    for rc in ("app.rc", "history_list.rc"):
        with open(os.path.join(resources, rc), encoding="utf-8") as f:
            for text in re.findall(r'^\s*MENUITEM\s+"([^"]+)"', f.read(), re.M):
                text = re.sub(r"\(&.\)", "", text)
                names.add(re.sub(r"\s*\.\.\.$", "", text).strip())
    return names


def main():
    chm, resources = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as out:
        listing = subprocess.run(["extract_chmLib", chm, out], stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT, text=True, errors="replace")
        if listing.returncode != 0 or not os.path.isfile(os.path.join(out, "#SYSTEM")):
            fail("extract_chmLib cannot read %s: %s" % (chm, listing.stdout[-500:]))
            return 1
        files = {}
        for root, _, names in os.walk(out):
            for name in names:
                path = os.path.join(root, name)
                files[os.path.relpath(path, out).replace(os.sep, "/").lower()] = path

        def read(name):
            with open(files[name.lower()], "rb") as f:
                return f.read()

        lcid = system_lcid(read("#SYSTEM"))
        if lcid != 0x0411:
            fail("language id is %r, not 0x0411 (Japanese)" % lcid)
        if "$fiftimain" not in files:
            fail("no full-text search index ($FIftiMain)")

        topics = {}
        for name in files:
            if name.endswith((".htm", ".hhc", ".hhk")):
                try:
                    topics[name] = read(name).decode("cp932")
                except UnicodeDecodeError as e:
                    fail("%s is not Shift-JIS: %s" % (name, e))
        pages = [n for n in topics if n.endswith(".htm")]
        if len(pages) < 10:
            fail("only %d topics" % len(pages))

        def resolves(link, base):
            target, _, anchor = link.partition("#")
            target = target.lower() or base
            if target not in files:
                return False
            return not anchor or anchor in anchors(topics.get(target, ""))

        for sitemap in ("toc.hhc", "index.hhk"):
            if sitemap not in topics:
                fail("no %s" % sitemap)
                continue
            entries = sitemap_entries(topics[sitemap])
            if not entries:
                fail("%s has no entries" % sitemap)
            for name, locals_ in entries:
                for local in locals_:
                    if not resolves(local, ""):
                        fail("%s entry %s points at missing %s" % (sitemap, name, local))
                if sitemap == "index.hhk" and not locals_:
                    fail("keyword %s points nowhere" % name)

        for page in pages:
            text = topics[page]
            if not re.search(r'charset=Shift_JIS', text, re.I):
                fail("%s does not declare charset=Shift_JIS" % page)
            if not re.search(r"<title>[^<]+</title>", text, re.I):
                fail("%s has no title" % page)
            for link in re.findall(r'(?:href|src)="([^"]+)"', text, re.I):
                if re.match(r"[a-z]+:", link, re.I):
                    fail("%s links outside the help file: %s" % (page, link))
                elif not resolves(link, page):
                    fail("%s has a broken link %s" % (page, link))

        keywords = {name for name, _ in sitemap_entries(topics.get("index.hhk", ""))}
        commands = menu_commands(resources)
        if len(commands) < 20:
            fail("read only %d menu commands from the resources" % len(commands))
        for command in sorted(commands - keywords):
            fail("menu command %s has no index keyword" % command)

    print("%d check(s) failed" % len(failures) if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
