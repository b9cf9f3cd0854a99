#!/usr/bin/env python3
"""Copies UTF-8 C++ sources with their non-ASCII string and character
literals spelled as CP932 octal escapes.

The native and Windows builds get CP932 literals from GCC's
-fexec-charset=CP932. Clang, which the fuzzers need, knows no execution
character set but UTF-8, so the fuzz build compiles these copies instead:
"表" becomes "\\225\\134", the same bytes GCC would have put there. Octal
escapes take at most three digits, so a digit after one never joins it.
Comments and code outside literals stay as they are, and a #line keeps
diagnostics pointing at the real file.

    cp932_literals.py SOURCE_ROOT OUTPUT_ROOT RELATIVE_PATH...
"""
import os
import sys


def literal_prefix(text, i):
    """Whether the word that ends just before text[i] is an encoding
    prefix (L, u, U, u8) rather than the digits of a number."""
    j = i
    while j > 0 and (text[j - 1].isalnum() or text[j - 1] == "_"):
        j -= 1
    return text[j:i] in ("L", "u", "U", "u8")


def escape_literals(text, name):
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(text[i:end])
            i = end
        elif c == '"' or (c == "'" and (not (i > 0 and text[i - 1].isalnum()) or
                                       literal_prefix(text, i))):
            # A quote after a letter or digit: a digit separator (1'000),
            # unless the word before it is a literal's prefix (L'@'); or the
            # prefix of a raw string, which the sources do not use.
            if c == '"' and i > 0 and text[i - 1] == "R":
                raise SystemExit(f"{name}: raw string literals are not supported")
            j = i + 1
            body = []
            while j < n and text[j] != c:
                if text[j] == "\\":
                    body.append(text[j:j + 2])
                    j += 2
                    continue
                if text[j] == "\n":
                    raise SystemExit(f"{name}: unterminated literal")
                if ord(text[j]) > 127:
                    body.append("".join(f"\\{b:03o}" for b in text[j].encode("cp932")))
                else:
                    body.append(text[j])
                j += 1
            out.append(c + "".join(body) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main():
    source_root, output_root, paths = sys.argv[1], sys.argv[2], sys.argv[3:]
    for path in paths:
        source = os.path.join(source_root, path)
        with open(source, encoding="utf-8") as f:
            text = f.read()
        converted = f'#line 1 "{source}"\n' + escape_literals(text, path)
        target = os.path.join(output_root, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", encoding="utf-8") as f:
            f.write(converted)


if __name__ == "__main__":
    main()
