#!/usr/bin/env python3
"""Checks Qt Linguist files: every message translated, and each translation keeps what
the code relies on: the %1 arguments, the printf conversions in their order, the line
breaks, and a mnemonic where the source has one. Prints each fault; exits 1 if any.
  check-translations.py FILE.ts...
  check-translations.py --fresh   checks copies of ours brought up to date with the code first,
                                  so a text the code gained and nobody translated counts too"""
import pathlib
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ARGS = re.compile(r"%(\d+)")
PRINTF = re.compile(r"%[-+ #0]*\d*(?:\.\d+)?[diouxXeEfgGs]")
MNEMONIC = re.compile(r"&(?!&)(\w)")


def text_of(element):
    # lupdate writes a carriage return as <byte value="xd"/>.
    parts = [element.text or ""]
    for child in element:
        if child.tag == "byte":
            parts.append(chr(int(child.get("value").lstrip("x"), 16)))
        parts.append(child.tail or "")
    return "".join(parts)


def faults(path):
    root = ET.parse(path).getroot()
    for context in root.iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = text_of(message.find("source"))
            element = message.find("translation")
            where = f"{path}: {name}: {source!r}"
            if element is None or element.get("type") in ("unfinished", "vanished", "obsolete"):
                yield f"{where}: not translated"
                continue
            # A text with %n has one form per plural of the language, each checked alone.
            if message.get("numerus") == "yes":
                forms = [text_of(form) for form in element.findall("numerusform")]
            else:
                forms = [text_of(element)]
            for translation in forms or [""]:
                yield from faults_of(where, source, translation)


def faults_of(where, source, translation):
    if not translation.strip():
        yield f"{where}: empty translation"
        return
    if sorted(ARGS.findall(source)) != sorted(ARGS.findall(translation)):
        yield f"{where}: the %N arguments differ in {translation!r}"
    if source.count("%n") != translation.count("%n"):
        yield f"{where}: the %n count is lost in {translation!r}"
    if PRINTF.findall(source.replace("%%", "")) != PRINTF.findall(translation.replace("%%", "")):
        yield f"{where}: the printf conversions differ in {translation!r}"
    if source.count("%%") != translation.count("%%"):
        yield f"{where}: the %% signs differ in {translation!r}"
    if source.count("\n") != translation.count("\n") or source.count("\r") != translation.count("\r"):
        yield f"{where}: the line breaks differ in {translation!r}"
    if bool(MNEMONIC.search(source)) != bool(MNEMONIC.search(translation)):
        yield f"{where}: the mnemonic is lost or added in {translation!r}"


def main(paths):
    found = [fault for path in paths for fault in faults(path)]
    for fault in found:
        print(fault)
    print(f"check-translations: {len(paths)} files, {len(found)} faults")
    return 1 if found or not paths else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--fresh"]:
        scripts = pathlib.Path(__file__).resolve().parent
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([scripts / "update-translations.sh", folder], check=True)
            sys.exit(main(sorted(str(p) for p in pathlib.Path(folder).glob("*.ts"))))
    sys.exit(main(sys.argv[1:]))
