#!/usr/bin/env python3
"""The command lines of the README and docs/ as an administrator pastes them into cmd.

cmd has no end-of-line comment: "msiexec /x kestrine.msi /qn :: remove" hands "::" and
"remove" to msiexec, which refuses them (1639). So a command line in a code block carries no
"::" or "#" outside its quotes (comments stand on their own `rem` lines). And a task that
schtasks makes neither starts nor keeps running on battery, so every `schtasks /Create` is
followed by the PowerShell line that lets it run on battery.

    tests/docs/commands_test.py [FILE...]   (default: README.md and docs/*.md)
Ends with "docs-commands: N passed, M failed".
"""
import pathlib
import re
import sys

COMMANDS = ("msiexec", "schtasks", "powershell", "wevtutil", "reg", '"%ProgramFiles')


def code_lines(text):
    """The lines of the indented code blocks, with their line numbers."""
    for number, line in enumerate(text.splitlines(), 1):
        if line.startswith("    "):
            yield number, line.strip()


def outside_quotes(line):
    # cmd toggles quoting at every double quote; a backslash escapes nothing for it.
    return "".join(part for index, part in enumerate(line.split('"')) if index % 2 == 0)


def faults(path):
    found = []
    lines = list(code_lines(path.read_text(encoding="utf-8")))
    for position, (number, line) in enumerate(lines):
        if not line.startswith(COMMANDS):
            continue
        bare = outside_quotes(line)
        if "::" in bare or re.search(r"\s#", bare):
            found.append(f"{path}:{number}: a comment on a command line: {line}")
        task = re.match(r'schtasks /Create .*/TN "([^"]+)"', line)
        if task:
            following = lines[position + 1][1] if position + 1 < len(lines) else ""
            battery = f"Set-ScheduledTask -TaskName '{task.group(1)}'"
            if battery not in following or "-AllowStartIfOnBatteries" not in following or \
                    "-DontStopIfGoingOnBatteries" not in following:
                found.append(f"{path}:{number}: task '{task.group(1)}' is not set to run on battery")
    return found


def main(arguments):
    root = pathlib.Path(__file__).resolve().parents[2]
    paths = [pathlib.Path(a) for a in arguments] or [root / "README.md", *sorted((root / "docs").glob("*.md"))]
    passed = failed = 0
    for path in paths:
        problems = faults(path)
        for problem in problems:
            print(f"FAIL {problem}")
        passed += not problems
        failed += bool(problems)
    print(f"docs-commands: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
