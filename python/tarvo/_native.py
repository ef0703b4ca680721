"""python/tarvo/_native.py: loads tarvo._engine, which lives in the same shared object as _tarvo."""
from __future__ import annotations

import importlib.machinery
import importlib.util
import sys
from types import ModuleType

import _tarvo

_NAME = "tarvo._engine"


def load_engine() -> ModuleType:
    # One binary holds both modules, so the compiled-in data is in the wheel once. An extension
    # loader given that file and this name calls PyInit__engine in it.
    if _NAME in sys.modules:
        return sys.modules[_NAME]
    loader = importlib.machinery.ExtensionFileLoader(_NAME, _tarvo.__file__)
    spec = importlib.util.spec_from_file_location(_NAME, _tarvo.__file__, loader=loader)
    assert spec is not None
    module = importlib.util.module_from_spec(spec)
    sys.modules[_NAME] = module
    try:
        loader.exec_module(module)
    except BaseException:
        del sys.modules[_NAME]
        raise
    return module
