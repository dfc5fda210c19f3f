#!/usr/bin/python3
"""Reads JUnit files with junitparser, as CI tools do, and checks their totals.

Run with Debian's /usr/bin/python3, where python3-junitparser is installed.

usage: check-junit.py PASSED INCONCLUSIVE FAILED FILE...

Each suite's tests/failures/skipped/errors attributes must equal its testcases,
and the sums over all files must equal the given totals (failed = failures,
inconclusive = skipped, passed = the rest; errors are always 0).
"""
import sys

from junitparser import Failure, JUnitXml, Skipped


def main():
    passed, inconclusive, failed = (int(v) for v in sys.argv[1:4])
    tests = failures = skipped = 0
    problems = []
    for path in sys.argv[4:]:
        xml = JUnitXml.fromfile(path)
        suites = [xml] if xml._tag == "testsuite" else list(xml)
        for suite in suites:
            cases = list(suite)
            case_failures = sum(1 for c in cases if any(isinstance(r, Failure) for r in c.result))
            case_skipped = sum(1 for c in cases if any(isinstance(r, Skipped) for r in c.result))
            both = sum(1 for c in cases if len(c.result) > 1)
            if both:
                problems.append(f"{path}: suite {suite.name}: {both} testcases with more than one result")
            if (suite.tests, suite.failures, suite.skipped, suite.errors) != (len(cases), case_failures, case_skipped, 0):
                problems.append(f"{path}: suite {suite.name}: attributes {suite.tests}/{suite.failures}/"
                                f"{suite.skipped}/{suite.errors}, testcases {len(cases)}/{case_failures}/{case_skipped}/0")
            tests += len(cases)
            failures += case_failures
            skipped += case_skipped
    want = (passed + inconclusive + failed, failed, inconclusive)
    if (tests, failures, skipped) != want:
        problems.append(f"totals: {tests} tests, {failures} failures, {skipped} skipped; expected "
                        f"{want[0]} tests, {want[1]} failures, {want[2]} skipped")
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
