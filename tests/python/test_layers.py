"""tests/python/test_layers.py: the package's modules depend one way, and only on each other's public names."""
import ast
from pathlib import Path

import tarvo

PACKAGE = Path(tarvo.__file__).parent
# The outputs see a Dataset only through the interface it declares for them (tarvo._source).
OUTPUTS = ("_database", "_parquet", "_postgres", "_schema_database", "_sqlite")


def imports(module):
    """(module imported from, names) for every import in the module, TYPE_CHECKING ones too."""
    tree = ast.parse((PACKAGE / f"{module}.py").read_text())
    for node in ast.walk(tree):
        if isinstance(node, ast.ImportFrom):
            yield node.module or "", [alias.name for alias in node.names]
        elif isinstance(node, ast.Import):
            for alias in node.names:
                yield alias.name, []


def test_outputs_do_not_import_the_dataset_and_no_module_takes_private_names():
    for module in OUTPUTS:
        sources = {source for source, _ in imports(module)}
        assert "tarvo._dataset" not in sources and "tarvo" not in sources, module
    for path in PACKAGE.glob("*.py"):
        tree = ast.parse(path.read_text())
        for source, names in imports(path.stem):
            private = [n for n in names if n.startswith("_") and not n.startswith("__")]
            # Private modules of the package itself may be imported; not private names in them.
            assert source == "tarvo" or not private, (path.name, source, private)
            assert source != "_tarvo" or path.stem in ("__init__", "_native"), path.name
        for node in ast.walk(tree):
            if isinstance(node, ast.Attribute) and node.attr.startswith("_") \
                    and not node.attr.startswith("__"):
                owner = node.value
                assert isinstance(owner, ast.Name) and owner.id in ("self", "cls", "other") \
                    or isinstance(owner, ast.Name) and owner.id in ("sys", "os", "tarvo"), \
                    (path.name, ast.unparse(node))
