#!/usr/bin/python3
"""Synthesises every sound of the game into this folder.

Effects are built from tones, sweeps and filtered noise; the two music files
are short loops (their tails wrap onto their starts so they loop without a
seam). Everything is mono at 22050 Hz. The .mp3 files are MPEG layer III made
by the `lame` encoder (Debian package "lame", needed only to regenerate);
"move0.wav" and "move1.wav" are 16-bit PCM WAV files. The random generator
is seeded, so a run reproduces the same samples.

Usage: /usr/bin/python3 data/sounds/generate.py (Debian python3-numpy)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import wave

import numpy as np

RATE = 22050
EFFECT_BITRATE = 32  # kbit/s
MUSIC_BITRATE = 48
HERE = os.path.dirname(os.path.abspath(__file__))
rng = np.random.default_rng(20240611)


# ---- building blocks -------------------------------------------------------

def timeline(seconds):
    return np.arange(int(round(seconds * RATE))) / RATE


def phase_of(freq, seconds):
    """Running phase (radians) of a frequency that may change per sample."""
    f = np.broadcast_to(np.asarray(freq, dtype=float), timeline(seconds).shape)
    return 2 * np.pi * np.cumsum(f) / RATE


def osc(freq, seconds, shape="sine"):
    ph = phase_of(freq, seconds)
    if shape == "sine":
        return np.sin(ph)
    frac = (ph / (2 * np.pi)) % 1.0
    if shape == "square":
        return np.where(frac < 0.5, 1.0, -1.0)
    if shape == "saw":
        return 2.0 * frac - 1.0
    if shape == "triangle":
        return 4.0 * np.abs(frac - 0.5) - 1.0
    raise ValueError(shape)


def sweep(f0, f1, seconds, shape="sine", curve="exp"):
    t = timeline(seconds)
    x = t / max(seconds, 1e-9)
    freq = f0 * (f1 / f0) ** x if curve == "exp" else f0 + (f1 - f0) * x
    return osc(freq, seconds, shape)


def noise(seconds):
    return rng.uniform(-1.0, 1.0, len(timeline(seconds)))


def lowpass(x, cutoff):
    """One-pole low-pass; cutoff may be a per-sample array (Hz)."""
    cut = np.broadcast_to(np.asarray(cutoff, dtype=float), x.shape)
    a = 1.0 - np.exp(-2 * np.pi * cut / RATE)
    y = np.empty_like(x)
    acc = 0.0
    for i, (s, k) in enumerate(zip(x, a)):
        acc += k * (s - acc)
        y[i] = acc
    return y


def bandpass(x, low, high):
    return lowpass(x, high) - lowpass(x, low)


def env_decay(seconds, attack=0.005, half_life=0.1):
    t = timeline(seconds)
    rise = np.clip(t / max(attack, 1e-6), 0.0, 1.0)
    return rise * 0.5 ** (np.maximum(t - attack, 0.0) / half_life)


def env_ar(seconds, attack=0.01, release=0.05):
    t = timeline(seconds)
    rise = np.clip(t / max(attack, 1e-6), 0.0, 1.0)
    fall = np.clip((seconds - t) / max(release, 1e-6), 0.0, 1.0)
    return rise * fall


def at(total_seconds, *parts):
    """Mixes (start_seconds, samples) parts into a buffer of the given length."""
    out = np.zeros(len(timeline(total_seconds)))
    for start, part in parts:
        i = int(round(start * RATE))
        n = min(len(part), len(out) - i)
        if n > 0:
            out[i:i + n] += part[:n]
    return out


def normalise(x, peak=0.89):
    m = np.max(np.abs(x))
    return x * (peak / m) if m > 0 else x


def note(n):
    """Frequency of a MIDI note number."""
    return 440.0 * 2 ** ((n - 69) / 12)


# ---- effects ---------------------------------------------------------------

def door(opening):
    d = 0.8
    hum = sweep(110, 220, d, "saw") if opening else sweep(220, 110, d, "saw")
    hum = lowpass(hum, 900) * env_ar(d, 0.05, 0.15) * 0.6
    hiss = bandpass(noise(d), 800, 3000) * env_ar(d, 0.1, 0.3) * 0.5
    thunk_at = 0.05 if opening else 0.68
    thunk = sweep(140, 50, 0.12) * env_decay(0.12, 0.002, 0.03)
    return at(d, (0, hum + hiss), (thunk_at, thunk))


def eleccharger():
    d = 1.0
    buzz = lowpass(osc(60 * (1 + 0.02 * np.sin(2 * np.pi * 7 * timeline(d))), d, "saw"), 1500)
    crackle = noise(d) * (rng.uniform(0, 1, len(timeline(d))) > 0.985)
    return (buzz * 0.5 + lowpass(crackle, 4000) * 2.0) * env_ar(d, 0.05, 0.2)


def energyactive():
    notes = [72, 76, 79, 84, 88]
    parts = [(i * 0.09, osc(note(n), 0.4) * env_decay(0.4, 0.003, 0.08)) for i, n in enumerate(notes)]
    return at(0.8, *parts)


def move(base):
    d = 0.4
    t = timeline(d)
    tread = lowpass(osc(base, d, "square"), 600) * (0.6 + 0.4 * np.sin(2 * np.pi * 12.5 * t))
    grit = bandpass(noise(d), 200, 1200) * 0.25
    return (tread * 0.5 + grit) * env_ar(d, 0.02, 0.03)


def switch(up):
    a, b = (660, 990) if up else (990, 660)
    click = bandpass(noise(0.02), 1000, 5000) * env_decay(0.02, 0.001, 0.005)
    t1 = osc(a, 0.1, "square") * env_ar(0.1, 0.003, 0.02) * 0.3
    t2 = osc(b, 0.14, "square") * env_ar(0.14, 0.003, 0.06) * 0.3
    return at(0.26, (0, click), (0.01, lowpass(t1, 3000)), (0.11, lowpass(t2, 3000)))


def level_change():
    d = 1.2
    whoosh = bandpass(noise(d), 300, 2500) * env_ar(d, 0.5, 0.6)
    rise = sweep(200, 800, 0.6, "triangle") * env_ar(0.6, 0.05, 0.1) * 0.4
    chord = sum(osc(note(n), 0.7) for n in (60, 64, 67, 72)) * env_decay(0.7, 0.01, 0.2) * 0.25
    return at(d, (0, whoosh * 0.6), (0, rise), (0.5, chord))


def mouse_hover():
    return osc(1200, 0.06) * env_decay(0.06, 0.002, 0.015) * 0.5


def mouse_click():
    click = bandpass(noise(0.03), 800, 6000) * env_decay(0.03, 0.001, 0.006)
    tone = osc(800, 0.05) * env_decay(0.05, 0.001, 0.012) * 0.5
    return at(0.06, (0, click), (0, tone))


def explosion():
    d = 1.5
    t = timeline(d)
    body = lowpass(noise(d), 2500 * 0.5 ** (t / 0.25) + 80) * env_decay(d, 0.004, 0.25)
    rumble = sweep(70, 30, d) * env_decay(d, 0.01, 0.35) * 0.6
    return body * 1.5 + rumble


def teleportation():
    d = 1.0
    t = timeline(d)
    freq = 300 * (1800 / 300) ** (t / d) * (1 + 0.08 * np.sin(2 * np.pi * 18 * t))
    warble = osc(freq, d, "triangle") * env_ar(d, 0.05, 0.3)
    sparkle = bandpass(noise(d), 3000, 8000) * env_ar(d, 0.4, 0.4) * 0.3
    return warble * 0.6 + sparkle


def power_active():
    d = 0.6
    return lowpass(sweep(200, 800, d, "square"), 2500) * env_ar(d, 0.01, 0.15) * 0.5


def crate_pickup():
    d = 0.3
    lift = sweep(120, 260, d, "triangle") * env_decay(d, 0.005, 0.08)
    scrape = bandpass(noise(0.08), 400, 2000) * env_decay(0.08, 0.002, 0.02) * 0.4
    return at(d, (0, lift), (0, scrape))


def crate_putdown():
    d = 0.3
    thud = sweep(110, 45, d) * env_decay(d, 0.002, 0.05)
    knock = lowpass(noise(0.05), 900) * env_decay(0.05, 0.001, 0.01)
    return thud + at(d, (0, knock))


def crate_swish():
    d = 0.4
    t = timeline(d)
    return lowpass(noise(d), 400 + 2600 * np.sin(np.pi * t / d)) * np.sin(np.pi * t / d) ** 2


def conveyorbelt():
    d = 0.5
    clicks = np.zeros(len(timeline(d)))
    for k in range(10):
        tick = bandpass(noise(0.015), 500, 3000) * env_decay(0.015, 0.001, 0.004)
        clicks = clicks + at(d, (k * 0.05, tick))
    hum = lowpass(osc(75, d, "saw"), 400) * 0.3
    return (clicks + hum) * env_ar(d, 0.01, 0.02)


def victory():
    steps = [(0.0, 72), (0.15, 76), (0.3, 79), (0.45, 84)]
    parts = [(s, osc(note(n), 0.3, "square") * env_ar(0.3, 0.005, 0.1) * 0.25) for s, n in steps]
    chord = sum(osc(note(n), 1.2, "triangle") for n in (72, 76, 79, 84)) * env_decay(1.2, 0.01, 0.4) * 0.25
    return at(1.8, *parts, (0.6, chord))


def ai_alerted():
    beep = lowpass(osc(880, 0.15, "square"), 3500) * env_ar(0.15, 0.005, 0.02) * 0.5
    return at(0.45, (0, beep), (0.22, beep))


def bridge(extending):
    d = 1.0
    t = timeline(d)
    f0, f1 = (90, 180) if extending else (180, 90)
    whirr = lowpass(sweep(f0, f1, d, "saw"), 1200) * (0.7 + 0.3 * np.sin(2 * np.pi * 16 * t))
    grind = bandpass(noise(d), 600, 2500) * 0.2
    return (whirr * 0.5 + grind) * env_ar(d, 0.05, 0.15)


# ---- music -----------------------------------------------------------------

def render_loop(seconds, events):
    """Mixes (start, samples) events into a loop; tails wrap to the start."""
    n = len(timeline(seconds))
    out = np.zeros(n)
    for start, part in events:
        i = int(round(start * RATE)) % n
        for j in range(0, len(part), n):
            piece = part[j:j + n]
            first = min(len(piece), n - i)
            out[i:i + first] += piece[:first]
            out[:len(piece) - first] += piece[first:]
    return out


def kick():
    return sweep(120, 40, 0.25) * env_decay(0.25, 0.002, 0.05)


def hat():
    return bandpass(noise(0.05), 5000, 9000) * env_decay(0.05, 0.001, 0.01)


def level_music():
    """Four bars at 120 beats a minute: Am F C G with bass, pads, arpeggio."""
    beat = 0.5
    bars = [(57, [57, 60, 64]), (53, [53, 57, 60]), (48, [52, 55, 60]), (55, [55, 59, 62])]
    events = []
    for b, (root, chord) in enumerate(bars):
        t0 = b * 4 * beat
        pad = sum(osc(note(n), 4 * beat, "triangle") for n in chord) * env_ar(4 * beat, 0.05, 0.2) * 0.12
        events.append((t0, lowpass(pad, 2000)))
        for k in range(8):
            bass = lowpass(osc(note(root - 12), beat / 2, "saw"), 500) * env_decay(beat / 2, 0.005, 0.12) * 0.35
            events.append((t0 + k * beat / 2, bass))
            arp = osc(note(chord[k % 3] + 12), beat / 2, "square") * env_decay(beat / 2, 0.003, 0.06) * 0.08
            events.append((t0 + k * beat / 2, lowpass(arp, 3000)))
            events.append((t0 + k * beat / 2, hat() * (0.25 if k % 2 else 0.15)))
        for k in range(4):
            events.append((t0 + k * beat, kick() * 0.6))
    return normalise(render_loop(16 * beat, events), 0.8)


def menu_music():
    """Four bars at 96 beats a minute: slow pads and a soft bell melody."""
    beat = 60.0 / 96
    chords = [[48, 55, 64], [45, 52, 60], [41, 48, 57], [43, 50, 59]]
    melody = [76, 74, 72, 71, 72, 69, 67, 69, 65, 67, 69, 72, 71, 67, 74, 71]
    events = []
    for b, chord in enumerate(chords):
        t0 = b * 4 * beat
        pad = sum(osc(note(n), 4.5 * beat) for n in chord) * env_ar(4.5 * beat, 0.6, 1.0) * 0.18
        events.append((t0, pad))
    for k, n in enumerate(melody):
        bell = (osc(note(n), 1.5) + 0.3 * osc(note(n) * 2, 1.5)) * env_decay(1.5, 0.005, 0.3) * 0.2
        events.append((k * beat, bell))
    return normalise(render_loop(16 * beat, events), 0.7)


# ---- output ----------------------------------------------------------------

def write_wav(path, samples):
    pcm = (np.clip(samples, -1.0, 1.0) * 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())


def write_mp3(path, samples, bitrate):
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "source.wav")
        write_wav(source, samples)
        subprocess.run(["lame", "--quiet", "--noreplaygain", "-m", "m", "-b", str(bitrate),
                        source, path], check=True)


EFFECTS = {
    "door_open_new.mp3": lambda: door(True),
    "door_close_new.mp3": lambda: door(False),
    "eleccharger.mp3": eleccharger,
    "energyactive.mp3": energyactive,
    "move0.wav": lambda: move(90),
    "move1.wav": lambda: move(115),
    "switch_activate_new.mp3": lambda: switch(True),
    "switch_deactivate_new.mp3": lambda: switch(False),
    "level_change.mp3": level_change,
    "mouse_hover.mp3": mouse_hover,
    "mouse_click.mp3": mouse_click,
    "explosion_new.mp3": explosion,
    "teleportation_new.mp3": teleportation,
    "power_active.mp3": power_active,
    "crate_pickup_new.mp3": crate_pickup,
    "crate_putdown_new.mp3": crate_putdown,
    "crate_swish.mp3": crate_swish,
    "conveyorbelt.mp3": conveyorbelt,
    "victory.mp3": victory,
    "ai_alerted.mp3": ai_alerted,
    "bridge_extend.mp3": lambda: bridge(True),
    "bridge_shrinking.mp3": lambda: bridge(False),
}

MUSIC = {
    "ZuviVevo.mp3": level_music,
    "menu.mp3": menu_music,
}


def main():
    if shutil.which("lame") is None:
        sys.exit("generate.py: the 'lame' encoder is missing (apt-get install lame)")
    for name, make in EFFECTS.items():
        path = os.path.join(HERE, name)
        samples = normalise(make())
        if name.endswith(".wav"):
            write_wav(path, samples)
        else:
            write_mp3(path, samples, EFFECT_BITRATE)
        print(name)
    for name, make in MUSIC.items():
        write_mp3(os.path.join(HERE, name), make(), MUSIC_BITRATE)
        print(name)


if __name__ == "__main__":
    main()
