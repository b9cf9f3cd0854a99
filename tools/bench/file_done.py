#!/usr/bin/env python3
"""Prints "ready", then, once FOLDER/NAME is complete (written and closed, or
moved there), the clock's nanoseconds (as `date +%s%N`) and exits.

The benchmarks time an export to the moment its file is complete, which is
what their floors time, without asking every few milliseconds: a program
started that often took part of a core from the export being timed. The
export programs write to a temporary name and move the file into place.
"""
import ctypes
import os
import select
import struct
import sys
import time

IN_CLOSE_WRITE = 0x008
IN_MOVED_TO = 0x080


def main():
    folder, name = sys.argv[1], os.fsencode(sys.argv[2])
    timeout = float(sys.argv[3]) if len(sys.argv) > 3 else 600.0
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init()
    if fd < 0 or libc.inotify_add_watch(fd, os.fsencode(folder), IN_CLOSE_WRITE | IN_MOVED_TO) < 0:
        print("file_done: no watch on", folder, file=sys.stderr)
        return 1
    print("ready", flush=True)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        readable, _, _ = select.select([fd], [], [], deadline - time.monotonic())
        if not readable:
            break
        data = os.read(fd, 65536)
        at = 0
        while at < len(data):
            _, _, _, length = struct.unpack_from("iIII", data, at)
            event_name = data[at + 16:at + 16 + length].rstrip(b"\0")
            at += 16 + length
            if event_name == name:
                print(time.time_ns(), flush=True)
                return 0
    print("file_done: timed out", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
