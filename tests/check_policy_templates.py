#!/usr/bin/env python3
"""The policy templates against the program's own table in settings/policy.cpp:
every value read has exactly one template entry of its kind and range and
every entry is read; both files are well-formed XML and every string and
presentation the ADMX names is in the ADML. Usage: check_policy_templates.py SOURCE_ROOT"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
KEY = r"Software\Policies\Quarnwick\Marrowgate"
failures = []


def program_table(root):
    source = "".join((root / name).read_text() for name in ("settings/policy.h", "settings/policy.cpp"))
    constants = dict(re.findall(r"constexpr\s+uint32_t\s+(\w+)\s*=\s*(\w+);", source), MAX_PATH="260")

    def number(token):
        while token in constants:
            token = constants[token]
        return int(token, 0)

    rows = re.findall(r'\{Managed::\w+,\s*L"(\w+)",\s*PolicyKind::k(\w+),\s*(\w+),\s*(\w+),', source)
    return {name: (kind.lower(), None if kind == "Text" else number(low), number(high))
            for name, kind, low, high in rows}


def entry(policy, element):
    """(value name, (kind, minimum, maximum)) that one template entry writes."""
    tag = element.tag.split("}")[1] if element is not None else "flag"
    if tag == "flag":
        on, off = (policy.find(f"p:{state}Value/p:decimal", NS) for state in ("enabled", "disabled"))
        values = [None if v is None else v.get("value") for v in (on, off)]
        return policy.get("valueName"), ("flag", 0, 1) if values == ["1", "0"] else ("flag values", *values)
    if tag == "decimal":
        return element.get("valueName"), ("number", int(element.get("minValue", 0)), int(element.get("maxValue", -1)))
    if tag == "enum":
        items = sorted(int(d.get("value")) for d in element.iterfind("p:item/p:value/p:decimal", NS))
        whole = bool(items) and items == list(range(items[0], items[-1] + 1))
        return element.get("valueName"), ("number", items[0], items[-1]) if whole else ("enum with gaps",)
    if tag == "text":
        return element.get("valueName"), ("text", None, int(element.get("maxLength", -1)))
    return element.get("valueName"), ("unknown element " + tag,)


def check(table, admx_text, admx, adml):
    strings = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", NS)}
    shown = {p.get("id"): {c.get("refId") for c in p} for p in adml.iterfind(".//p:presentationTable/*", NS)}
    written = {}
    for policy in admx.iterfind(".//p:policies/p:policy", NS):
        name = policy.get("name")
        if policy.get("key") != KEY:
            failures.append(f"{name}: key {policy.get('key')!r}")
        for ref in ("parentCategory[@ref='Marrowgate']", "supportedOn[@ref='windows:SUPPORTED_Windows_10_0']"):
            if policy.find("p:" + ref, NS) is None:
                failures.append(f"{name}: no {ref}")
        elements = list(policy.iterfind("p:elements/*", NS))
        found = ([entry(policy, None)] if policy.get("valueName") else []) + [entry(policy, e) for e in elements]
        if len(found) != 1:
            failures.append(f"{name}: writes {len(found)} registry values, not one")
        for value, kind in found:
            if value in written:
                failures.append(f"{value}: written by two template entries")
            written[value] = kind
        presentation = re.fullmatch(r"\$\(presentation\.([^)]+)\)", policy.get("presentation", ""))
        if elements and shown.get(presentation.group(1) if presentation else None) != {e.get("id") for e in elements}:
            failures.append(f"{name}: its ADML presentation does not show its elements")
    for value, kind in table.items():
        if written.get(value) != kind:
            failures.append(f"{value}: the program reads {kind}, the template writes {written.get(value)}")
    failures.extend(f"{value}: in the template, never read by the program" for value in written if value not in table)
    failures.extend(f"string {ref} is missing from the ADML"
                    for ref in sorted(set(re.findall(r"\$\(string\.([^)]+)\)", admx_text))) if ref not in strings)
    vendor = admx.find(".//p:categories/p:category[@name='Marrowgate']/p:parentCategory", NS)
    if vendor is None or admx.find(f".//p:categories/p:category[@name='{vendor.get('ref')}']", NS) is None:
        failures.append("category Marrowgate is not under a vendor category")


def main():
    root = Path(sys.argv[1])
    folder = root / "installer/PolicyDefinitions"
    cultures = sorted(path.parent.name for path in folder.glob("*/marrowgate.adml"))
    try:
        admx_text = (folder / "marrowgate.admx").read_text(encoding="utf-8")
        admx = ET.fromstring(admx_text)
        adml = {culture: ET.parse(folder / culture / "marrowgate.adml").getroot() for culture in cultures}
    except (OSError, ET.ParseError) as error:
        print(f"FAIL: templates unreadable or not well-formed: {error}")
        return 1
    table = program_table(root)
    if len(table) < 10:
        failures.append(f"only {len(table)} rows found in the program's policy table")
    if "en-US" not in adml:
        failures.append("no en-US strings")
    # Every language answers each name the ADMX asks for, as English does.
    for culture in cultures:
        before = len(failures)
        check(table, admx_text, admx, adml[culture])
        failures[before:] = [f"{culture}: {text}" for text in failures[before:]]
    for text in failures:
        print("FAIL:", text)
    print(f"{len(table)} policies in {len(cultures)} languages, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
