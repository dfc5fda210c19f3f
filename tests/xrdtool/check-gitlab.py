#!/usr/bin/python3
"""Reads JUnit files the way GitLab does and checks that every skipped and
failed testcase shows a text.

GitLab reads the file with ActiveSupport's Hash.from_xml and shows the value
of a testcase's <failure> or <skipped> as the result's text. There, an element
with attributes and non-blank text becomes its text; attributes alone become a
map (shown as {"message"=>...}), or nothing when "type" is the only one; an
element with neither is nothing.

usage: check-gitlab.py FILE...    prints each problem, exits 1 on any
"""
import sys
import xml.etree.ElementTree as ET


def from_xml(element):
    """The value Hash.from_xml gives a leaf element."""
    text = element.text or ""
    if text.strip():
        return text
    if not element.attrib or list(element.attrib) == ["type"]:
        return None
    return dict(element.attrib)


def main():
    problems = []
    for path in sys.argv[1:]:
        for case in ET.parse(path).getroot().iter("testcase"):
            for kind in ("failure", "skipped"):
                element = case.find(kind)
                if element is None:
                    continue
                value = from_xml(element)
                if not isinstance(value, str):
                    problems.append(f"{path}: {case.get('classname')} {case.get('name')}: {kind} shows {value!r}")
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
