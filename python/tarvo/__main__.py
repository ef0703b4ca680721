"""python/tarvo/__main__.py: `python -m tarvo` runs the command line."""
from tarvo.cli import main

raise SystemExit(main())
