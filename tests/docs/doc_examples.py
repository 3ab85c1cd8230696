#!/usr/bin/env python3
"""The documentation against the real firmpack. Every "$ firmpack ..." example of README.md and
the manual page runs, in order, in one scratch folder on fixed inputs, and must print the lines
written under it ("…64 hexadecimal digits…" stands for a SHA-256). The stub's size in the prose,
the JSON fields and the manual page's options must be what firmpack and the build say.
Usage: doc_examples.py FIRMPACK STUB README MANPAGE"""
import json, os, random, re, subprocess, sys, tempfile

SHA256 = "…64 hexadecimal digits…"
ROFF = {"\\-": "-", "\\e": "\\", "\\(dq": '"', "\\fI": "", "\\fB": "", "\\fR": "", "\\(S1": "¹"}
failures = []


def unroff(text):
    return re.sub("|".join(map(re.escape, ROFF)), lambda escape: ROFF[escape.group()], text)


def examples(blocks):
    """(command, expected lines) for each "$ " line: the lines up to the next, in its block."""
    found = []
    for block in blocks:
        current = None
        for line in filter(None, block):
            if line.startswith("$ "):
                current = (line[2:], [])
                found.append(current)
            elif current:
                current[1].append(line)
    return found


def run_examples(source, blocks, env):
    print(f"{source}: {len(examples(blocks))} examples")
    for command, expected in examples(blocks):
        printed = subprocess.run(["bash", "-c", command], env=env, stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT).stdout.decode().rstrip("\n")
        pattern = re.escape("\n".join(expected)).replace(re.escape(SHA256), "[0-9a-f]{64}")
        if not re.fullmatch(pattern, printed):
            failures.append(f"{source}: $ {command}\n  printed:\n{printed}\n  the text says:\n" + "\n".join(expected))


def make_fixtures(firmpack):
    """fw.bin, a damaged carrier (Bad.exe) and one whose target leaves the folder (Evil.exe)."""
    open("fw.bin", "wb").write(random.Random(7).randbytes(1000))
    os.mkdir("out")
    scramble = lambda text: bytes((b << 4 | b >> 4) & 0xFF for b in text.encode())
    for name, target in (("Bad.exe", "boarda1.bin"), ("Evil.exe", "ab/evil.txt")):
        subprocess.run([firmpack, "pack", "fw.bin", "--target", target, "--allow-folder", "-o", name],
                       check=True, stdout=subprocess.DEVNULL)
    bad = bytearray(open("Bad.exe", "rb").read())
    bad[-100] ^= 6  # a payload byte: the sums then differ by 6
    evil = open("Evil.exe", "rb").read().replace(scramble("ab/evil.txt"), scramble("../evil.txt"))
    for name, carrier in (("Bad.exe", bad), ("Evil.exe", evil)):
        open(name, "wb").write(carrier)


def section(text, start, end):
    return text.split(start, 1)[-1].split(end, 1)[0]


def check_sizes_and_fields(firmpack, stub, readme, manpage):
    stated = re.search(r"The stub is ([\d,]+) bytes", readme)
    if not stated or int(stated.group(1).replace(",", "")) != os.path.getsize(stub):
        failures.append(f"README.md: \"The stub is N bytes\" should say {os.path.getsize(stub):,}")
    printed = list(json.loads(subprocess.run([firmpack, "inspect", "--json", "Upgrade.exe"],
                                             stdout=subprocess.PIPE).stdout))
    for source, fields in (("README.md", re.findall(r"(?m)^\| `(\w+)` \|", section(readme, "### JSON", "\n#"))),
                           ("the manual page", re.findall(r"(?m)^\.TP\n\.B (\w+)", section(manpage, ".SH JSON", ".SH ")))):
        if fields != printed:
            failures.append(f"{source}: JSON fields {fields}\n  firmpack prints {printed}")


def flags_in(text):
    return tuple(re.findall(r"(?<![\w-])--?[a-zA-Z][\w-]*", text))


def help_options(firmpack, command):
    """{flags: description} of one command's --help, but --help itself."""
    text = subprocess.run([firmpack, command, "--help"], stdout=subprocess.PIPE).stdout.decode()
    entries = (re.split(r"\s{2,}", entry.strip(), maxsplit=1)
               for entry in re.findall(r"(?m)^  (-.*(?:\n {20,}\S.*)?)", section(text, "Options:", "\n\n")))
    return {flags_in(flags.split(" ")[0].replace(",", " ")): text for flags, text in entries if "--help" not in flags}


def man_options(manpage, command):
    """{flags: text} of the options listed under one command of the manual page."""
    items = re.search(r"\n\.BI? " + command + r" .*?\n\.RS\n(.*?)\n\.RE\n", manpage, re.S).group(1).split(".TP\n")
    return {flags_in(head): " ".join(re.sub(r"^\.[A-Z]+ ", "", line).replace('"', "") for line in body)
            for head, *body in (unroff(item).split("\n") for item in items[1:])}


def check_options(firmpack, manpage):
    for command in ("pack", "inspect", "verify", "extract"):
        described, listed = help_options(firmpack, command), man_options(manpage, command)
        for flags in described.keys() | listed.keys():
            if not listed.get(flags, "").startswith(described.get(flags, "\0")):
                failures.append(f"the manual page, {command} {'/'.join(flags)}: --help says "
                                f"\"{described.get(flags)}\"\n  the manual page says \"{listed.get(flags)}\"")


def main(firmpack, stub, readme_path, manpage_path):
    firmpack, stub = os.path.abspath(firmpack), os.path.abspath(stub)
    readme, manpage = (open(p, encoding="utf-8").read() for p in (readme_path, manpage_path))
    os.chdir(tempfile.mkdtemp())
    os.mkdir("bin")
    os.symlink(firmpack, "bin/firmpack")
    env = dict(os.environ, PATH=os.path.abspath("bin") + ":" + os.environ["PATH"], LC_ALL="C.UTF-8")
    make_fixtures(firmpack)
    run_examples("README.md", [[l[4:] for l in b.split("\n")] for b in re.findall(r"(?m)^(?:    .*\n)+", readme)], env)
    run_examples("the manual page", [unroff(b).split("\n") for b in re.findall(r"(?s)\n\.nf\n(.*?)\n\.fi", manpage)], env)
    check_sizes_and_fields(firmpack, stub, readme, manpage)
    check_options(firmpack, manpage)
    print("\n".join(failures) or "docs: every example, option and JSON field as firmpack has them")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
