#!/usr/bin/python3
"""A stand-in POD on JACK MIDI ports: records every message it receives and answers dump requests.

Run with Debian's /usr/bin/python3 (mido + python-rtmidi). Opens one virtual input and one virtual
output through mido's rtmidi backend on UNIX_JACK, prints "ready" once both exist, writes each
received message as one line of lower-case hex to the record file, and answers the edit-buffer
request with a 151-byte single-patch dump and the bank request with a 5121-byte bank dump.
SIGTERM or SIGINT closes the ports and ends it.
"""

import argparse
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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--client", default="POD Peer", help="JACK client name prefix")
    parser.add_argument("--record", help="file for the received messages (default: stdout)")
    parser.add_argument("--no-answer", action="store_true", help="record only, never answer")
    args = parser.parse_args()

    backend = mido.Backend(BACKEND, load=True)
    record = open(args.record, "a", buffering=1) if args.record else sys.stdout
    output = backend.open_output("out", client_name=args.client + " Out")
    lock = threading.Lock()
    answers = {tuple(EDIT_BUFFER_REQUEST): single_dump(), tuple(BANK_REQUEST): bank_dump()}

    def received(message):
        data = message.bytes()
        with lock:
            record.write(bytes(data).hex() + "\n")
            record.flush()
        answer = None if args.no_answer else answers.get(tuple(data))
        if answer is not None:
            output.send(mido.Message.from_bytes(answer))

    inport = backend.open_input("in", client_name=args.client + " In", callback=received)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    print("ready", flush=True)
    while not stop.wait(0.1):
        pass
    inport.close()
    output.close()
    if record is not sys.stdout:
        record.close()


if __name__ == "__main__":
    main()
