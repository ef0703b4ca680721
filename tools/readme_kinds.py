"""tools/readme_kinds.py: writes the README's table of column kinds from the engine's registry.

Usage: python tools/readme_kinds.py [--check]. With --check, exits 1 when the README is stale.
"""
import pathlib
import sys

from tarvo._kinds import kinds_markdown

README = pathlib.Path(__file__).resolve().parent.parent / "README.md"
BEGIN, END = "<!-- kinds:begin -->\n", "<!-- kinds:end -->"


def updated(text: str) -> str:
    head, rest = text.split(BEGIN, 1)
    _, tail = rest.split(END, 1)
    return head + BEGIN + kinds_markdown() + END + tail


def main() -> int:
    text = README.read_text(encoding="utf-8")
    new = updated(text)
    if "--check" in sys.argv:
        return 0 if new == text else 1
    README.write_text(new, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
