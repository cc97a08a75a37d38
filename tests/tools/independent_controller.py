#!/usr/bin/env python3
"""A second controller for link tests, written on its own from the request and answer layouts.

It shares no code with the program or with velmor-sim, so a misreading of a layout on one side
is not mirrored on the other. It serves UDP on a loopback address, answers every request to the
address and port it came from, keeps drive c: in a host folder and a 1 MiB memory image, and
has its own timing faults: late answers (they hold back nothing given after them), answers sent
twice with a gap, lost answers, and long answers whose length byte is 255 or the length modulo
256. Standard library only.

    independent_controller.py --disk DIR [--ip 127.0.0.2] [--port 0] [--seed N]
        [--late P] [--late-min MS] [--late-max MS] [--dup P] [--dup-gap MS] [--drop P]
        [--long-len 255|mod256] [-v]

Prints "udp: IP:PORT" on stdout when it is ready; stops on SIGTERM or SIGINT.
"""
import argparse
import fnmatch
import heapq
import os
import random
import select
import signal
import socket
import sys
import time

ERR_FILE = 2
ERR_PATH = 3
ERR_ACCESS = 5
ERR_NO_MORE = 18
LONG_MAX = 1420
LIST_BYTES = 440


def u16(b, at):
    return b[at] | b[at + 1] << 8


def u32(b, at):
    return u16(b, at) | u16(b, at + 2) << 16


def le16(v):
    return bytes((v & 255, v >> 8 & 255))


def le32(v):
    return le16(v & 0xFFFF) + le16(v >> 16 & 0xFFFF)


def short_string(b, at, limit):
    n = min(b[at], limit, len(b) - at - 1)
    return b[at + 1:at + 1 + n].decode("cp866", "replace")


def split_83(name):
    base, dot, ext = name.partition(".")
    return base, ext


def valid_83(name):
    if name in (".", ".."):
        return False
    base, ext = split_83(name)
    return 0 < len(base) <= 8 and len(ext) <= 3 and "." not in ext


def mask_matches(mask, name):
    mb, me = split_83(mask.upper())
    nb, ne = split_83(name.upper())
    return fnmatch.fnmatchcase(nb, mb or "*") and fnmatch.fnmatchcase(ne, me if "." in mask else "")


