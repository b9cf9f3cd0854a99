#!/usr/bin/env bash
# Prints the X libraries Wine's display driver opens by name when it starts,
# one package a line (Debian's names, without the architecture). Missing,
# Wine still runs and quietly does without what each gives: without
# libxinerama1 it sees one monitor however many the X server has, without
# libxrandr2 no display modes, without libxcursor1 only the core cursors.
# Debian's wine32 and libwine only recommend them, and the set-up installs
# without recommends, so it names them itself (tools/setup.sh); the
# multi-monitor test names the one missing when Wine sees fewer monitors.
printf '%s\n' libxinerama1 libxrandr2 libxcursor1 libxi6 libxcomposite1 libxfixes3 \
    libxrender1 libxext6 libxxf86vm1
