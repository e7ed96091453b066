#!/usr/bin/python3
"""A private SMB server for the end-to-end round trip, and the client that uses it.

    smb_server.py start STATE_DIR     start smbd on 127.0.0.1 (ctest fixture set-up)
    smb_server.py stop STATE_DIR      stop it and every helper process it started (clean-up)
    smb_server.py serve STATE_DIR REQUEST
                                      one request of a test running under Wine (below)
    smb_server.py share-command add STATE_DIR ARGS...
                                      smbd's add share command

Everything lives under STATE_DIR: configuration, databases, logs, the included file of shares
and state.txt, which tells the tests whether the server runs and how to reach it. The server
listens on a free port of 127.0.0.1 chosen at start, never on 445, and no system service is
touched. Where this machine cannot run smbd, start says why in state.txt and the tests skip;
with CI=true it fails instead, as CI installs everything the round trip needs.

A request comes from a Windows program, which cannot wait for a Unix process it starts under
Wine: it writes REQUEST ("key=value" lines, UTF-8), starts `serve` and waits for REQUEST.out,
which appears complete (renamed into place). The answer holds "key=value" lines, then a line
"transcript", then what the server tools and the client printed.

  action=add     name, remark, path (Unix), max_uses, security_descriptor (hex): Samba's
                 share-adding RPC (srvsvc NetShareAdd, level 502) as root; the descriptor goes
                 through Samba's own parser. Answers status (0 or the NTSTATUS/WERROR) and the
                 server's view of the share (sharesec --view) in the transcript.
  action=owner   path (Unix): the Unix owner of a file or folder, as owner=NAME.
  action=client  name, command (one or more lines): each command in its own smbclient run as
                 the second user (not the folder's owner); answers exit.N for each command.
"""

import os
import pwd
import secrets
import shutil
import signal
import socket
import subprocess
import sys
import time

TOOLS = ("smbd", "smbclient", "smbpasswd", "sharesec", "useradd", "userdel")
SCRIPT = os.path.abspath(__file__)


def in_ci():
    return os.environ.get("CI", "").lower() == "true"


def read_fields(path):
    """The "key=value" lines of a file; a key given more than once keeps every value."""
    fields = {}
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            key, sep, value = line.partition("=")
            if sep:
                fields.setdefault(key, []).append(value)
    return fields


def first(fields, key, default=""):
    return fields.get(key, [default])[0]


def write_atomically(path, text):
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.replace(tmp, path)


def conf_path(state_dir):
    return os.path.join(state_dir, "smb.conf")


def state_path(state_dir):
    return os.path.join(state_dir, "state.txt")


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.5):
            return True
    except OSError:
        return False


def why_unavailable():
    if os.geteuid() != 0:
        return "smbd must run as root to act as the client's user, and this is not root"
    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        return "not installed: " + ", ".join(missing) + " (scripts/install-deps.sh installs them)"
    try:
        import samba.dcerpc.srvsvc  # noqa: F401
    except ImportError as e:
        return "python3-samba does not import under /usr/bin/python3: %s" % e
    return None


def traversal_blocker(path):
    """The first folder above path that an ordinary user cannot pass through, if any."""
    path = os.path.abspath(path)
    while True:
        parent = os.path.dirname(path)
        if parent == path:
            return None
        path = parent
        if not os.stat(path).st_mode & 0o001:
            return path


def server_conf(state_dir, port):
    d = lambda name: os.path.join(state_dir, name)
    share_command = "/usr/bin/python3 %s share-command %%s %s" % (SCRIPT, state_dir)
    return f"""[global]
  server role = standalone server
  workgroup = QVTEST
  netbios name = QVTESTSERVER
  interfaces = 127.0.0.1
  bind interfaces only = yes
  smb ports = {port}
  disable netbios = yes
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
  map to guest = never
  private dir = {d("private")}
  lock directory = {d("lock")}
  state directory = {d("state")}
  cache directory = {d("cache")}
  pid directory = {d("pid")}
  ncalrpc dir = {d("ncalrpc")}
  binddns dir = {d("binddns")}
  passdb backend = tdbsam:{d("private")}/passdb.tdb
  log file = {d("log")}/log.%m
  log level = 1
  add share command = {share_command % "add"}
  include = {d("shares.conf")}
"""


def set_smb_password(conf, user, password):
    subprocess.run(["smbpasswd", "-c", conf, "-s", "-a", user],
                   input="%s\n%s\n" % (password, password), text=True, check=True,
                   stdout=subprocess.DEVNULL)


