#!/usr/bin/python3
"""A stand-in POD on JACK MIDI ports for the end-to-end tests, written apart from the editor.

Run with Debian's /usr/bin/python3 (mido + python-rtmidi). Opens a virtual input "<client> in"
and output "<client> out" on UNIX_JACK, prints "ready" once both exist, then "recv <hex>" for
each message it receives. It answers the edit-buffer request with a 151-byte single-patch dump
and the bank request with a 5121-byte bank dump (or its first --bank-bytes, as a device cut
off; nothing with --silent), and sends each line of its standard input, a message in hex ("b00e64"), as the device
does when a knob is turned on it. Ends with its standard input or on SIGTERM.
"""

import argparse
import signal
import sys
import threading

import mido

HEADER = [0xF0, 0x00, 0x01, 0x0C, 0x01]


def dump(kind, names):
    """A dump of one patch record per name: amp model and knobs differ per patch, all in range."""
    data = HEADER + [0x01, kind, 0x00]
    for number, name in enumerate(names):
        record = [0] * 55
        record[8] = number % 32
        for k in range(9, 16):  # drive .. channel volume, 0..63
            record[k] = (7 * k + 3 * number) % 64
        record += list(name.encode("latin-1").ljust(16, b" "))
        data += [n for b in record for n in (b >> 4, b & 0x0F)]
    return data + [0xF7]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--client", default="POD Peer", help="JACK client name prefix")
    parser.add_argument("--bank-bytes", type=int, default=5121, help="how much of the bank dump is sent")
    parser.add_argument("--silent", action="store_true", help="answer nothing: a port without a POD behind it")
    args = parser.parse_args()

    single = dump(0x01, ["Peer Edit Buffer"])
    bank = dump(0x02, ["Peer Bank %02d" % (n + 1) for n in range(36)])
    assert len(single) == 151 and len(bank) == 5121
    answers = {tuple(HEADER + [0x00, 0x01, 0xF7]): single, tuple(HEADER + [0x00, 0x02, 0xF7]): bank[: args.bank_bytes]}
    if args.silent:
        answers = {}

    backend = mido.Backend("mido.backends.rtmidi/UNIX_JACK", load=True)
    output = backend.open_output("out", client_name=args.client + " out")
    lock = threading.Lock()  # answers go out from the input callback, lines from the main thread

    def send(data):  # raw, so that a cut-off dump goes out as it is
        with lock:
            output._rt.send_message(data)

    def received(message):
        data = tuple(message.bytes())
        print("recv " + bytes(data).hex(), flush=True)
        if data in answers:
            send(answers[data])

    inport = backend.open_input("in", client_name=args.client + " in", callback=received)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print("ready", flush=True)
    try:
        for line in sys.stdin:
            try:
                send(list(bytes.fromhex(line)))
            except ValueError as error:
                print("cannot send %r: %s" % (line, error), flush=True)
    finally:
        inport.close()
        output.close()


if __name__ == "__main__":
    main()
