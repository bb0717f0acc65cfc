#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes the program's default sounds: short chimes made of soft sine notes.

    tools/sounds/make_sounds.py [OUTPUT_FOLDER]   (default: data/sounds)

The build does not run this; the written files are committed. Each note is a sine with a
quiet octave above it, a 5 ms attack and an exponential fade, so nothing clicks.
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
PEAK = 0.45 * 32767

# name -> (seconds, [(start seconds, frequency Hz, fade seconds)])
SOUNDS = {
    # the selected server came online: a rising fifth
    "server.wav": (0.55, [(0.00, 523.25, 0.12), (0.14, 783.99, 0.14)]),
    # the selected server has players: a major arpeggio
    "ready.wav": (0.80, [(0.00, 523.25, 0.10), (0.12, 659.25, 0.10), (0.24, 783.99, 0.10),
                         (0.36, 1046.50, 0.14)]),
    # a watched player is playing: one bell-like ping
    "player.wav": (0.45, [(0.00, 880.00, 0.10)]),
}


def note_sample(t, frequency, fade):
    if t < 0:
        return 0.0
    attack = min(1.0, t / 0.005)
    envelope = attack * math.exp(-t / fade)
    tone = math.sin(2 * math.pi * frequency * t) + 0.25 * math.sin(4 * math.pi * frequency * t)
    return envelope * tone / 1.25


def render(seconds, notes):
    frames = bytearray()
    count = int(seconds * RATE)
    for i in range(count):
        t = i / RATE
        value = sum(note_sample(t - start, f, fade) for start, f, fade in notes)
        # the last 20 ms fade to silence whatever is left
        tail = min(1.0, (count - i) / (0.02 * RATE))
        sample = max(-1.0, min(1.0, value * 0.6)) * tail
        frames += struct.pack("<h", int(round(sample * PEAK)))
    return bytes(frames)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join("data", "sounds")
    os.makedirs(folder, exist_ok=True)
    for name, (seconds, notes) in SOUNDS.items():
        with wave.open(os.path.join(folder, name), "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(RATE)
            out.writeframes(render(seconds, notes))
        print(os.path.join(folder, name))


if __name__ == "__main__":
    main()
