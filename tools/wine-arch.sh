#!/usr/bin/env bash
# Prints which Windows build Wine can run on this host: win32 where the kernel
# executes 32-bit code, win64 where it cannot (some virtual machines run
# 64-bit user code only, and then Wine's 32-bit loader cannot start at all).
# Zelcap ships as the 32-bit build either way.
# Wine's 32-bit half may also be missing where the set-up could not install it.
if /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine ]; then
    echo win32
else
    echo win64
fi