class Disk:
    """Drive c: in a host folder; DOS paths, case-blind names, a current directory."""

    def __init__(self, root):
        self.root = os.path.realpath(root)
        self.cwd = []  # host names of the folders below the root

    def host_child(self, folder, name):
        try:
            for entry in os.listdir(folder):
                if entry.upper() == name.upper() and valid_83(entry):
                    return entry
        except OSError:
            pass
        return None

    def split(self, path):
        """DOS path -> (list of parts, absolute?) or None for another drive."""
        if len(path) >= 2 and path[1] == ":":
            if path[0].upper() != "C":
                return None
            path = path[2:]
        path = path.replace("/", "\\")
        return [p for p in path.split("\\") if p], path.startswith("\\")

    def resolve(self, path, want_last=True):
        """Host folder, last DOS name (None when want_last is off) or an error code."""
        parsed = self.split(path)
        if parsed is None:
            return ERR_PATH
        parts, absolute = parsed
        folders = [] if absolute else list(self.cwd)
        last = parts.pop() if want_last and parts else None
        for part in parts:
            if part == ".":
                continue
            if part == "..":
                if folders:
                    folders.pop()
                continue
            child = self.host_child(os.path.join(self.root, *folders), part)
            if child is None or not os.path.isdir(os.path.join(self.root, *folders, child)):
                return ERR_PATH
            folders.append(child)
        return folders, last

    def entries(self, folders):
        folder = os.path.join(self.root, *folders)
        names = [".", ".."] if folders else []
        names += sorted(n for n in os.listdir(folder) if valid_83(n)
                        and not os.path.islink(os.path.join(folder, n)))
        out = []
        for n in names:
            st = os.stat(os.path.join(folder, n) if n not in (".", "..") else folder)
            is_dir = os.path.isdir(os.path.join(folder, n)) if n not in (".", "..") else True
            t = time.localtime(st.st_mtime)
            stamp = (t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec // 2) | \
                ((t.tm_year - 1980) << 9 | t.tm_mon << 5 | t.tm_mday) << 16
            out.append((n.upper(), 0x10 if is_dir else 0x20, stamp, 0 if is_dir else st.st_size))
        return out


def entry_bytes(entry, padded):
    name, attribute, stamp, size = entry
    raw = name.encode("cp866", "replace")[:12]
    tail = raw + bytes(12 - len(raw)) if padded else raw
    return bytes((attribute,)) + le32(stamp) + le32(size) + bytes((len(raw),)) + tail


class Controller:
    def __init__(self, disk, long_mod256):
        self.disk = disk
        self.long_mod256 = long_mod256
        self.memory = bytes(range(256)) * 4096
        self.search = []
        self.listing = []

    def frame(self, cmd, body):
        n = 1 + len(body)
        length = n if n <= 255 else (n % 256 if self.long_mod256 else 255)
        return bytes((length, cmd)) + body + bytes((sum(body, cmd) % 256,))

    def file_path(self, name):
        found = self.disk.resolve(name)
        if isinstance(found, int):
            return found, None
        folders, last = found
        if not last or last in (".", ".."):
            return ERR_ACCESS, None
        folder = os.path.join(self.disk.root, *folders)
        host = self.disk.host_child(folder, last)
        return 0, os.path.join(folder, host if host else last.lower())

    def read(self, name, offset, count):
        error, path = self.file_path(name)
        if error:
            return error, b""
        if not os.path.isfile(path):
            return ERR_ACCESS if os.path.isdir(path) else ERR_FILE, b""
        with open(path, "rb") as f:
            f.seek(offset)
            return 0, f.read(count)

    def start_search(self, mask):
        found = self.disk.resolve(mask)
        if isinstance(found, int):
            return found, []
        folders, last = found
        matches = [e for e in self.disk.entries(folders) if mask_matches(last or "*.*", e[0])]
        if not matches:
            return (ERR_NO_MORE if last and ("*" in last or "?" in last) else ERR_FILE), []
        return 0, matches

    def handle(self, req):
        cmd = req[1]
        if cmd == 0x80:
            count = req[6]
            linear = (u16(req, 4) << 4) + u16(req, 2)
            data = bytes(self.memory[(linear + i) & 0xFFFFF] for i in range(count))
            return self.frame(cmd, req[2:7] + data)
        if cmd == 0xA3:
            n = req[2] if len(req) > 2 else 0
            if n == 0 or len(req) < 3 + 5 * n + 1:
                return None
            data = b""
            for i in range(n):
                at = 3 + 5 * i
                linear = (u16(req, at + 2) << 4) + u16(req, at)
                data += bytes(self.memory[(linear + k) & 0xFFFFF] for k in range(req[at + 4]))
            return self.frame(cmd, data)
        if cmd == 0x94:
            if req[2] == 1:
                error, self.search = self.start_search(short_string(req, 48, 79))
            elif self.search:
                error = 0
            else:
                error = ERR_NO_MORE
            entry = bytes(22)
            if error == 0:
                entry = entry_bytes(self.search.pop(0), True)
            return self.frame(cmd, bytes(1) + le16(error) + bytes(21) + entry)
        if cmd == 0x95:
            error, data = self.read(short_string(req, 11, 12), u32(req, 2), req[10])
            return self.frame(cmd, le16(error) + bytes((len(data),)) + data)
        if cmd == 0xA4:
            want = min(u16(req, 13), LONG_MAX)
            error, data = self.read(short_string(req, 15, 12), u32(req, 5), want)
            return self.frame(cmd, bytes(3) + le16(error) + le16(len(data)) + data)
        if cmd == 0x96:
            return self.frame(cmd, le16(self.write(req)))
        if cmd == 0x97:
            found = self.disk.resolve(short_string(req, 4, 80), want_last=False)
            if isinstance(found, int):
                return self.frame(cmd, le16(found))
            self.disk.cwd = found[0]
            return self.frame(cmd, le16(0))
        if cmd == 0x98:
            error, path = self.file_path(short_string(req, 4, 12))
            if not error:
                error = 0 if os.path.isfile(path) else ERR_ACCESS if os.path.isdir(path) else ERR_FILE
            if not error:
                os.remove(path)
            return self.frame(cmd, le16(error))
        if cmd == 0xA5:
            error = 0
            if req[5] == 1:
                error, self.listing = self.start_search(short_string(req, 6, 79))
            body, count = b"", 0
            while not error and self.listing and count < 255:
                entry = entry_bytes(self.listing[0], False)
                if len(body) + len(entry) > LIST_BYTES:
                    break
                body, count = body + entry, count + 1
                self.listing.pop(0)
            if not error and not self.listing:
                error = ERR_NO_MORE
            return self.frame(cmd, bytes(2) + bytes((1,)) + le16(error) + bytes((count,)) + body)
        return None

    def write(self, req):
        name, offset, n = short_string(req, 2, 12), u32(req, 15), req[23]
        error, path = self.file_path(name)
        if error:
            return error
        if os.path.isdir(path):
            return ERR_ACCESS
        size = os.path.getsize(path) if os.path.isfile(path) else 0
        if offset > size and offset != 0:
            return ERR_ACCESS
        with open(path, "r+b" if offset and os.path.isfile(path) else "wb") as f:
            f.seek(offset)
            f.write(req[24:24 + n])
        return 0


def valid_request(data):
    if len(data) < 3 or data[0] < 1 or len(data) < data[0] + 2:
        return False
    return sum(data[1:data[0] + 1]) % 256 == data[data[0] + 1]


def main():
    p = argparse.ArgumentParser(description="independent test controller (UDP)")
    p.add_argument("--disk", required=True)
    p.add_argument("--ip", default="127.0.0.2")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--late", type=float, default=0.0, help="fraction of answers sent late")
    p.add_argument("--late-min", type=int, default=100)
    p.add_argument("--late-max", type=int, default=2000)
    p.add_argument("--dup", type=float, default=0.0, help="fraction of answers sent twice")
    p.add_argument("--dup-gap", type=int, default=30, help="the copy follows 0..MS later")
    p.add_argument("--drop", type=float, default=0.0, help="fraction of answers lost")
    p.add_argument("--long-len", choices=("255", "mod256"), default="255")
    p.add_argument("-v", action="store_true")
    a = p.parse_args()
    if not os.path.isdir(a.disk) or not 0 < a.late_min <= a.late_max:
        p.error("--disk must be a folder and 0 < --late-min <= --late-max")

    controller = Controller(Disk(a.disk), a.long_len == "mod256")
    rng = random.Random(a.seed)
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind((a.ip, a.port))
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))
    print("udp: %s:%d" % sock.getsockname(), flush=True)

    queue, order = [], 0  # (due, order, bytes, address): equal times leave in order
    while not stop:
        now = time.monotonic()
        while queue and queue[0][0] <= now:
            _, _, data, peer = heapq.heappop(queue)
            sock.sendto(data, peer)
        timeout = min(0.1, max(0.0, queue[0][0] - now)) if queue else 0.1
        try:
            ready, _, _ = select.select([sock], [], [], timeout)
        except InterruptedError:
            continue
        if not ready:
            continue
        request, peer = sock.recvfrom(2048)
        lost, late, late_ms, dup, gap_ms = (rng.random(), rng.random(),
                                            rng.randint(a.late_min, a.late_max),
                                            rng.random(), rng.randint(0, a.dup_gap))
        if not valid_request(request):
            continue
        answer = controller.handle(request[:request[0] + 2])
        note = "no answer" if answer is None else "%d bytes" % len(answer)
        if answer is not None and lost < a.drop:
            answer, note = None, "answer lost"
        if answer is not None:
            due = time.monotonic() + (late_ms / 1000 if late < a.late else 0)
            heapq.heappush(queue, (due, order, answer, peer))
            if dup < a.dup:
                heapq.heappush(queue, (due + gap_ms / 1000, order + 1, answer, peer))
            order += 2
            note += (" late %d ms" % late_ms if late < a.late else "") + (" twice" if dup < a.dup else "")
        if a.v:
            print("ic: %02X %s" % (request[1], note), file=sys.stderr, flush=True)
    sock.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
