"""Waiting for the window under Wine, and saying at once what a wait that ran out saw.

Wine, Xvfb and the program each answer in their own time, so the window tests poll. A poll
that gives up must fail right there, naming what it waited for and the last thing it saw (the
window list, the probe's last answer): a None handed on fails later, at a step that has nothing
to do with the cause.
"""

import os
import time

TIMEOUT = float(os.environ.get("KX_UI_TIMEOUT", "60"))


class HarnessError(RuntimeError):
    """The harness itself could not be set up or drive the display: no Xvfb, no Wine, no
    build, a command of X that failed."""


class WaitTimeout(TimeoutError):
    """A wait ran out: what it waited for, how long, and what it saw last."""

    def __init__(self, what, seconds, seen):
        self.what = what
        self.seen = seen
        text = "timed out after %.0f s waiting for %s" % (seconds, what)
        super().__init__(text + ("; saw: %s" % seen if seen else ""))


def log(text):
    print(text, flush=True)


def wait_until(what, poll, timeout=None, interval=0.3, seen=None):
    """Calls poll until it returns something true and returns that.

    When the time runs out, raises WaitTimeout naming what and what was seen: seen() if given
    (called then, so that it describes the end of the wait), else poll's last answer when that
    says more than nothing.
    """
    seconds = TIMEOUT if timeout is None else timeout
    deadline = time.monotonic() + seconds
    while True:
        last = poll()
        if last:
            return last
        if time.monotonic() >= deadline:
            described = seen() if seen is not None else (repr(last) if last not in (None, False)
                                                          else "")
            raise WaitTimeout(what, seconds, described)
        time.sleep(interval)
