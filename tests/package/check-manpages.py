#!/usr/bin/env python3
"""The manual pages against the programs: every option that `xrdtool ...
--help` (each command and history subcommand) and quorvanel's usage text
print is described in its page, each page describes no option the program
lacks, the exit statuses the help names are listed, the sections a manual
page needs are there, and the built roff lints clean (mandoc -T lint) and
renders (man -l) without a warning.

usage: check-manpages.py XRDTOOL QUORVANEL PAGE_SOURCES BUILT_PAGES
"""
import os
import re
import subprocess
import sys
import tempfile

XRDTOOL, QUORVANEL, SOURCES, BUILT = sys.argv[1:5]
SECTIONS = ["NAME", "SYNOPSIS", "DESCRIPTION", "ENVIRONMENT", "EXIT STATUS", "FILES", "EXAMPLES", "SEE ALSO"]
OPTION = re.compile(r"(?:^|[\s\[|])(--?[a-z][a-z-]*)")
failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def run(args, env=None):
    return subprocess.run(args, capture_output=True, text=True, env=env)


def sections(page):
    """The page's '# ' sections and '## ' subsections: name -> lines."""
    found, current = {}, None
    with open(os.path.join(SOURCES, page + ".1.scd"), encoding="utf-8") as source:
        for line in source.read().splitlines():
            line = re.sub(r"\\(.)", r"\1", line)  # scdoc's escapes: \_ is _
            if line.startswith("#"):
                current = line.lstrip("#").strip()
                found[current] = []
            elif current:
                found[current].append(line)
    return found


def described(lines):
    """The options a section describes: those on its term lines (the lines
    that open an entry, not indented: '*--db* _DB_', '*--help*, *-h*')."""
    options = set()
    for line in lines:
        if line.startswith("*-"):
            options.update(re.findall(r"\*(--?[a-z][a-z-]*)\*", line))
    return options


def help_text(path):
    result = run([XRDTOOL] + path + ["--help"])
    if result.returncode != 0:
        fail("xrdtool %s --help: exit status %d" % (" ".join(path), result.returncode))
    return result.stdout


def listed_commands(text):
    block = text.split("Commands:\n", 1)[1]
    return [line.split()[0] for line in block.splitlines() if line.startswith("  ")]


def check_options(what, want, lines, synopsis):
    have = described(lines)
    for option in sorted(want - have):
        fail("%s: %s is in --help but not described in the page" % (what, option))
    for option in sorted(have - want - {"--help", "-h"}):
        fail("%s: the page describes %s, which --help does not list" % (what, option))
    for option in sorted(want - {"--help", "-h", "--version"}):
        if "*%s*" % option not in synopsis:
            fail("%s: %s is missing from the SYNOPSIS" % (what, option))


def check_exit_statuses(what, help, lines):
    said = re.search(r"^Exit status: (.*)$", help, re.M)
    if not said:
        return
    listed = {line.strip("*") for line in lines if re.fullmatch(r"\*\d+\*", line)}
    for status in re.findall(r"\b(0|3|255)\b", said.group(1)):
        if status not in listed:
            fail("%s: exit status %s is not under EXIT STATUS" % (what, status))


pages = {}
for name in sorted(os.listdir(SOURCES)):
    if name.endswith(".1.scd"):
        page = name[: -len(".1.scd")]
        pages[page] = sections(page)
        for section in SECTIONS:
            if section not in pages[page]:
                fail("%s(1) has no %s section" % (page, section))

# xrdtool(1): the commands and the program's own options.
root = help_text([])
commands = listed_commands(root)
xrdtool_page = pages["xrdtool"]
terms = {line.split("*")[1] for line in xrdtool_page["COMMANDS"] if line.startswith("*")}
if set(commands) != terms:
    fail("xrdtool(1) COMMANDS has %s, --help lists %s" % (sorted(terms), commands))
root_options = set(OPTION.findall(root.splitlines()[-1]))
check_options("xrdtool(1)", root_options, xrdtool_page["OPTIONS"], "\n".join(xrdtool_page["SYNOPSIS"]))

