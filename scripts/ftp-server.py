# An FTP server on the loopback for the demo and the tests, from Debian's python3-pyftpdlib: anonymous
# read and write in one folder, on a free port that it writes to a file once it listens.
#   /usr/bin/python3 scripts/ftp-server.py FOLDER PORT-FILE
# Names go over the wire as the bytes of their UTF-8 form, as a server that holds UTF-8 names sends
# them; bytes that are no UTF-8 still name the file they came from (surrogateescape).
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

folder, port_file = sys.argv[1], sys.argv[2]
authorizer = DummyAuthorizer()
authorizer.add_anonymous(folder, perm="elradfmwMT")


class Handler(FTPHandler):
    encoding = "utf-8"
    unicode_errors = "surrogateescape"


Handler.authorizer = authorizer
Handler.banner = "Trevanel test server"
server = FTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as f:
    f.write("%d\n" % server.address[1])
os.replace(port_file + ".tmp", port_file)
server.serve_forever()
