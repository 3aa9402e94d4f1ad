#!/usr/bin/env python3
"""Writes the notification chime (res/sounds/164.wav): two soft bell tones, G5 then C6, in
0.4 seconds of 16-bit PCM mono at 44.1 kHz. Uses only the standard library; the output is the
same on every run.

Usage: scripts/make-chime.py [output.wav]
"""

import math
import struct
import sys
import wave
from pathlib import Path

RATE = 44100
DURATION = 0.4  # seconds
PEAK = 0.5  # of full scale, leaving headroom for the mixer
NOTES = (  # (start in seconds, frequency in Hz, relative loudness)
    (0.00, 783.99, 0.8),  # G5
    (0.11, 1046.50, 1.0),  # C6
)
ATTACK = 0.006  # seconds of fade-in per note, so no note starts with a click
DECAY = 9.0  # per second: how fast each note rings away
FADE_OUT = 0.03  # seconds of fade to silence at the end


def bell(t: float, frequency: float) -> float:
    """A bell-like tone: the fundamental with a little of its octave and twelfth."""
    phase = 2.0 * math.pi * frequency * t
    return math.sin(phase) + 0.3 * math.sin(2.0 * phase) * math.exp(-12.0 * t) + 0.12 * math.sin(3.0 * phase)


def sample(t: float) -> float:
    value = 0.0
    for start, frequency, loudness in NOTES:
        local = t - start
        if local < 0.0:
            continue
        envelope = min(1.0, local / ATTACK) * math.exp(-DECAY * local)
        value += loudness * envelope * bell(local, frequency)
    remaining = DURATION - t
    if remaining < FADE_OUT:
        value *= max(0.0, remaining / FADE_OUT)
    return value


def main() -> None:
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "res" / "sounds" / "164.wav"
    count = int(RATE * DURATION)
    raw = [sample(i / RATE) for i in range(count)]
    scale = PEAK / max(abs(v) for v in raw)
    frames = b"".join(struct.pack("<h", round(v * scale * 32767)) for v in raw)
    target.parent.mkdir(parents=True, exist_ok=True)
    with wave.open(str(target), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)
    print(f"wrote {target} ({count} samples, {DURATION} s)")


if __name__ == "__main__":
    main()
