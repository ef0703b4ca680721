"""tools/generated_document.py: the write-or-check entry point shared by the document generators."""

from __future__ import annotations

import argparse
from pathlib import Path
from typing import Callable


def write_or_check(output: Path, build: Callable[[], str], description: str) -> int:
    """Writes build() to output, or with --check exits 1 when output differs from it."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return check_or_write(output, build(), args.check)


def check_or_write(output: Path, text: str, check: bool) -> int:
    """Writes text to output; with check, 1 (and a line saying so) when output differs."""
    if check:
        current = output.read_text(encoding="utf-8") if output.exists() else ""
        if current != text:
            print(f"{output.name} is out of date; run the generator that writes it")
            return 1
        return 0
    output.write_text(text, encoding="utf-8")
    return 0
