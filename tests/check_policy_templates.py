#!/usr/bin/env python3
"""The policy templates against the program's own table of policies.

Usage: check_policy_templates.py SOURCE_ROOT. Reads the table rows in
settings/policy.cpp; every value the program reads must have exactly one
entry of the same kind and range in installer/PolicyDefinitions/marrowgate.admx,
every entry there must be read, both files must be well-formed XML, and every
string and presentation the ADMX names must exist in en-US/marrowgate.adml.
"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
KEY = r"Software\Policies\Quarnwick\Marrowgate"
ROW = re.compile(r'\{Managed::\w+,\s*L"(\w+)",\s*PolicyKind::k(\w+),\s*(\w+),\s*(\w+),')
CONSTANT = re.compile(r"constexpr\s+uint32_t\s+(\w+)\s*=\s*(\w+);")
failures = []


def fail(text):
    failures.append(text)


def program_table(root):
    constants = {"MAX_PATH": "260"}
    for name in ("settings/policy.h", "settings/policy.cpp"):
        constants.update(CONSTANT.findall((root / name).read_text()))

    def number(token):
        while token in constants:
            token = constants[token]
        return int(token, 0)

    rows = ROW.findall((root / "settings/policy.cpp").read_text())
    return {name: (kind.lower(), number(low), number(high)) for name, kind, low, high in rows}


def template_entries(admx):
    """value name -> (kind, minimum, maximum) as the template writes it, counted."""
    entries, counts = {}, {}
    for policy in admx.iterfind(".//p:policies/p:policy", NS):
        name = policy.get("name")
        if policy.get("key") != KEY:
            fail(f"{name}: key {policy.get('key')!r}, not {KEY!r}")
        if policy.find("p:parentCategory[@ref='Marrowgate']", NS) is None:
            fail(f"{name}: not in the Marrowgate category")
        if policy.find("p:supportedOn[@ref='windows:SUPPORTED_Windows_10_0']", NS) is None:
            fail(f"{name}: not marked as supported on Windows 10 and later")
        found = []
        if policy.get("valueName"):
            on = policy.find("p:enabledValue/p:decimal", NS)
            off = policy.find("p:disabledValue/p:decimal", NS)
            values = (on.get("value") if on is not None else None, off.get("value") if off is not None else None)
            found.append((policy.get("valueName"), ("flag", 0, 1) if values == ("1", "0") else ("?",) + values))
        for element in policy.iterfind("p:elements/*", NS):
            tag = element.tag.split("}")[1]
            value = element.get("valueName")
            if tag == "decimal":
                found.append((value, ("number", int(element.get("minValue", 0)), int(element.get("maxValue", -1)))))
            elif tag == "enum":
                items = sorted(int(d.get("value")) for d in element.iterfind("p:item/p:value/p:decimal", NS))
                whole = items == list(range(items[0], items[-1] + 1)) if items else False
                found.append((value, ("number", items[0], items[-1]) if whole else ("enum with gaps",)))
            elif tag == "text":
                found.append((value, ("text", None, int(element.get("maxLength", -1)))))
            else:
                fail(f"{name}: element {tag} is not one the program reads")
        if len(found) != 1:
            fail(f"{name}: maps to {len(found)} registry values, not one")
        for value, kind in found:
            counts[value] = counts.get(value, 0) + 1
            entries[value] = kind
    for value, count in counts.items():
        if count > 1:
            fail(f"{value}: written by {count} template entries")
    return entries


def check_against_table(table, entries):
    for value, (kind, low, high) in table.items():
        if value not in entries:
            fail(f"{value}: read by the program, no template entry")
            continue
        want = (kind, None, high) if kind == "text" else (kind, low, high)
        if entries[value] != want:
            fail(f"{value}: the program reads {want}, the template writes {entries[value]}")
    for value in entries:
        if value not in table:
            fail(f"{value}: in the template, never read by the program")


def check_strings(admx_text, admx, adml):
    strings = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", NS)}
    presentations = {p.get("id"): p for p in adml.iterfind(".//p:presentationTable/p:presentation", NS)}
    for ref in sorted(set(re.findall(r"\$\(string\.([^)]+)\)", admx_text))):
        if ref not in strings:
            fail(f"string {ref} named by the ADMX is missing from the ADML")
    for policy in admx.iterfind(".//p:policies/p:policy", NS):
        ref = re.fullmatch(r"\$\(presentation\.([^)]+)\)", policy.get("presentation", ""))
        ids = {e.get("id") for e in policy.iterfind("p:elements/*", NS)}
        if not ids:
            continue
        shown = presentations.get(ref.group(1)) if ref else None
        if shown is None:
            fail(f"{policy.get('name')}: no presentation in the ADML")
            continue
        refs = {child.get("refId") for child in shown}
        if refs != ids:
            fail(f"{policy.get('name')}: presentation shows {sorted(refs)}, elements are {sorted(ids)}")
    vendor = admx.find(".//p:categories/p:category[@name='Marrowgate']/p:parentCategory", NS)
    if vendor is None or admx.find(f".//p:categories/p:category[@name='{vendor.get('ref')}']", NS) is None:
        fail("category Marrowgate is not under a vendor category")


def main():
    root = Path(sys.argv[1])
    folder = root / "installer/PolicyDefinitions"
    try:
        admx_text = (folder / "marrowgate.admx").read_text(encoding="utf-8")
        admx = ET.fromstring(admx_text)
        adml = ET.parse(folder / "en-US/marrowgate.adml").getroot()
    except (OSError, ET.ParseError) as error:
        print(f"FAIL: templates unreadable or not well-formed: {error}")
        return 1
    table = program_table(root)
    if len(table) < 10:
        fail(f"only {len(table)} rows found in the program's policy table")
    check_against_table(table, template_entries(admx))
    check_strings(admx_text, admx, adml)
    for text in failures:
        print("FAIL:", text)
    print(f"{len(table)} policies, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
