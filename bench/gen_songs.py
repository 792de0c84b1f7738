#!/usr/bin/env python3
# Copied from the project's shared benchmark inputs (bench/README of the import benchmarks); kept as is.
"""Writes N synthetic songs as an import file with a header of field names (deterministic)."""
import random, sys
n = int(sys.argv[1]); out = sys.argv[2]
rnd = random.Random(612)
words = "love night heart blue fire dream rain road home baby time light dance river soul gold wild city moon summer girl boy train angel ghost".split()
artists = [" ".join(rnd.choice(words).title() for _ in range(rnd.randint(1, 3))) + f" {i}" for i in range(20000)]
media = ["CD", "LP", "EP", "Cassette (Dolby B)", "CD Single", "Other"]
q = lambda s: '"' + s.replace('"', '""') + '"'
with open(out, "w", encoding="utf-8", newline="\n") as f:
    f.write("MUS:Artist,MUS:Title,MUS:Album,MUS:Media,MUS:FileNumber,MUS:ChartNumber,MUS:TrackNumber,MUS:Time,MUS:Composer,MUS:Rating\n")
    for i in range(n):
        a = artists[min(int(rnd.paretovariate(1.1)) - 1, 19999)]
        t = " ".join(rnd.choice(words) for _ in range(rnd.randint(1, 5))).capitalize()
        al = " ".join(rnd.choice(words) for _ in range(rnd.randint(1, 3))).title()
        secs = rnd.randint(90, 600)
        f.write(",".join([q(a), q(t), q(al), q(rnd.choice(media)), q(f"A{i % 5000}"), str(rnd.choice([0, 0, 0, rnd.randint(1, 100)])),
                          str(rnd.randint(1, 20)), q(f"00:{secs // 60:02d}:{secs % 60:02d}"), q(rnd.choice(words).title() + " " + rnd.choice(words).title()), q(str(rnd.randint(1, 10)))]) + "\n")
