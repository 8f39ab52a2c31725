#!/usr/bin/env python3
"""Every translation is complete and fits its source: each of the sources' texts is there (lupdate, given as the
first argument, finds no new one), none unfinished or empty, a plural text has its language's forms, and each
translation keeps the source's placeholders and its leading and trailing blanks."""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

root = pathlib.Path(__file__).resolve().parent.parent
lupdate = sys.argv[1]
plural_forms = {"de": 2, "ru": 3}
faults = []


def placeholders(text):
    return sorted(re.findall(r"%(?:n|\d+)", text))


def blanks(text):
    return (text.startswith(" "), text.endswith(" "))


for ts in sorted((root / "translations").glob("parley_*.ts")):
    language = ts.stem.split("_", 1)[1]
    with tempfile.TemporaryDirectory() as scratch:
        copy = pathlib.Path(scratch) / ts.name
        shutil.copy(ts, copy)
        said = subprocess.run([lupdate, "-locations", "none", "-no-obsolete", str(root / "core"), str(root / "gui"),
                               "-ts", str(copy)], capture_output=True, text=True, check=True).stdout
        if not re.search(r"\(0 new and", said):
            faults.append(f"{ts.name}: texts in the sources that it lacks ({said.strip().splitlines()[-1]})")
    for context in ET.parse(ts).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            where = f"{ts.name} {name}: {source!r}"
            if translation.get("type") in ("unfinished", "obsolete", "vanished"):
                faults.append(f"{where} is {translation.get('type')}")
                continue
            plural = message.get("numerus")
            forms = [f.text or "" for f in translation.iter("numerusform")] if plural else [translation.text or ""]
            if plural and len(forms) != plural_forms[language]:
                faults.append(f"{where} has {len(forms)} plural forms, not {plural_forms[language]}")
            for form in forms:
                if not form.strip():
                    faults.append(f"{where} has an empty translation")
                elif placeholders(form) != placeholders(source):
                    faults.append(f"{where}: {form!r} changes the placeholders")
                elif blanks(form) != blanks(source):
                    faults.append(f"{where}: {form!r} changes the blanks around it")

for fault in faults:
    print("FAIL:", fault)
sys.exit(1 if faults else 0)
