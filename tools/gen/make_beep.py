#!/usr/bin/env python3
"""Writes "Beep.wav": the short beep that says a key had nothing to act on.

A 120 ms tone at 880 Hz with soft ends, 16-bit mono at 22050 Hz.
usage: make_beep.py OUTPUT
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE, FREQ, SECONDS, FADE = 22050, 880.0, 0.12, 0.01


def main():
    out = Path(sys.argv[1])
    out.parent.mkdir(parents=True, exist_ok=True)
    n = int(RATE * SECONDS)
    fade = int(RATE * FADE)
    frames = bytearray()
    for i in range(n):
        gain = min(1.0, i / fade, (n - 1 - i) / fade)
        frames += struct.pack("<h", int(0.5 * 32767 * gain * math.sin(2 * math.pi * FREQ * i / RATE)))
    with wave.open(str(out), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    main()
