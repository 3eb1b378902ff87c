#!/usr/bin/python3
"""Writes a program's manual page from its --help text, so that the help stays the one source of
what the program's options are. The page is gzipped without a name or time stamp, so the same help
gives the same bytes.

    help_to_man.py PROGRAM NAME VERSION OUT.1.gz

The help's first line is "NAME: summary" (the page's NAME section); the rest becomes the
DESCRIPTION, kept as it is laid out (no filling: the help is bilingual and aligned by hand).
"""
import gzip
import subprocess
import sys


def roff(line):
    line = line.replace("\\", "\\e").replace("-", "\\-")
    # A line starting with a dot or an apostrophe would be read as a request.
    return "\\&" + line if line.startswith((".", "'")) else line


def main():
    program, name, version, out = sys.argv[1:]
    result = subprocess.run([program, "--help"], capture_output=True, encoding="utf-8")
    if result.returncode != 0 or not result.stdout.strip():
        sys.exit("%s --help failed (exit %d): %s" % (program, result.returncode, result.stderr))
    lines = result.stdout.rstrip("\n").split("\n")
    head, body = lines[0], lines[1:]
    summary = head[len(name) + 1:].strip() if head.startswith(name + ":") else head
    while body and not body[0].strip():
        body.pop(0)

    page = [
        '.TH "%s" 1 "" "kirasuite %s" "User Commands"' % (name.upper(), version),
        ".SH NAME",
        "%s \\- %s" % (roff(name), roff(summary)),
        ".SH DESCRIPTION",
        ".nf",
    ]
    page += [roff(line) for line in body]
    page += [".fi", ""]
    data = "\n".join(page).encode("utf-8")
    with open(out, "wb") as raw, gzip.GzipFile(filename="", mode="wb", fileobj=raw, mtime=0,
                                               compresslevel=9) as f:
        f.write(data)


if __name__ == "__main__":
    main()