def start(state_dir):
    stop(state_dir, quiet=True)
    # Share descriptors and accounts of an earlier run must not carry over.
    shutil.rmtree(state_dir, ignore_errors=True)
    os.makedirs(state_dir)
    reason = why_unavailable()
    if reason is None:
        blocker = traversal_blocker(state_dir)
        if blocker:
            reason = ("%s is closed to other users, so the client's user cannot reach the Wine "
                      "prefix below it" % blocker)
    if reason:
        write_atomically(state_path(state_dir), "available=0\nreason=%s\n" % reason)
        print("the SMB round trip cannot run here: " + reason)
        return 1 if in_ci() else 0

    for name in ("private", "lock", "state", "cache", "pid", "ncalrpc", "binddns", "log"):
        os.makedirs(os.path.join(state_dir, name), exist_ok=True)
    with open(os.path.join(state_dir, "shares.conf"), "w"):
        pass
    port = free_port()
    conf = conf_path(state_dir)
    with open(conf, "w") as f:
        f.write(server_conf(state_dir, port))

    # A user of the test's own, named afresh so that runs beside each other do not meet.
    user = "qvsmb" + secrets.token_hex(4)
    password = "Qv-" + secrets.token_hex(8)
    root_password = "Qv-" + secrets.token_hex(8)
    subprocess.run(["useradd", "-M", "-s", "/usr/sbin/nologin", user], check=True)
    state = {"available": "1", "port": str(port), "conf": conf, "user": user,
             "password": password, "root_password": root_password, "made_user": "1"}
    # Written before anything can fail, so that stop finds the user and the server.
    write_atomically(state_path(state_dir), "".join("%s=%s\n" % kv for kv in state.items()))
    set_smb_password(conf, "root", root_password)
    set_smb_password(conf, user, password)

    subprocess.run(["smbd", "-s", conf, "-D"], check=True)
    deadline = time.monotonic() + 20
    while not listening(port):
        if time.monotonic() > deadline:
            print("smbd did not listen on 127.0.0.1:%d; its log is in %s/log" % (port, state_dir))
            stop(state_dir)
            return 1
        time.sleep(0.05)
    print("smbd listens on 127.0.0.1:%d (processes %s), client user %s" %
          (port, " ".join(map(str, server_processes(conf))), user))
    return 0


