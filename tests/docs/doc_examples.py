#!/usr/bin/env python3
"""The documentation against the real firmpack. Every "$ firmpack ..." example of README.md and
the manual page runs, in order, in one scratch folder on fixed inputs, and must print the lines
written under it ("…64 hexadecimal digits…" stands for a SHA-256). The stub's size in the prose,
the JSON fields and the manual page's options must match what firmpack and the build say.
Usage: doc_examples.py FIRMPACK STUB README MANPAGE"""
import json
import os
import random
import re
import subprocess
import sys
import tempfile

SHA256 = "…64 hexadecimal digits…"
ROFF = [("\\-", "-"), ("\\e", "\\"), ("\\(dq", '"'), ("\\(aq", "'"), ("\\fI", ""), ("\\fB", ""), ("\\fR", ""),
        ("\\(S1", "¹"), ("\\ ", " ")]
failures = []


def unroff(line):
    for escape, text in ROFF:
        line = line.replace(escape, text)
    return line


def markdown_blocks(text):
    """The indented code blocks of a Markdown text, as lists of lines."""
    return [[line[4:] for line in block.split("\n")]
            for block in re.findall(r"(?m)^(?:    .*\n)+", text)]


def roff_blocks(text):
    return [[unroff(line) for line in block.split("\n")] for block in re.findall(r"(?s)\n\.nf\n(.*?)\n\.fi", text)]


def examples(blocks):
    """(command, expected lines) for each "$ " line, its output being the block's lines up to the next."""
    found = []
    for block in blocks:
        current = None
        for line in block:
            if line.startswith("$ "):
                current = (line[2:], [])
                found.append(current)
            elif current is not None and line:
                current[1].append(line)
    return found


def matches(expected, actual):
    pattern = "\n".join(re.escape(line).replace(re.escape(SHA256), "[0-9a-f]{64}") for line in expected)
    return re.fullmatch(pattern, "\n".join(actual)) is not None


def run_examples(source, blocks, env):
    for command, expected in examples(blocks):
        result = subprocess.run(["bash", "-c", command], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        actual = result.stdout.decode().rstrip("\n").split("\n") if result.stdout else []
        if not matches(expected, actual):
            failures.append(f"{source}: $ {command}\n  printed:\n    " + "\n    ".join(actual) +
                            "\n  the text says:\n    " + "\n    ".join(expected))


def make_fixtures(firmpack):
    """fw.bin, a damaged carrier (Bad.exe) and one whose target leaves the folder (Evil.exe)."""
    with open("fw.bin", "wb") as f:
        f.write(random.Random(7).randbytes(1000))
    os.mkdir("out")
    for name, target in (("Bad.exe", "boarda1.bin"), ("Evil.exe", "ab/evil.txt")):
        subprocess.run([firmpack, "pack", "fw.bin", "--label", "Board_A1", "--target", target, "--allow-folder",
                        "-o", name], check=True, stdout=subprocess.DEVNULL)
    scramble = lambda text: bytes((b << 4 | b >> 4) & 0xFF for b in text.encode())
    bad = bytearray(open("Bad.exe", "rb").read())
    bad[-100] ^= 6  # a payload byte: the sums then differ by 6
    evil = open("Evil.exe", "rb").read().replace(scramble("ab/evil.txt"), scramble("../evil.txt"))
    open("Bad.exe", "wb").write(bad)
    open("Evil.exe", "wb").write(evil)


def check_stub_size(readme, stub):
    stated = re.search(r"The stub is ([\d,]+) bytes", readme)
    size = os.path.getsize(stub)
    if not stated or int(stated.group(1).replace(",", "")) != size:
        failures.append(f"README.md: \"The stub is N bytes\" should say {size:,}")


def check_json_fields(firmpack, readme, manpage):
    report = json.loads(subprocess.run([firmpack, "inspect", "--json", "Upgrade.exe"], stdout=subprocess.PIPE).stdout)
    documented = {"README.md": re.findall(r"(?m)^\| `(\w+)` \|", readme.split("### JSON")[-1].split("\n#")[0]),
                  "the manual page": re.findall(r"(?m)^\.TP\n\.BR? (\w+)", manpage.split("\n.SH JSON")[-1].split("\n.SH ")[0])}
    for source, fields in documented.items():
        if fields != list(report):
            failures.append(f"{source}: JSON fields {fields}\n  firmpack prints {list(report)}")


def help_options(firmpack, command):
    """{flags: description} of one command's --help."""
    text = subprocess.run([firmpack, command, "--help"], stdout=subprocess.PIPE).stdout.decode()
    options = {}
    for entry in re.findall(r"(?m)^  (-.*(?:\n {20,}\S.*)?)", text.split("Options:")[1]):
        flags, description = re.split(r"\s{2,}", entry.strip(), maxsplit=1)
        options[flags_in(flags.split(" ")[0].replace(",", " "))] = description
    options.pop(("-h", "--help"))
    return options


def flags_in(text):
    return tuple(re.findall(r"(?<![\w-])--?[a-zA-Z][\w-]*", text))


def man_options(manpage, command):
    """{flags: text} of the options listed under one command of the manual page."""
    section = re.search(r"\n\.BI? " + command + r" .*?\n\.RS\n(.*?)\n\.RE\n", manpage, re.S).group(1)
    options = {}
    for item in section.split(".TP\n")[1:]:
        head, *body = unroff(item).split("\n")
        options[flags_in(head)] = " ".join(re.sub(r"^\.[A-Z]+ ", "", line).replace('"', "") for line in body)
    return options


def check_options(firmpack, manpage):
    for command in ("pack", "inspect", "verify", "extract"):
        described, listed = help_options(firmpack, command), man_options(manpage, command)
        for flags in described.keys() | listed.keys():
            where = f"the manual page, {command} {'/'.join(flags)}"
            if flags not in listed:
                failures.append(f"{where}: missing; --help says \"{described[flags]}\"")
            elif flags not in described:
                failures.append(f"{where}: not in --help")
            elif not listed[flags].startswith(described[flags]):
                failures.append(f"{where}: should begin \"{described[flags]}\"\n  it says \"{listed[flags]}\"")


def main(firmpack, stub, readme_path, manpage_path):
    firmpack, stub = os.path.abspath(firmpack), os.path.abspath(stub)
    readme, manpage = (open(p, encoding="utf-8").read() for p in (readme_path, manpage_path))
    os.chdir(tempfile.mkdtemp())
    os.mkdir("bin")
    os.symlink(firmpack, "bin/firmpack")
    env = dict(os.environ, PATH=os.path.abspath("bin") + ":" + os.environ["PATH"], LC_ALL="C.UTF-8")
    make_fixtures(firmpack)
    run_examples("README.md", markdown_blocks(readme), env)
    run_examples("the manual page", roff_blocks(manpage), env)
    check_stub_size(readme, stub)
    check_json_fields(firmpack, readme, manpage)
    check_options(firmpack, manpage)
    print("\n".join(failures) or "docs: every example and option as firmpack has it")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
