"""tests/python/postgres_server.py: a throwaway PostgreSQL server from the Debian package, for tests and benchmarks."""
from __future__ import annotations

import contextlib
import glob
import os
import pwd
import secrets
import shutil
import socket
import subprocess
import tempfile
from collections.abc import Iterator
from dataclasses import dataclass
from typing import Any

# The server refuses to run as root; a root test run starts it as this system user, which the
# Debian package creates.
SYSTEM_USER = "postgres"
USER = "tarvo"


@dataclass(frozen=True)
class Server:
    host: str
    port: int
    user: str
    password: str
    dbname: str

    def url(self, *, password: str | None = None, dbname: str | None = None) -> str:
        secret = self.password if password is None else password
        return (f"postgresql://{self.user}:{secret}@{self.host}:{self.port}/"
                f"{self.dbname if dbname is None else dbname}")


def binaries() -> str | None:
    """The bin directory of the newest installed server that has initdb and pg_ctl, if any."""
    found = [d for d in glob.glob("/usr/lib/postgresql/*/bin")
             if os.path.exists(os.path.join(d, "initdb")) and os.path.exists(os.path.join(d, "pg_ctl"))]
    return max(found, key=lambda d: int(d.split("/")[-2]), default=None)


def _free_port() -> int:
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return int(probe.getsockname()[1])


def _run_as(owner: Any) -> dict[str, Any]:
    # Without the sanitizer runtime a sanitized test run preloads: the server is not ours to check.
    env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    if owner is None:
        return {"env": env}
    return {"env": env, "user": owner.pw_uid, "group": owner.pw_gid, "extra_groups": []}


@contextlib.contextmanager
def running_server(*, durable: bool = False) -> Iterator[Server]:
    """Starts a server in a new temporary directory on a free port of 127.0.0.1, and stops it
    and removes the directory afterwards. Password (scram) authentication over TCP, as a real
    server would ask; `durable=False` turns fsync off, which only a crash would notice."""
    bindir = binaries()
    if bindir is None:
        raise FileNotFoundError("no PostgreSQL server: apt-get install postgresql")
    owner = pwd.getpwnam(SYSTEM_USER) if os.geteuid() == 0 else None
    as_owner = _run_as(owner)
    root = tempfile.mkdtemp(prefix="tarvo-pg-")
    data = os.path.join(root, "data")
    password = secrets.token_hex(12)
    try:
        if owner is not None:
            os.chown(root, owner.pw_uid, owner.pw_gid)
        with open(os.path.join(root, "password"), "w") as file:
            file.write(password)
        if owner is not None:
            os.chown(file.name, owner.pw_uid, owner.pw_gid)
        subprocess.run([os.path.join(bindir, "initdb"), "-D", data, "-U", USER, "-E", "UTF8",
                        "--locale=C", "--no-sync", "--auth-local=trust",
                        "--auth-host=scram-sha-256", f"--pwfile={file.name}"],
                       check=True, capture_output=True, **as_owner)
        port = _free_port()
        options = f"-c listen_addresses=127.0.0.1 -p {port} -k {root}"
        if not durable:
            options += " -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
        subprocess.run([os.path.join(bindir, "pg_ctl"), "-D", data, "-l",
                        os.path.join(root, "log"), "-w", "-t", "60", "-o", options, "start"],
                       check=True, capture_output=True, **as_owner)
        try:
            yield Server("127.0.0.1", port, USER, password, "postgres")
        finally:
            subprocess.run([os.path.join(bindir, "pg_ctl"), "-D", data, "-m", "fast", "-w",
                            "stop"], check=False, capture_output=True, **as_owner)
    finally:
        shutil.rmtree(root, ignore_errors=True)
