"""A real SMTP server for the mailer's tests: aiosmtpd on a loopback address,
accepting MAIL without HELO. Prints "PORT <n>" once it listens and writes each
accepted message to <output dir>/message.<n>.

usage: aiosmtpd_peer.py <address> <output dir>
"""
import asyncio
import os
import sys

from aiosmtpd.smtp import SMTP


class NoHeloSMTP(SMTP):
    """The alert mailer sends no HELO: let MAIL, RCPT and DATA go without it."""

    async def check_helo_needed(self, helo: str = "HELO") -> bool:
        return False


class SaveMessages:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        path = os.path.join(self.directory, "message.%d" % self.count)
        with open(path + ".tmp", "wb") as f:
            f.write(b"FROM " + envelope.mail_from.encode() + b"\n")
            for rcpt in envelope.rcpt_tos:
                f.write(b"TO " + rcpt.encode() + b"\n")
            f.write(b"\n")
            f.write(envelope.original_content)
        os.rename(path + ".tmp", path)
        return "250 Message accepted for delivery"


async def main(address, directory):
    handler = SaveMessages(directory)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: NoHeloSMTP(handler), host=address, port=0)
    port = server.sockets[0].getsockname()[1]
    print("PORT %d" % port, flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main(sys.argv[1], sys.argv[2]))
