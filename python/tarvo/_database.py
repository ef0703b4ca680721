"""python/tarvo/_database.py: database URLs, told without their password, the checks of a load's names, and its errors."""
from __future__ import annotations

import re
import urllib.parse
from dataclasses import dataclass, field

from tarvo._checks import shown

IF_EXISTS = ("fail", "replace", "append")
SCHEMES = {"postgresql": "postgresql", "postgres": "postgresql", "sqlite": "sqlite"}
_URL = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*://")
_USAGE = "postgresql://[user[:password]@][host][:port]/dbname or sqlite:///path.db"


class DatabaseError(Exception):
    """A database refused the rows, or could not be reached; the message is one line and never
    holds the URL's password. Whatever was loaded is rolled back."""


class TableExistsError(DatabaseError):
    """The table is there already and if_exists is "fail"."""

    def __init__(self, table: str) -> None:
        super().__init__(f"table {shown(table)} already exists")
        self.table = table


@dataclass(frozen=True)
class DatabaseUrl:
    """A parsed URL: `shown` is the URL with its password replaced by ***, for messages."""

    dialect: str
    shown: str
    path: str = ""                                       # sqlite: the file
    params: dict[str, str] = field(default_factory=dict, repr=False)  # postgresql: libpq's
    passwords: tuple[str, ...] = field(default=(), repr=False)

    def scrub(self, message: str) -> str:
        """A driver's `message` on one line, with the password (as given, and percent-encoded)
        starred out wherever it stands as a word of its own: a password that is a common
        fragment ("e", "tion") must not mangle the words around it."""
        text = " ".join(message.split())
        for password in self.passwords:
            for secret in {password, urllib.parse.quote(password, safe="")}:
                if secret:
                    text = re.sub(rf"(?<![A-Za-z0-9]){re.escape(secret)}(?![A-Za-z0-9])",
                                  "***", text)
        return text

    def error(self, exc: BaseException) -> DatabaseError:
        return DatabaseError(f"{self.shown}: {self.scrub(str(exc))}")


def looks_like_url(text: str) -> bool:
    """Whether a destination names a database (scheme://...) rather than a file."""
    return bool(_URL.match(text))


def parse_url(url: str) -> DatabaseUrl:
    """Reads a postgresql:// or sqlite:/// URL; ValueError, without the password, if it is not
    one."""
    if not isinstance(url, str):
        raise TypeError(f"url must be str, not {type(url).__name__}")
    if "\0" in urllib.parse.unquote(url):
        # libpq reads its settings as C strings: a NUL ends one early and silently drops the
        # rest (dbname, user, host), so the rows would go where the environment points.
        raise ValueError("a database URL must not hold a NUL character (\\0 or %00)")
    if not looks_like_url(url):
        # Not echoed: whatever it is, it may hold a password.
        raise ValueError(f"not a database URL (expected {_USAGE})")
    parts = urllib.parse.urlsplit(url)
    netloc = parts.netloc
    if ":" in netloc and "@" not in netloc and "@" in url[url.index("://") + 3:]:
        # An '@' past where the host should end: most likely a password with a '/', '?' or '#'
        # that was not percent-encoded. The URL cannot be told apart safely, so it is not shown.
        raise ValueError("cannot read the URL: a '/', '?', '#' or '@' in its user name or "
                         "password must be percent-encoded (%2F, %3F, %23, %40); the URL is not "
                         "shown, as it may hold the password")
    query = urllib.parse.parse_qsl(parts.query, keep_blank_values=True)
    # libpq takes a password from the user part or from ?password=; either is kept out of sight.
    passwords = tuple(p for p in [urllib.parse.unquote(parts.password or "")]
                      + [v for k, v in query if k == "password"] if p)
    shown = _without_password(url, parts, query)
    dialect = SCHEMES.get(parts.scheme.lower())
    if dialect is None:
        raise ValueError(f"not a database URL: {shown!r} (expected {_USAGE})")
    if parts.fragment:
        raise ValueError(f"{shown}: a database URL has no #fragment")
    if dialect == "sqlite":
        return DatabaseUrl("sqlite", shown, path=_sqlite_path(parts, shown))
    return DatabaseUrl("postgresql", shown, params=_libpq_params(parts, query, shown),
                       passwords=passwords)


