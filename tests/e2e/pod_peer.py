#!/usr/bin/python3
"""A stand-in POD on JACK MIDI ports: records every message it receives and answers dump requests.

Run with Debian's /usr/bin/python3 (mido + python-rtmidi). Opens one virtual input and one virtual
output through mido's rtmidi backend on UNIX_JACK, prints "ready" once both exist, writes each
received message as one line of lower-case hex to the record file, and answers the edit-buffer
request with a 151-byte single-patch dump and the bank request with a 5121-byte bank dump.
Given a command file (--commands, or the environment variable POD_PEER_COMMANDS), it watches
the file and sends each line appended to it as one message, written in hex ("b00e64"), as the
device does when a knob is turned on it; each is logged as "sent <hex>".
SIGTERM or SIGINT closes the ports and ends it.
"""

import argparse
import os
import signal
import sys
import threading

import mido

BACKEND = "mido.backends.rtmidi/UNIX_JACK"

MANUFACTURER = [0x00, 0x01, 0x0C]
DEVICE = 0x01
REQUEST = 0x00
DUMP = 0x01
KIND_SINGLE = 0x01
KIND_BANK = 0x02
BYTE_7 = 0x00

EDIT_BUFFER_REQUEST = [0xF0, *MANUFACTURER, DEVICE, REQUEST, KIND_SINGLE, 0xF7]
BANK_REQUEST = [0xF0, *MANUFACTURER, DEVICE, REQUEST, KIND_BANK, 0xF7]

RECORD_SIZE = 71
PARAMETER_BYTES = 55
NAME_SIZE = 16
BANK_PATCHES = 36
SINGLE_DUMP_SIZE = 151
BANK_DUMP_SIZE = 5121

IDLE_POLL_SECONDS = 0.1
COMMAND_POLL_SECONDS = 0.005


def make_record(number, name):
    """A patch record whose values are all in range for their controls and differ per patch."""
    record = [0] * RECORD_SIZE
    record[0:8] = [1, 0, 1, 1, 0, 1, 0, (number + 1) % 2]  # switches
    record[8] = number % 32  # amp model
    for k in range(9, 16):  # drive .. channel volume, 0..63
        record[k] = (7 * k + 3 * number) % 64
    record[16] = 40  # gate threshold
    record[17] = 20
    for k in (18, 19, 20, 22, 23):  # pedals, 0..127
        record[k] = (11 * k + number) % 128
    record[24] = 1
    record[27:30] = [0x00, 0x0A, 0x28]  # delay time
    record[34] = 30
    record[36] = 25
    record[38] = number % 2
    for k in range(39, 44):
        record[k] = (5 * k + number) % 64
    record[44] = number % 16  # cabinet
    record[45] = 32
    record[46] = number % 16  # effect code
    record[47] = 17
    for k in range(48, PARAMETER_BYTES):
        record[k] = (13 * k + number) % 64
    text = name.encode("latin-1")[:NAME_SIZE].ljust(NAME_SIZE, b" ")
    record[PARAMETER_BYTES:] = list(text)
    return record


def nibbles(record):
    out = []
    for b in record:
        out += [b >> 4, b & 0x0F]
    return out


def single_dump():
    data = [0xF0, *MANUFACTURER, DEVICE, DUMP, KIND_SINGLE, BYTE_7]
    data += nibbles(make_record(0, "Peer Edit Buffer"))
    data.append(0xF7)
    assert len(data) == SINGLE_DUMP_SIZE
    return data


def bank_dump():
    data = [0xF0, *MANUFACTURER, DEVICE, DUMP, KIND_BANK, BYTE_7]
    for n in range(BANK_PATCHES):
        data += nibbles(make_record(n, "Peer Bank %02d" % (n + 1)))
    data.append(0xF7)
    assert len(data) == BANK_DUMP_SIZE
    return data


class CommandFile:
    """The lines appended to a file since the last look, each one message in hex."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.pending = b""

    def new_messages(self):
        try:
            with open(self.path, "rb") as commands:
                commands.seek(self.offset)
                data = commands.read()
        except FileNotFoundError:
            return []
        self.offset += len(data)
        *lines, self.pending = (self.pending + data).split(b"\n")
        messages = []
        for line in lines:
            text = line.decode("ascii", "replace").strip()
            if not text:
                continue
            try:
                messages.append(list(bytes.fromhex(text)))
            except ValueError:
                print("not a message in hex: %r" % text, flush=True)
        return messages


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--client", default="POD Peer", help="JACK client name prefix")
    parser.add_argument("--record", help="file for the received messages (default: stdout)")
    parser.add_argument("--no-answer", action="store_true", help="record only, never answer")
    parser.add_argument(
        "--commands",
        default=os.environ.get("POD_PEER_COMMANDS"),
        help="file whose appended lines are sent, one message in hex each",
    )
    args = parser.parse_args()

    backend = mido.Backend(BACKEND, load=True)
    record = open(args.record, "a", buffering=1) if args.record else sys.stdout
    output = backend.open_output("out", client_name=args.client + " Out")
    lock = threading.Lock()
    # The answers go out from the input callback, the commands from the main loop.
    send_lock = threading.Lock()

    def send(data):
        with send_lock:
            output.send(mido.Message.from_bytes(data))

    answers = {tuple(EDIT_BUFFER_REQUEST): single_dump(), tuple(BANK_REQUEST): bank_dump()}

    def received(message):
        data = message.bytes()
        with lock:
            record.write(bytes(data).hex() + "\n")
            record.flush()
        answer = None if args.no_answer else answers.get(tuple(data))
        if answer is not None:
            send(answer)

    inport = backend.open_input("in", client_name=args.client + " In", callback=received)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    commands = CommandFile(args.commands) if args.commands else None
    print("ready", flush=True)
    while not stop.wait(COMMAND_POLL_SECONDS if commands else IDLE_POLL_SECONDS):
        for data in commands.new_messages() if commands else []:
            try:
                send(data)
            except ValueError as error:
                print("cannot send %s: %s" % (bytes(data).hex(), error), flush=True)
                continue
            print("sent " + bytes(data).hex(), flush=True)
    inport.close()
    output.close()
    if record is not sys.stdout:
        record.close()


if __name__ == "__main__":
    main()
