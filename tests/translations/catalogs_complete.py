#!/usr/bin/env python3
"""Every catalog in step with the sources and finished: lupdate, run again on a copy, changes
nothing (no text new, changed or gone), no entry is unfinished, vanished, obsolete or empty, and
every translation keeps what the program fills in or acts on: its placeholders (%1), its one
mnemonic (&) and its file patterns ("(*.zip)").

Usage: catalogs_complete.py LUPDATE CATALOG... -- LUPDATE_ARGUMENTS..."""
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PLACEHOLDER = re.compile(r"%\d")
MNEMONIC = re.compile(r"&(?!&)")
PATTERN = re.compile(r"\(\*[^)]*\)")


def kept(source, translation):
    """What of the source a translation has lost, in words; empty when nothing."""
    lost = []
    for name, form in (("placeholders", PLACEHOLDER), ("mnemonics", MNEMONIC),
                       ("file patterns", PATTERN)):
        if sorted(form.findall(source)) != sorted(form.findall(translation)):
            lost.append(name)
    return ", ".join(lost)


def problems(path):
    root = ET.parse(path).getroot()
    found = []
    for context in root.iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            where = f"{name}: {source[:60]!r}"
            state = translation.get("type")
            if state:
                found.append(f"{where} is {state}")
            elif not (translation.text or "").strip():
                found.append(f"{where} has an empty translation")
            elif kept(source, translation.text):
                found.append(f"{where} loses its {kept(source, translation.text)}")
    return found


def main():
    lupdate, rest = sys.argv[1], sys.argv[2:]
    split = rest.index("--")
    catalogs, arguments = rest[:split], rest[split + 1:]
    failed = False
    with tempfile.TemporaryDirectory() as work:
        copies = [shutil.copy(catalog, work) for catalog in catalogs]
        subprocess.run([lupdate, *arguments, "-ts", *copies], check=True,
                       stdout=subprocess.DEVNULL)
        for catalog, copy in zip(catalogs, copies):
            with open(catalog, encoding="utf-8") as mine, open(copy, encoding="utf-8") as fresh:
                before, after = mine.readlines(), fresh.readlines()
            if before != after:
                failed = True
                print(f"{catalog} is not in step with the sources (build the target "
                      "update_translations, then translate what is new):")
                sys.stdout.writelines(list(difflib.unified_diff(
                    before, after, catalog, "lupdate's", n=1))[:40])
            for problem in problems(catalog):
                failed = True
                print(f"{os.path.basename(catalog)}: {problem}")
    if not failed:
        print(f"{len(catalogs)} catalogs complete")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