# One page per command; history's subcommands are the subsections of its COMMANDS.
checked = 0
for command in commands:
    page = "xrdtool-" + command
    if page not in pages:
        fail("no page %s(1) for the command %s" % (page, command))
        continue
    synopsis = "\n".join(pages[page]["SYNOPSIS"])
    help = help_text([command])
    subcommands = listed_commands(help) if "Commands:\n" in help else []
    for sub in subcommands or [None]:
        path = [command] + ([sub] if sub else [])
        what = "xrdtool %s" % " ".join(path)
        text = help_text(path) if sub else help
        usage = text.splitlines()[0]
        if not usage.startswith("usage: " + what):
            fail("%s --help: first line is not its usage: %s" % (what, usage))
        want = set(OPTION.findall(usage[len("usage: " + what) :]))
        lines = pages[page].get(sub if sub else "OPTIONS")
        if lines is None:
            fail("%s(1) has no section for %s" % (page, what))
            continue
        if sub and ("*xrdtool history %s*" % sub) not in synopsis:
            fail("%s(1) SYNOPSIS lacks %s" % (page, what))
        check_options(what, want, lines, synopsis)
        check_exit_statuses(what, text, pages[page]["EXIT STATUS"])
        checked += 1
    if subcommands:
        check_exit_statuses("xrdtool " + command, help, pages[page]["EXIT STATUS"])

# quorvanel(1): the usage text printed on a wrong command line (English: no catalogue).
with tempfile.TemporaryDirectory() as home:
    os.makedirs(os.path.join(home, "lib", "locale"))
    env = dict(os.environ, KESTRELONDIR=home, LC_ALL="C", LANG="C")
    result = run([QUORVANEL], env)
usage_line = next((line for line in result.stderr.splitlines() if line.startswith("Usage: ")), "")
if result.returncode != 255 or not usage_line:
    fail("quorvanel without arguments: status %d, no usage text: %r" % (result.returncode, result.stderr))
want = set(OPTION.findall(usage_line.split(None, 2)[2] if usage_line.count(" ") > 1 else ""))
if want != {"-ots", "-tdf", "-xrd", "-h"}:
    fail("quorvanel's usage lists %s" % sorted(want))
quorvanel_page = pages["quorvanel"]
check_options("quorvanel(1)", want, quorvanel_page["OPTIONS"], "\n".join(quorvanel_page["SYNOPSIS"]))
for variable in ["KESTRELONDIR", "/usr/share/quorvanel", "KSTN_STUDIO_HEADER_FILE", "TMPDIR"]:
    if variable not in "\n".join(quorvanel_page["ENVIRONMENT"]):
        fail("quorvanel(1) ENVIRONMENT does not say %s" % variable)
for status in ["0", "3", "255"]:
    if "*%s*" % status not in quorvanel_page["EXIT STATUS"]:
        fail("quorvanel(1) EXIT STATUS lacks %s" % status)

# The built roff: no lint message, and man renders it without a warning.
for page in pages:
    roff = os.path.join(BUILT, page + ".1")
    lint = run(["mandoc", "-T", "lint", roff])
    if lint.returncode != 0 or lint.stdout or lint.stderr:
        fail("mandoc -T lint %s:\n%s%s" % (roff, lint.stdout, lint.stderr))
    shown = run(["man", "--warnings", "-E", "UTF-8", "-l", roff + ".gz"], dict(os.environ, MANWIDTH="80"))
    if shown.returncode != 0 or shown.stderr or not re.search(r"^NAME\n\s+%s - " % re.escape(page), shown.stdout, re.M):
        fail("man -l %s.gz: status %d, %s" % (roff, shown.returncode, shown.stderr or "no NAME line"))

if failures:
    print("%d failure(s)" % len(failures))
    sys.exit(1)
print("manual pages: %d pages, %d commands' options, quorvanel's usage, lint and man clean" % (len(pages), checked))
