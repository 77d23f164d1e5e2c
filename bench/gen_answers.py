#!/usr/bin/env python3
"""Writes an answer file for the pnpsum benchmark.

    gen_answers.py OUT_FILE PAIRS [--seed S]

PAIRS pairs of lines, a manufacturer and a model, as a user or a script
would answer pnpsum's prompts: mostly short names, some answers empty (never
both of a pair, which would end the run), some with blanks around them,
some long (up to 600 bytes, past the reader's 255-byte chunks), about one
line in ten ended by CR LF. The file ends after the last pair, so the
program stops at the end of input. Deterministic for PAIRS and the seed.
"""
import argparse
import random
import sys

MAKERS = ["Fabrikam", "Contoso", "Northwind Imaging", "Litware", "A. Datum",
          "Proseware & Sons", "Tailspin", "Woodgrove", "Kestrel", "Orrin",
          "Vantor Electronics", "Halden Labs", "FABRIKAM INC", "contoso"]
SERIES = ["LaserPro", "InkJet", "OfficeJet", "ColorPage", "Mono", "PhotoStudio",
          "LabelWriter", "DeskLine", "Wide Format", "MFP", "WorkCentre"]
TAILS = ["PCL6", "PS", "XPS", "GDI", "Class Driver", "PCL5e", "Series", ""]


def Model(rng):
    text = f"{rng.choice(SERIES)} {rng.randrange(100, 99999)}"
    tail = rng.choice(TAILS)
    return text + (" " + tail if tail else "")


def Long(rng):
    words = []
    size = rng.randrange(120, 600)
    while sum(len(w) + 1 for w in words) < size:
        words.append(rng.choice(SERIES + TAILS[:-1] + MAKERS))
    return " ".join(words)


def Answer(rng, make):
    roll = rng.random()
    if roll < 0.05:
        return Long(rng)
    text = make(rng)
    if roll < 0.12:
        text = rng.choice([" ", "  ", "\t"]) + text + rng.choice(["", " ", "  "])
    return text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("pairs", type=int)
    parser.add_argument("--seed", type=int, default=20110305)
    args = parser.parse_args()
    rng = random.Random(f"{args.seed}:{args.pairs}")
    lines = []
    for _ in range(args.pairs):
        maker = Answer(rng, lambda r: r.choice(MAKERS))
        model = Answer(rng, Model)
        roll = rng.random()
        if roll < 0.04:
            maker = rng.choice(["", " "])
        elif roll < 0.07:
            model = rng.choice(["", "  "])
        for text in (maker, model):
            lines.append(text + ("\r\n" if rng.random() < 0.1 else "\n"))
    with open(args.out, "w", encoding="ascii", newline="") as f:
        f.writelines(lines)
    return 0


if __name__ == "__main__":
    sys.exit(main())
