#!/usr/bin/python3
"""Writes a program's gzipped manual page, without a name or time stamp, so that the same source
gives the same bytes.

    help_to_man.py PROGRAM NAME VERSION OUT.1.gz    the page from PROGRAM --help
    help_to_man.py --page PAGE.1 VERSION OUT.1.gz   a hand-written page, @VERSION@ filled in

A command-line tool's page comes from its --help, so that the help stays the one source of what
its options are: the help's first line is "NAME: summary" (the page's NAME section); the rest
becomes the DESCRIPTION, kept as it is laid out (no filling: the help is bilingual and aligned by
hand). A window program, whose --help (if any) says little, has a page written by hand.
"""
import gzip
import subprocess
import sys


def roff(line):
    line = line.replace("\\", "\\e").replace("-", "\\-")
    # A line starting with a dot or an apostrophe would be read as a request.
    return "\\&" + line if line.startswith((".", "'")) else line


def write_page(text, out):
    data = text.encode("utf-8")
    with open(out, "wb") as raw, gzip.GzipFile(filename="", mode="wb", fileobj=raw, mtime=0,
                                               compresslevel=9) as f:
        f.write(data)


def page_from_help(program, name, version):
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
    return "\n".join(page)


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--page":
        source, version, out = sys.argv[2:]
        with open(source, encoding="utf-8") as f:
            text = f.read()
        if "@VERSION@" not in text:
            sys.exit("%s: no @VERSION@ in its .TH line" % source)
        write_page(text.replace("@VERSION@", version), out)
    elif len(sys.argv) == 5:
        write_page(page_from_help(*sys.argv[1:4]), sys.argv[4])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
