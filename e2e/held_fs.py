"""A file system whose answers wait while a hold file exists: a drive that stops answering.

python3 held_fs.py MOUNT HOLD  mounts an empty root at MOUNT (FUSE, in the foreground) until
unmounted. While HOLD exists every question of a program's (statfs, opendir, getattr) waits for it
to be gone, as a disk that spins up or a file server that went away keeps its callers; what only
Wine asks is answered (Held.spared). Each held question is logged with the asking process.
"""
import errno
import os
import stat
import sys
import time

from fusepy import FUSE, FuseOSError, Operations, fuse_get_context


class Held(Operations):
    def __init__(self, hold):
        self.hold = hold
        self.started = time.time()

    def __call__(self, op, *args):
        if os.path.exists(self.hold) and not self.spared(op, args):
            # Who waits, for the log: a question of Wine's own server holds every program up.
            print(f"held: {op} {args[:1]} from process {fuse_get_context()[2]}", file=sys.stderr, flush=True)
            while os.path.exists(self.hold):
                time.sleep(0.05)
        return super().__call__(op, *args)

    @staticmethod
    def spared(op, args):
        """What Wine alone asks: the root's attributes, which every Wine program reads of every
        drive to start or to name a folder, and whatever Wine's server asks (it opens each file
        for the program, and while it waits every program waits). On Windows only the thread
        that asks waits for the drive."""
        if (op, args[:1]) == ("getattr", ("/",)):
            return True
        try:
            with open(f"/proc/{fuse_get_context()[2]}/comm") as comm:
                return comm.read().startswith("wineserver")
        except OSError:
            return False

    def getattr(self, path, fh=None):
        if path != "/":
            raise FuseOSError(errno.ENOENT)
        return dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2, st_uid=os.getuid(), st_gid=os.getgid(),
                    st_atime=self.started, st_mtime=self.started, st_ctime=self.started)

    def readdir(self, path, fh):
        return [".", ".."]

    def statfs(self, path):
        return dict(f_bsize=4096, f_frsize=4096, f_blocks=262144, f_bfree=131072, f_bavail=131072,
                    f_files=1000, f_ffree=990, f_namemax=255)


if __name__ == "__main__":
    FUSE(Held(sys.argv[2]), sys.argv[1], foreground=True, nothreads=False, fsname="heldfs")
