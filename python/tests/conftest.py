"""What the module's tests share: the tool vandrel-cli, run as a user would, to compare with."""

import os
import subprocess

import pytest


@pytest.fixture(scope="session")
def cli():
    """Runs vandrel-cli with the arguments; returns (exit code, stdout, stderr)."""
    path = os.environ.get("VANDREL_CLI")
    if not path or not os.access(path, os.X_OK):
        pytest.skip("VANDREL_CLI does not name the built tool (run through ctest)")

    def run(*args, cwd=None):
        done = subprocess.run([path, *map(str, args)], capture_output=True, text=True, cwd=cwd,
                              timeout=300)
        return done.returncode, done.stdout, done.stderr

    return run


def tool_error(stderr, command):
    """The tool's message without its 'vandrel-cli COMMAND: ' prefix."""
    prefix = f"vandrel-cli {command}: "
    line = stderr.strip().splitlines()[-1]
    assert line.startswith(prefix), stderr
    return line[len(prefix):]
