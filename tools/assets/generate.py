"""Rebuilds every asset into assets/ and writes the contact sheet. Run through build.sh."""
import argparse
import os
import shutil
import sys
import tempfile

import clips
import contact_sheet
import images
import sounds


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--assets", default=os.path.join(here, "..", "..", "assets"))
    parser.add_argument("--sheet", default=os.path.join(here, "contact-sheet.png"))
    args = parser.parse_args()
    assets = os.path.abspath(args.assets)
    for folder in ("images", "sounds", "clips", "numbered"):
        os.makedirs(os.path.join(assets, folder), exist_ok=True)

    print("pictures ...", flush=True)
    pictures = images.write_all(assets)
    workdir = tempfile.mkdtemp(prefix="tavrelo-assets-")
    try:
        print("sounds ...", flush=True)
        sound_files, slowed_ogg = sounds.write_all(assets, workdir)
        print("clips ...", flush=True)
        clip_files = clips.write_all(assets, slowed_ogg)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    # Anything left from an earlier naming is stale: the folders hold exactly what was made now.
    made = set(pictures.values()) | set(sound_files.values()) | {p for p, _ in clip_files.values()}
    for folder in ("images", "sounds", "clips", "numbered"):
        for name in os.listdir(os.path.join(assets, folder)):
            path = os.path.join(assets, folder, name)
            if path not in made:
                print("removing stale", path)
                os.remove(path)

    entries = contact_sheet.picture_entries(assets)
    for name, (_, frames) in sorted(clip_files.items()):
        for n, rgb in sorted(frames.items()):
            entries.append((f"{name} #{n}", rgb))
    contact_sheet.build(entries, os.path.abspath(args.sheet))
    total = sum(os.path.getsize(p) for p in made)
    print(f"{len(made)} files, {total / 1e6:.2f} MB in {assets}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
