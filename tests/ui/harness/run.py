"""Runs the window test modules in one process, so that they share one display and one
template prefix, and ends with the line "window tests: N passed, M failed".

    python3 -m tests.ui.harness.run [MODULE ...]     (default: every test_*.py here)

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


def module_names(arguments):
    if arguments:
        return [name if "." in name else "tests.ui.harness." + name for name in arguments]
    here = os.path.dirname(os.path.abspath(__file__))
    return ["tests.ui.harness." + os.path.basename(path)[:-3]
            for path in sorted(glob.glob(os.path.join(here, "test_*.py")))]


def main():
    started = time.monotonic()
    suite = unittest.TestSuite()
    loader = unittest.TestLoader()
    for name in module_names(sys.argv[1:]):
        suite.addTests(loader.loadTestsFromModule(importlib.import_module(name)))
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
