#!/usr/bin/env python3
"""Builds ZCP2Help.chm from docs/help with chmcmd (Free Pascal's CHM compiler).

Each topic source is the body of its page, starting with its <h1>; this
script wraps it in the page head (title, Shift-JIS charset, style sheet) and
the link back to the contents. The sources stay UTF-8 so that diffs read well; HTML Help on a Japanese
Windows reads the topics, the contents and the index as Shift-JIS, so every
file is converted to CP932 in a staging folder and compiled from there.

    build_help.py SOURCE_DIR OUTPUT_CHM
"""
import os
import re
import shutil
import subprocess
import sys

PROJECT = """[OPTIONS]
Compatibility=1.1 or later
Compiled file={chm}
Contents file=toc.hhc
Index file=index.hhk
Default topic=index.htm
Display compile progress=No
Full-text search=Yes
Language=0x411 Japanese
Title=Zelcap ヘルプ

[FILES]
{files}
"""


PAGE = """<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
<title>{title}</title>
<link rel="stylesheet" type="text/css" href="help.css">
</head>
<body>
{body}<p class="nav"><a href="index.htm">目次へ</a></p>
</body>
</html>
"""


def topic_page(name, body):
    heading = re.match(r"\s*<h1>([^<]+)</h1>", body)
    if not heading:
        sys.exit("build_help: %s does not start with its <h1>" % name)
    return PAGE.format(title=heading.group(1), body=body)


def main():
    source, output = sys.argv[1], os.path.abspath(sys.argv[2])
    stage = output + ".stage"
    shutil.rmtree(stage, ignore_errors=True)
    os.makedirs(stage)
    topics = []
    for name in sorted(os.listdir(source)):
        path = os.path.join(source, name)
        if not os.path.isfile(path):
            continue
        if name.endswith((".htm", ".hhc", ".hhk", ".css")):
            with open(path, encoding="utf-8") as f:
                text = f.read()
            if name.endswith(".htm"):
                text = topic_page(name, text)
            # A character outside CP932 would turn into '?' on the user's
            # screen; better to stop the build here.
            with open(os.path.join(stage, name), "wb") as f:
                f.write(text.encode("cp932"))
            if name.endswith((".htm", ".css")):
                topics.append(name)
        else:
            shutil.copy(path, stage)
            topics.append(name)
    chm = os.path.basename(output)
    with open(os.path.join(stage, "zcp2help.hhp"), "wb") as f:
        f.write(PROJECT.format(chm=chm, files="\n".join(topics)).encode("cp932"))
    result = subprocess.run(["chmcmd", "--no-html-scan", "zcp2help.hhp"], cwd=stage,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            errors="replace")
    built = os.path.join(stage, chm)
    if result.returncode != 0 or not os.path.isfile(built):
        sys.stderr.write(result.stdout)
        sys.exit("build_help: chmcmd failed")
    os.replace(built, output)
    shutil.rmtree(stage)


if __name__ == "__main__":
    main()
