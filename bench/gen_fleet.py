#!/usr/bin/env python3
"""Makes a fleet of catalogues from one: COUNT machines that each lack a
few of its INF files (5%, seeded per machine), with their own folder and
comment, as print servers set up alike and then left to drift.

    gen_fleet.py CATALOGUE OUTDIR COUNT [--seed SEED]

Writes OUTDIR/machine-001.xml ... in the catalogue's own bytes otherwise.
"""
import argparse
import pathlib
import random
import re

parser = argparse.ArgumentParser()
parser.add_argument('catalogue')
parser.add_argument('out')
parser.add_argument('count', type=int)
parser.add_argument('--seed', type=int, default=20110305)
args = parser.parse_args()

text = pathlib.Path(args.catalogue).read_bytes()
start = text.index(b'  <manufacturer ')
end = text.rindex(b'</drivers>')
head, files = text[:start], re.findall(rb'  <manufacturer .*?(?:/>\r?\n|</manufacturer>\r?\n)', text[start:end], re.S)
out = pathlib.Path(args.out)
out.mkdir(parents=True, exist_ok=True)
for machine in range(1, args.count + 1):
    pick = random.Random(args.seed * 1000 + machine)
    own = re.sub(rb"location='[^']*'", b"location='/srv/machine-%03d/'" % machine, head, count=1)
    own = re.sub(rb'(<comment>\r?\n).*?(\r?\n  </comment>)', rb'\g<1>machine %03d\g<2>' % machine, own, count=1, flags=re.S)
    kept = [f for f in files if pick.random() >= 0.05]
    (out / ('machine-%03d.xml' % machine)).write_bytes(own + b''.join(kept) + text[end:])
