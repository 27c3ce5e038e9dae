"""Runs the window test modules in one process, so that they share one display and one
template prefix, and ends with the line "window tests: N passed, M failed".

    python3 -m tests.ui.harness.run [--reverse] [NAME ...]   (default: every test_*.py here)

A NAME is a module (test_tags), one of its classes (test_tags.TagBar) or one test of a class
(test_tags.TagBar.test_tags_before_a_search); a class runs its tests in the order written.
Every test sets up what it checks, so any of them passes alone, and --reverse runs the tests
picked in the opposite order (classes and the tests within each), which shows that none
leans on one before it.

N and M count checks, as each module's self.check calls them; an error outside a check (a
window that never came, a crash of the harness) counts as one more failure. Exit code 0 when
nothing failed.
"""

import glob
import importlib
import os
import sys
import time
import unittest

from tests.ui.harness import driver

PACKAGE = "tests.ui.harness"


def module_names():
    here = os.path.dirname(os.path.abspath(__file__))
    return [PACKAGE + "." + os.path.basename(path)[:-3]
            for path in sorted(glob.glob(os.path.join(here, "test_*.py")))]


def load(name, loader):
    """The tests a NAME picks: a module's, a class's or one test."""
    if not name.startswith(PACKAGE + "."):
        name = PACKAGE + "." + name
    module_name, _, rest = name[len(PACKAGE) + 1:].partition(".")
    module = importlib.import_module(PACKAGE + "." + module_name)
    if not rest:
        return loader.loadTestsFromModule(module)
    class_name, _, test_name = rest.partition(".")
    cls = getattr(module, class_name, None)
    if not (isinstance(cls, type) and issubclass(cls, unittest.TestCase)):
        raise SystemExit("window tests: %s has no test class %s" % (module.__name__, class_name))
    names = driver.tests_in_order(cls)
    if test_name:
        if test_name not in names:
            raise SystemExit("window tests: %s.%s has no test %s" % (
                module.__name__, class_name, test_name))
        names = [test_name]
    return unittest.TestSuite(cls(test) for test in names)


def main():
    started = time.monotonic()
    arguments = sys.argv[1:]
    reverse = "--reverse" in arguments
    names = [name for name in arguments if name != "--reverse"]
    suite = unittest.TestSuite()
    loader = unittest.TestLoader()
    for name in names or module_names():
        suite.addTests(load(name, loader))
    if reverse:
        suite = unittest.TestSuite(reversed(list(driver.flatten(suite))))
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=1).run(suite)
    # Errors are exceptions outside the checks; a failure is already a counted check, except
    # when it came from an assert of the test's own.
    outside = len(result.errors) + len(result.unexpectedSuccesses)
    failed = driver.Results.failed + outside
    print("window tests took %.0f s" % (time.monotonic() - started))
    print("window tests: %d passed, %d failed" % (driver.Results.passed, failed), flush=True)
    return 0 if failed == 0 and result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
