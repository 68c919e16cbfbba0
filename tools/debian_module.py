# -*- coding: utf-8 -*-
"""Imports a Python module from its Debian package, even when python3 on PATH is another interpreter."""

import importlib
import os
import subprocess
import sys


def import_debian_module(module, package, script):
    """The module; exits with status 3 naming `package` when it is not installed."""
    try:
        return importlib.import_module(module)
    except ImportError:
        pass
    try:
        out = subprocess.run(['dpkg', '-L', package], capture_output=True, text=True, check=False).stdout
    except OSError:
        out = ''
    for line in out.splitlines():
        if line.endswith(os.sep + module + os.sep + '__init__.py'):
            sys.path.append(os.path.dirname(os.path.dirname(line)))
            break
    try:
        return importlib.import_module(module)
    except ImportError:
        sys.stderr.write('%s: the Python module %s is missing; install the Debian package %s\n'
                         % (script, module, package))
        sys.exit(3)
