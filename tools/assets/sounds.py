"""Speech (festival's Russian voice, espeak-ng as fallback) and synthesised signals, as Ogg Vorbis."""
import math
import os
import shutil
import subprocess
import tempfile
import wave

import numpy as np

import texts
from common import atomic_write_bytes

WORK_RATE = 44100
GAP = 0.12  # silence kept between a phrase and the next one


def _run(cmd, **kw):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)


def _read_wav(path):
    with wave.open(path, "rb") as w:
        assert w.getsampwidth() == 2 and w.getnchannels() == 1
        data = np.frombuffer(w.readframes(w.getnframes()), "<i2").astype(np.float64) / 32768.0
        return data, w.getframerate()


def _write_wav(path, samples, rate, channels=1):
    pcm = np.clip(np.round(samples * 32767.0), -32768, 32767).astype("<i2")
    if channels == 2:
        pcm = np.repeat(pcm[:, None], 2, axis=1)
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(pcm.tobytes())


class Voice:
    def __init__(self, workdir):
        self.workdir = workdir
        self.count = 0
        self.festival = shutil.which("text2wave") is not None and os.path.isdir(
            "/usr/share/festival/voices/russian/msu_ru_nsh_clunits")

    def say(self, text, tempo=1.0):
        """Mono samples at WORK_RATE of `text`, leading and trailing silence trimmed."""
        self.count += 1
        base = os.path.join(self.workdir, f"phrase{self.count}")
        with open(base + ".txt", "w", encoding="utf-8") as f:
            # The Russian festival voice has no rule for dashes and gives up on them.
            f.write(text.replace("—", ",").replace("–", ",") + "\n")
        raw = base + ".raw.wav"
        if self.festival:
            _run(["text2wave", "-eval", "(voice_msu_ru_nsh_clunits)", base + ".txt", "-o", raw])
        else:
            _run(["espeak-ng", "-v", "ru", "-s", "135", "-w", raw, text])
        out = base + ".wav"
        effects = ["silence", "1", "0.02", "0.3%", "reverse", "silence", "1", "0.02", "0.3%",
                   "reverse", "highpass", "70", "rate", "-v", str(WORK_RATE)]
        if abs(tempo - 1.0) > 1e-3:
            effects += ["tempo", "-s", f"{tempo:.4f}"]
        _run(["sox", raw, "-b", "16", "-c", "1", out] + effects)
        samples, rate = _read_wav(out)
        assert rate == WORK_RATE
        # Short fades: the trimmed ends would otherwise start and stop with a click.
        ramp = min(len(samples) // 2, int(0.008 * WORK_RATE))
        samples = samples.copy()
        samples[:ramp] *= np.linspace(0.0, 1.0, ramp)
        samples[len(samples) - ramp:] *= np.linspace(1.0, 0.0, ramp)
        return samples

    def fitted(self, text, max_seconds):
        """The phrase, sped up just enough to last at most `max_seconds`."""
        samples = self.say(text)
        length = len(samples) / WORK_RATE
        if length > max_seconds:
            tempo = length / max_seconds * 1.01
            print(f"  sped up x{tempo:.2f}: {text}")
            samples = self.say(text, tempo=tempo)
        return samples


def timed_speech(voice, total, phrases):
    """Phrases placed at their start times in `total` seconds of sound."""
    out = np.zeros(int(round(total * WORK_RATE)))
    for i, (start, text) in enumerate(phrases):
        end = phrases[i + 1][0] - GAP if i + 1 < len(phrases) else total - 0.25
        samples = voice.fitted(text, end - start)
        at = int(round(start * WORK_RATE))
        out[at:at + len(samples)] += samples[: len(out) - at]
    return out


def padded_phrase(voice, text, lead=0.15, min_total=None, max_total=None):
    samples = voice.say(text)
    if max_total is not None and len(samples) / WORK_RATE > max_total - lead - 0.25:
        samples = voice.fitted(text, max_total - lead - 0.25)
    total = len(samples) / WORK_RATE + lead + 0.25
    if min_total is not None:
        total = max(total, min_total)
    out = np.zeros(int(round(total * WORK_RATE)))
    at = int(round(lead * WORK_RATE))
    out[at:at + len(samples)] = samples
    return out


def normalise(samples, peak=0.89):
    top = np.max(np.abs(samples))
    return samples if top == 0 else samples * (peak / top)


def chime(duration=1.26, rate=WORK_RATE):
    """Bright rising bell arpeggio: the success signal of a move."""
    t = np.arange(int(round(duration * rate))) / rate
    out = np.zeros_like(t)
    for k, freq in enumerate((1046.5, 1318.5, 1568.0, 2093.0)):
        start = 0.075 * k
        tt = np.clip(t - start, 0, None)
        env = np.where(t >= start, np.exp(-tt / (0.28 + 0.06 * k)), 0.0)
        env *= np.minimum(1.0, tt / 0.004)
        tone = (np.sin(2 * math.pi * freq * tt) + 0.35 * np.sin(2 * math.pi * freq * 2.0 * tt)
                + 0.12 * np.sin(2 * math.pi * freq * 3.01 * tt) * np.exp(-tt / 0.08))
        out += env * tone * (0.8 + 0.1 * k)
    fade = np.minimum(1.0, (duration - t) / 0.15)
    return normalise(out * fade, 0.8)


def click(duration=0.36, rate=WORK_RATE):
    """A mouse button's press and release."""
    rng = np.random.default_rng(7)
    t = np.arange(int(round(duration * rate))) / rate
    out = np.zeros_like(t)
    for start, level, pitch in ((0.010, 1.0, 3100.0), (0.095, 0.6, 2500.0)):
        tt = t - start
        on = tt >= 0
        ttc = np.clip(tt, 0, None)
        noise = rng.standard_normal(len(t)) * np.exp(-ttc / 0.0012)
        body = np.sin(2 * math.pi * pitch * ttc) * np.exp(-ttc / 0.004)
        thump = np.sin(2 * math.pi * 180.0 * ttc) * np.exp(-ttc / 0.010)
        out += on * level * (0.6 * noise + 0.8 * body + 0.4 * thump)
    return normalise(out, 0.7)


def encode_ogg(samples, rate, channels, path, serial, workdir):
    """Ogg Vorbis via oggenc (fixed serial number, so a rebuild gives the same bytes)."""
    wav = os.path.join(workdir, f"enc{serial}.wav")
    if rate != WORK_RATE:
        src = os.path.join(workdir, f"src{serial}.wav")
        _write_wav(src, samples, WORK_RATE)
        _run(["sox", src, "-r", str(rate), "-c", str(channels), "-b", "16", wav, "rate", "-v"])
    else:
        _write_wav(wav, samples, rate, channels)
    out = os.path.join(workdir, f"enc{serial}.ogg")
    _run(["oggenc", "-Q", "-q", "3", "--serial", str(serial), "-o", out, wav])
    with open(out, "rb") as f:
        atomic_write_bytes(path, f.read())
    return wav


def write_all(assets_dir, workdir):
    """Writes every sound; returns {name: path} and the Ogg file of the slowed-stage speech."""
    voice = Voice(workdir)
    written = {}
    serial = [1000]

    def emit(name, samples, rate, folder):
        serial[0] += 1
        path = os.path.join(assets_dir, folder, name + ".ogg")
        wav = encode_ogg(normalise(samples), rate, 2, path, serial[0], workdir)
        written[name] = path
        return wav

    for name, (total, phrases) in (("116", texts.INSTRUCTION), ("119", texts.DEMONSTRATION)):
        emit(name, timed_speech(voice, total, phrases), WORK_RATE, "numbered")
    emit("118", timed_speech(voice, *texts.SLOWED), WORK_RATE, "numbered")
    emit("ENDHELPSOUND", timed_speech(voice, *texts.END_OF_HELP), 44000, "sounds")
    for name, text in texts.SHORT_PHRASES.items():
        emit(name, padded_phrase(voice, text, min_total=1.2, max_total=3.5), 44000, "numbered")
    for name, text in texts.PRAISE.items():
        emit(name + "_sound", padded_phrase(voice, text, min_total=2.0, max_total=2.1),
             WORK_RATE, "sounds")
    emit("120", chime(), WORK_RATE, "numbered")
    serial[0] += 1
    path = os.path.join(assets_dir, "sounds", "MOUSE_CLICK_SOUND.ogg")
    encode_ogg(click(), 44000, 2, path, serial[0], workdir)
    written["MOUSE_CLICK_SOUND"] = path
    return written, written["118"]
