"""python/tarvo/__init__.py: the tarvo package, a thin Python face over the _tarvo extension."""
from _tarvo import Dummy, __version__

__all__ = ["Dummy", "__version__"]
