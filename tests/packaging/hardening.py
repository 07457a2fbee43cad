"""Protections of the native program, read off the ELF file and the build.

usage: python3 hardening.py ELF_FILE COMPILE_COMMANDS_JSON"""

import json
import subprocess
import sys


def readelf(*arguments):
    return subprocess.run(["readelf", "-W", *arguments], check=True, capture_output=True, text=True).stdout


def check_elf(path):
    """What is missing from the binary: PIE, full RELRO, BIND_NOW, stack protector."""
    missing = []
    if "DYN (Position-Independent Executable file)" not in readelf("-h", path):
        missing.append("PIE")
    dynamic = readelf("-d", path)
    if "PIE" not in dynamic:
        missing.append("PIE flag")
    if "BIND_NOW" not in dynamic and " NOW" not in dynamic:
        missing.append("BIND_NOW")
    if "GNU_RELRO" not in readelf("-l", path):
        missing.append("RELRO")
    if "__stack_chk_fail" not in readelf("--dyn-syms", path):
        missing.append("stack protector")
    return missing


def check_compile_commands(path):
    """What is missing from the compile flags of our own sources (macros leave no trace in the binary)."""
    missing = []
    for command in json.load(open(path)):
        if not any(room in command["file"] for room in ("/switching/", "/repair/", "/stores/", "/shell/")):
            continue
        flags = command.get("command") or " ".join(command["arguments"])
        for flag in ("-D_FORTIFY_SOURCE=2", "-D_GLIBCXX_ASSERTIONS", "-fstack-protector-strong", "-O2"):
            if flag not in flags:
                missing.append(f"{flag} in {command['file']}")
    return missing


if __name__ == "__main__":
    problems = check_elf(sys.argv[1]) + check_compile_commands(sys.argv[2])
    for problem in problems:
        print("missing:", problem)
    print("hardened" if not problems else "NOT hardened")
    sys.exit(1 if problems else 0)
