#!/usr/bin/env python3
"""A loopback TCP proxy that makes a server look farther away, and counts round trips.

    delay_proxy.py LISTEN_PORT TARGET_PORT ROUND_TRIP_MS COUNT_FILE

Listens on 127.0.0.1:LISTEN_PORT and forwards every connection to 127.0.0.1:TARGET_PORT. Each chunk of
bytes is held ROUND_TRIP_MS / 2 in each direction before it is passed on (in order), so that every
question-and-answer costs ROUND_TRIP_MS more. A round trip is counted each time the server answers
something the client sent: the times the client waited (a message that gets no answer, such as a
goodbye, costs none). When a connection closes, its count is added as a line to COUNT_FILE. Loopback
only; ends on SIGTERM.
"""
import asyncio
import signal
import sys


async def pump(reader, writer, delay, on_chunk):
    """Copies reader to writer, each chunk held `delay` seconds after it arrived."""
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def send():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.create_task(send())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            on_chunk()
            queue.put_nowait((loop.time() + delay, data))
    except (ConnectionError, OSError):
        pass
    queue.put_nowait((0, None))
    try:
        await sender
    except (ConnectionError, OSError):
        pass


async def main():
    if len(sys.argv) != 5:
        sys.stderr.write(__doc__)
        sys.exit(2)
    listen_port, target_port = int(sys.argv[1]), int(sys.argv[2])
    delay = float(sys.argv[3]) / 2000.0
    count_file = sys.argv[4]

    async def handle(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target_port)
        except OSError:
            client_writer.close()
            return
        state = {"trips": 0, "asked": False}

        def asked():
            state["asked"] = True

        def answered():
            if state["asked"]:
                state["trips"] += 1
                state["asked"] = False

        await asyncio.gather(pump(client_reader, server_writer, delay, asked), pump(server_reader, client_writer, delay, answered))
        with open(count_file, "a") as out:
            out.write("%d\n" % state["trips"])

    server = await asyncio.start_server(handle, "127.0.0.1", listen_port)
    stop = asyncio.Event()
    asyncio.get_running_loop().add_signal_handler(signal.SIGTERM, stop.set)
    async with server:
        await stop.wait()


if __name__ == "__main__":
    asyncio.run(main())