def server_processes(conf):
    """smbd, its children, samba-dcerpcd and the rpcd_* workers: every process started with our
    configuration on its command line."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                args = f.read().decode("utf-8", "replace").split("\0")
        except OSError:
            continue
        if any(a == conf or a.endswith("=" + conf) for a in args):
            pids.append(int(entry))
    return sorted(pids)


def stop(state_dir, quiet=False):
    path = state_path(state_dir)
    if not os.path.exists(path):
        return 0
    state = {k: v[0] for k, v in read_fields(path).items()}
    conf = state.get("conf")
    survivors = []
    if conf:
        pids = server_processes(conf)
        for pid in pids:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 10
        while server_processes(conf) and time.monotonic() < deadline:
            time.sleep(0.05)
        for pid in server_processes(conf):
            os.kill(pid, signal.SIGKILL)
        time.sleep(0.1)
        survivors = server_processes(conf)
        if not quiet:
            print("stopped %s" % (" ".join(map(str, pids)) or "nothing (no server was running)"))
    user = state.get("user")
    if state.get("made_user") == "1" and user:
        try:
            pwd.getpwnam(user)
            subprocess.run(["userdel", user], check=False)
        except KeyError:
            pass
    os.remove(path)
    if survivors:
        print("still running: %s" % " ".join(map(str, survivors)))
        return 1
    return 0


def share_command(action, state_dir, args):
    """smbd's add share command: the shares live in one included file. The server's share-adding
    RPC does not see a share added earlier (it keeps the configuration it started with), so a name
    added again replaces its section here; the tests give every share a name of its own."""
    shares = os.path.join(state_dir, "shares.conf")
    with open(shares, encoding="utf-8") as f:
        sections = f.read().split("\n[")
    name = args[1]
    kept = [s for s in sections if s.strip() and
            s.lstrip("[").split("]", 1)[0].lower() != name.lower()]
    if action == "add":
        _, _, path, comment, max_connections = args[:5]
        section = "%s]\n  path = %s\n  comment = %s\n  read only = no\n" % (name, path, comment)
        if max_connections.lstrip("-").isdigit() and int(max_connections) > 0:
            section += "  max connections = %s\n" % max_connections
        kept.append(section)
    text = "\n[".join(kept)
    if text and not text.startswith("["):
        text = "[" + text
    write_atomically(shares, text)
    return 0


def rpc(state):
    from samba import credentials, param
    from samba.dcerpc import srvsvc
    lp = param.LoadParm()
    lp.load(state["conf"])
    lp.set("smb ports", state["port"])
    creds = credentials.Credentials()
    creds.guess(lp)
    creds.set_username("root")
    creds.set_password(state["root_password"])
    return srvsvc.srvsvc("ncacn_np:127.0.0.1", lp, creds), srvsvc


def share_view(state, name):
    out = subprocess.run(["sharesec", "-s", state["conf"], name, "--view"],
                         capture_output=True, text=True)
    return "$ sharesec %s --view\n%s%s" % (name, out.stdout, out.stderr)


def status_of(error):
    """The NTSTATUS/WERROR code of a failed RPC call (samba raises it as args[0])."""
    code = error.args[0] if error.args else None
    return "0x%08x" % (code & 0xFFFFFFFF) if isinstance(code, int) else repr(error)


def add_share(state, req):
    from samba import ndr
    from samba.dcerpc import security
    blocker = traversal_blocker(first(req, "path"))
    if blocker:
        return {"error": "%s is closed to the client's user" % blocker}, ""
    conn, srvsvc = rpc(state)
    info = srvsvc.NetShareInfo502()
    info.name = first(req, "name")
    info.comment = first(req, "remark")
    info.path = first(req, "path")
    info.type = 0
    info.permissions = 0
    info.max_users = int(first(req, "max_uses", "-1")) & 0xFFFFFFFF
    info.current_users = 0
    info.password = None
    buf = security.sec_desc_buf()
    buf.sd = ndr.ndr_unpack(security.descriptor, bytes.fromhex(first(req, "security_descriptor")))
    info.sd_buf = buf
    try:
        conn.NetShareAdd(None, 502, info, None)
    except Exception as e:  # the server's refusal is the answer, not a fault of this helper
        return {"status": status_of(e)}, "NetShareAdd: %s\n" % (e,)
    return {"status": "0"}, share_view(state, info.name)


def owner(req):
    return {"owner": pwd.getpwuid(os.stat(first(req, "path")).st_uid).pw_name}, ""


def run_client(state, req):
    service = "//127.0.0.1/" + first(req, "name")
    answer, transcript = {}, ""
    for i, command in enumerate(req.get("command", [])):
        out = subprocess.run(
            ["smbclient", service, "-p", state["port"], "-U",
             "%s%%%s" % (state["user"], state["password"]), "-c", command],
            capture_output=True, text=True, env=dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8"))
        answer["exit.%d" % i] = str(out.returncode)
        transcript += "smb: \\> %s\n%s%s" % (command, out.stdout, out.stderr)
    answer["user"] = state["user"]
    return answer, transcript


def serve(state_dir, request):
    answer, transcript = {}, ""
    try:
        state = {k: v[0] for k, v in read_fields(state_path(state_dir)).items()}
        req = read_fields(request)
        action = first(req, "action")
        if state.get("available") != "1":
            answer = {"error": "no server: " + state.get("reason", "not started")}
        elif action == "add":
            answer, transcript = add_share(state, req)
        elif action == "owner":
            answer, transcript = owner(req)
        elif action == "client":
            answer, transcript = run_client(state, req)
        else:
            answer = {"error": "unknown action " + action}
    except Exception as e:  # reported to the waiting test rather than lost with this process
        answer = {"error": "%s: %s" % (type(e).__name__, e)}
    text = "".join("%s=%s\n" % (k, str(v).replace("\n", " ")) for k, v in answer.items())
    write_atomically(request + ".out", text + "transcript\n" + transcript)
    return 0


def main(argv):
    if len(argv) >= 3 and argv[1] == "start":
        try:
            return start(os.path.abspath(argv[2]))
        except Exception:
            stop(os.path.abspath(argv[2]))  # nothing half-started outlives a failed start
            raise
    if len(argv) >= 3 and argv[1] == "stop":
        return stop(os.path.abspath(argv[2]))
    if len(argv) >= 4 and argv[1] == "serve":
        return serve(os.path.abspath(argv[2]), argv[3])
    if len(argv) >= 4 and argv[1] == "share-command":
        return share_command(argv[2], argv[3], argv[4:])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