def _without_password(url: str, parts: urllib.parse.SplitResult,
                      query: list[tuple[str, str]]) -> str:
    # Rebuilt from the text as given, by position: geturl() would also tidy away sqlite:////'s
    # slashes, and replacing the password's text wherever it occurs would also hit the scheme
    # or the host when the password is short.
    if any(key == "password" for key, _ in query):
        shown_query = "&".join(f"{k}=***" if k == "password" else urllib.parse.urlencode([(k, v)])
                               for k, v in query)
        url = url.partition("?")[0] + "?" + shown_query
    if parts.password is None:
        return url
    scheme_end = url.index("://") + 3
    credentials, _, host = parts.netloc.rpartition("@")  # as urlsplit reads it: the last @
    after = url[scheme_end + len(parts.netloc):]
    return f"{url[:scheme_end]}{credentials.partition(':')[0]}:***@{host}{after}"


def _sqlite_path(parts: urllib.parse.SplitResult, shown: str) -> str:
    # As SQLAlchemy spells them: sqlite:///people.db is relative, sqlite:////tmp/people.db not.
    if parts.netloc:
        raise ValueError(f"{shown}: a SQLite URL has three slashes and a path, as in "
                         f"sqlite:///people.db")
    if parts.query:
        raise ValueError(f"{shown}: a SQLite URL takes no ?parameters")
    path = urllib.parse.unquote(parts.path[1:] if parts.path.startswith("/") else parts.path)
    if not path:
        raise ValueError(f"{shown}: no file name: sqlite:///people.db")
    if path == ":memory:":
        raise ValueError(f"{shown}: an in-memory database ends with the load that fills it: "
                         f"name a file")
    return path


def _libpq_params(parts: urllib.parse.SplitResult, query: list[tuple[str, str]],
                  shown: str) -> dict[str, str]:
    # The URL is taken apart here and libpq given keywords, so that no parser of libpq's ever
    # quotes the URL, password and all, in a message.
    try:
        port = parts.port
    except ValueError:
        raise ValueError(f"{shown}: the port must be a number from 0 to 65535") from None
    params = dict(query)
    dbname = urllib.parse.unquote(parts.path.lstrip("/"))
    if not dbname and "dbname" not in params:
        raise ValueError(f"{shown}: no database name: postgresql://host/dbname")
    for key, value in (("host", parts.hostname), ("port", port), ("dbname", dbname),
                       ("user", urllib.parse.unquote(parts.username or "")),
                       ("password", urllib.parse.unquote(parts.password or ""))):
        if value:
            params[key] = str(value)
    return params


def check_table(table: object) -> str:
    if not isinstance(table, str):
        raise TypeError(f"table must be str, not {type(table).__name__}")
    if not table or "\0" in table:
        raise ValueError(f"table must be a non-empty name without NUL, not {shown(table)}")
    return table


_MAX_NAME_BYTES = {"postgresql": 63}  # PostgreSQL cuts longer names short, silently


def check_name(dialect: str, name: str, what: str) -> None:
    """A table or column name (`what`) that the database keeps as given, or ValueError."""
    if "\0" in name:
        # A NUL would end the name early.
        raise ValueError(f"{what} {shown(name)}: a database name must not hold NUL")
    try:
        size = len(name.encode())
    except UnicodeEncodeError:  # a command line's undecodable bytes, as surrogates
        raise ValueError(f"{what} {shown(name)}: not valid UTF-8") from None
    limit = _MAX_NAME_BYTES.get(dialect)
    if limit is not None and size > limit:
        raise ValueError(f"{what} {shown(name)}: PostgreSQL names are at most {limit} bytes")


def check_if_exists(if_exists: object) -> str:
    if if_exists not in IF_EXISTS:
        raise ValueError(f"if_exists must be one of {', '.join(map(repr, IF_EXISTS))}, "
                         f"not {if_exists!r}")
    return str(if_exists)
