#!/usr/bin/env python3
"""Writes the fifty streets of Brettspalt, content/config/Level01.txt to
Level50.txt, from the table of chapters and streets below.

    python3 tools/streets/make_streets.py [--check]

The generated files are committed and are what the game ships; edit this table
and run the script again instead of editing them by hand. --check only
compares and exits 1 when a file would change.

Five chapters of ten streets, each bringing one new idea and then mixing it
with the earlier ones: furniture and gas; removal men who nail; lawyers with
leaflets; policemen who charge; everything at once on long streets. Within a
chapter the streets grow longer, hold more and tougher pieces, fewer
canisters, less gas at the start and a tighter clock. A chapter's first street
is a fair way in, because the start-level screen starts there.

The clock of each street comes from how long the bot (brettspalt --headless
--bot) needs for it: tools/streets/measured.txt holds the bot's median seconds
per street, and TIME is that divided by the share of the clock the street
should use. Without a measurement the rough estimate below stands in.
"""
import os
import random
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
OUT = os.path.join(ROOT, "content", "config")

# Sawing work of each piece (the four SAWCYCLES sections in ObjectProps.txt;
# 80 units are a second of sawing), lightest first.
WORK = {
    "Stuhl": 160, "Tisch": 240, "Sessel": 280, "Fernseher": 280,
    "Kommode": 320, "Standuhr": 320, "Sofa": 360, "Schreibtisch": 360, "Bett": 400,
    "Buecherregal": 440, "Schrank": 480, "Truhe": 600, "Klavier": 640, "Kuehlschrank": 680,
}
LIGHT = ["Stuhl", "Tisch", "Sessel", "Fernseher"]
MEDIUM = ["Kommode", "Standuhr", "Sofa", "Schreibtisch", "Bett"]
HEAVY = ["Buecherregal", "Schrank", "Truhe", "Klavier", "Kuehlschrank"]

# Gas, in percent of a tank: sawing burns 0.0006 a time unit, everything else
# 0.00005 (80 units a second).
SAW_GAS_PER_WORK = 0.06
IDLE_GAS_PER_SECOND = 0.4

CHAPTERS = [
    # name, width first..last, pieces first..last, toughness first..last,
    # start gas first..last, gas margin first..last,
    # removal men, lawyers, policemen (first..last each), lawyer malus first..last
    dict(name="Furniture and gas", width=(3, 5), pieces=(4, 9), tough=(0.0, 0.55),
         gas=(100, 60), margin=(2.2, 1.35), removal=(0, 0), lawyer=(0, 0), police=(0, 0),
         malus=(5, 5)),
    dict(name="Removal men", width=(3, 6), pieces=(5, 10), tough=(0.15, 0.6),
         gas=(100, 60), margin=(2.0, 1.35), removal=(1, 4), lawyer=(0, 0), police=(0, 0),
         malus=(5, 5)),
    dict(name="Lawyers", width=(4, 6), pieces=(5, 10), tough=(0.2, 0.65),
         gas=(100, 60), margin=(2.0, 1.35), removal=(1, 2), lawyer=(1, 3), police=(0, 0),
         malus=(4, 8)),
    dict(name="Policemen", width=(4, 7), pieces=(6, 11), tough=(0.25, 0.7),
         gas=(100, 60), margin=(2.0, 1.35), removal=(0, 2), lawyer=(0, 2), police=(1, 3),
         malus=(6, 8)),
    dict(name="Moving day", width=(6, 9), pieces=(9, 14), tough=(0.35, 0.75),
         gas=(100, 60), margin=(1.9, 1.45), removal=(1, 3), lawyer=(1, 2), police=(1, 3),
         malus=(8, 10)),
]

# Share of the clock a street should leave over for the bot: a chapter's first
# streets are relaxed, the last ones tight. The first three streets teach.
def target_left(n, k):
    if n <= 3:
        return 0.68
    return 0.5 - 0.24 * k / 9.0

# Street titles, written into each file's first comment.
TITLES = [
    "your first morning with the saw", "a chair, a table and a sofa", "mind the gauge",
    "heavier wood", "one canister less", "a long row of cupboards", "the piano street",
    "half a tank", "the fridge parade", "the whole flat on the pavement",
    "the removal men arrive", "boards on the dresser", "two men, one van",
    "hammers at dawn", "three removal men", "nailed shut", "a busy van",
    "four men and a piano", "a long morning's move", "the removal firm's best",
    "a lawyer with leaflets", "small print", "objections in writing",
    "two lawyers", "the court's list", "time is money", "three leaflets",
    "counsel for the ex-wife", "the lawyers' lunch", "a pile of paperwork",
    "a policeman on patrol", "no sawing in public", "two on the beat",
    "the whole station", "a long patrol", "police and paperwork",
    "the riot squad", "a warrant for the wardrobe", "the long arm of the law",
    "the last patrol", "moving day", "the town wakes up", "all hands",
    "the big street", "everybody's against you", "long way round",
    "the fridge and the law", "the whole town", "one last load", "the final street",
]

# Street 1 keeps the layout it always had (the dresser right behind the
# player at the start is where the first cut is shown) and a clock of one
# minute (the end-to-end sound check lets it run out).
STREET_ONE = dict(pieces=[(0.85, "Stuhl"), (1.35, "Tisch"), (1.9, "Kommode"), (2.45, "Sessel")],
                  gas=[1.6], van=2.8, time=60)

FIRST_STREETS = {
    1: ["Stuhl", "Tisch", "Kommode", "Sessel"],
    2: ["Stuhl", "Sofa", "Tisch", "Kommode", "Sessel"],
    3: ["Buecherregal", "Sessel", "Bett", "Stuhl", "Schrank"],
}

# What each street teaches, one line each (docs/streets.md).
TEACHES = [
    "walk and saw: four light pieces, one canister, a relaxed clock",
    "plan the order along the loop; the sofa's upholstery takes longer",
    "heavy wood: a bookcase and a wardrobe empty the tank fast",
    "a longer street: walking starts to cost time",
    "fewer canisters for the work: refill before the saw runs dry",
    "less gas at the start: the way to a canister matters",
    "heavier pieces on a wider loop",
    "a tighter clock: no walking back and forth",
    "the big pieces of the new flat (fridge, chest) on a long loop",
    "chapter test: nine pieces, little spare gas or time",
    "one removal man: boarded pieces need the boards sawn off first",
    "raise the saw at a removal man before he boards your piece",
    "a removal man who gets angry at the noise charges: threaten him",
    "two removal men on a wider street",
    "two men and heavier furniture",
    "three men: saw where they are not",
    "boards everywhere: the extra sawing eats gas",
    "three men, less gas at the start",
    "four men on a long street",
    "chapter test: four removal men, ten pieces, a tight clock",
    "a lawyer: his leaflets cost seconds, so keep him off",
    "lawyers follow you: threaten them before they reach you",
    "a lawyer and a removal man together",
    "two lawyers: the clock shrinks while you read",
    "leaflets cost more seconds now",
    "two lawyers and heavier pieces",
    "three lawyers on a wider street",
    "leaflets, boards and little gas",
    "three lawyers, two removal men, a tight clock",
    "chapter test: the clock against three lawyers",
    "a policeman: saw near him and he charges, so face him with the saw",
    "send the policeman off before you start sawing",
    "a policeman and a removal man",
    "two policemen on patrol",
    "police, boards and leaflets on one street",
    "two policemen and heavy pieces",
    "three policemen: pick the quiet end of the street",
    "everybody on a long street, less gas",
    "three policemen and big pieces",
    "chapter test: the police chapter's longest street",
    "moving day: every kind of neighbour on a long street",
    "long walks between pieces: use every canister on the way",
    "heavier furniture with everybody about",
    "a wider loop; the clock starts to bite",
    "three removal men and the police",
    "lawyers and police together on a long street",
    "big pieces, little gas, many neighbours",
    "the longest streets: keep moving",
    "everything at once with little gas",
    "the final street: the whole town against you",
]

CHARPROP_NOTE = "! CHARACTER x TYPE facing (0 left, 1 right)."


def lerp(a, b, t):
    return a + (b - a) * t


def choose_pieces(rng, count, tough):
    """count pieces: light ones thin out and heavy ones come in as tough rises."""
    pieces = []
    for i in range(count):
        r = rng.random()
        if r < 0.5 - 0.45 * tough:
            pool = LIGHT
        elif r < 0.9 - 0.35 * tough:
            pool = MEDIUM
        else:
            pool = HEAVY
        pieces.append(rng.choice(pool))
    return pieces


def spread(count, width, start, avoid, gap, rng):
    """count positions round the loop, evenly spaced with a little jitter,
    kept `gap` away from the player's start `avoid`."""
    out = []
    step = width / count
    for i in range(count):
        x = start + i * step + rng.uniform(-0.12, 0.12) * step
        x %= width
        d = (x - avoid + width / 2) % width - width / 2
        if abs(d) < gap:
            x = (avoid + (gap if d >= 0 else -gap)) % width
        out.append(round(x, 2))
    return out


def load_measured():
    path = os.path.join(HERE, "measured.txt")
    measured = {}
    if os.path.exists(path):
        for line in open(path):
            line = line.split("#")[0].split()
            if len(line) >= 2:
                measured[int(line[0])] = float(line[1])
    return measured


def street(n, measured):
    c = (n - 1) // 10
    k = (n - 1) % 10
    t = k / 9.0
    ch = CHAPTERS[c]
    rng = random.Random(1000 + n)
    width = int(round(lerp(*ch["width"], t)))
    count = int(round(lerp(*ch["pieces"], t)))
    tough = lerp(*ch["tough"], t)
    names = choose_pieces(rng, count, tough)
    # The first street of a chapter starts with a light piece in view; the
    # first streets of all keep the pieces they always had.
    if k == 0:
        names[0] = "Stuhl"
    names = FIRST_STREETS.get(n, names)
    player = width / 2 + 0.5  # where the player stands at the start
    positions = spread(count, width, player + 0.35, player, 0.2, rng)
    removal = int(round(lerp(*ch["removal"], t)))
    lawyers = int(round(lerp(*ch["lawyer"], t)))
    police = int(round(lerp(*ch["police"], t)))
    people = ["REMOVALMAN"] * removal + ["LAWYER"] * lawyers + ["POLICEMAN"] * police
    rng.shuffle(people)
    figure_pos = spread(len(people), width, player + width / 2, player, 0.75, rng) if people else []

    work = sum(WORK[p] for p in names) + 205 * removal  # a board or so per man
    start_gas = int(round(lerp(*ch["gas"], t) / 5.0)) * 5
    # Rough seconds for the bot: sawing, walking the loop, refills, people.
    estimate = work / 80.0 + 1.5 * count + width * 1.3 + 4 * len(people)
    # Raising the saw at the people costs gas too, the more of them the more.
    need = (work * SAW_GAS_PER_WORK + estimate * IDLE_GAS_PER_SECOND + 15 * removal
            + 30 * (police + lawyers))
    margin = lerp(*ch["margin"], t)
    canisters = max(1, -(-int(need * margin - start_gas) // 100))
    gas_pos = spread(canisters, width, player + 0.15 + width / (2 * canisters), player, 0.1, rng)
    van = round((player - 0.85) % width, 2)
    if n == 1:
        positions = [x for x, _ in STREET_ONE["pieces"]]
        names = [name for _, name in STREET_ONE["pieces"]]
        gas_pos = STREET_ONE["gas"]
        van = STREET_ONE["van"]
    used = measured.get(n, estimate)
    time = int(round(used / (1.0 - target_left(n, k)) / 5.0)) * 5
    if n == 1:
        time = STREET_ONE["time"]
    malus = int(round(lerp(*ch["malus"], t)))

    lines = [
        "! Brettspalt - Street %d: %s." % (n, TITLES[n - 1]),
        "! Chapter %d of 5, %s (street %d of 10). Written by tools/streets/make_streets.py;"
        % (c + 1, ch["name"].lower(), k + 1),
        "! change the table there rather than this file. Positions are in screen widths",
        "! along the street, which loops after VIRTUALPLAYFIELDWIDTH screens.",
        CHARPROP_NOTE,
        "",
        "#VIRTUALPLAYFIELDWIDTH %d" % width,
        "#TIME %d" % time,
        "#SETGFX %d" % ((n - 1) % 3),
        "#STARTGAS %d" % start_gas,
        "#LAWYERMALUS %d" % malus,
        "#BONUS %d" % (2 + c),
        "#CONSUMPTION 0.00005 0.0006 0.0015",
        "#REFILLSPEED 1.0",
    ]
    for i, score in enumerate(LIFE_SCORES[c]):
        lines.append("#NEWLIFESCORE%d %d" % (i + 1, score))
    lines += ["", "! Furniture"]
    for x, name in sorted(zip(positions, names)):
        lines.append("#OBJECT %.2f %s" % (x, name))
    lines += ["! Gas canisters and the van"]
    for x in sorted(gas_pos):
        lines.append("#GAS %.2f" % x)
    lines.append("#VAN %.2f" % van)
    if people:
        lines += ["! People"]
        for x, who in zip(figure_pos, people):
            lines.append("#CHARACTER %.2f %s %d" % (x, who, rng.randrange(2)))
    return "\n".join(lines) + "\n"


# Extra lives: three score thresholds per chapter. A game begun at a chapter's
# first street starts from 0 and meets the first one near the chapter's end
# only by sawing well (the bot scores about 9000 to 19000 a chapter); one
# begun at street 1 arrives with more and meets the second (and on the last
# chapter the third) about halfway through.
LIFE_SCORES = [
    (3000, 7000, 12000),
    (6500, 14000, 22000),
    (8000, 24000, 32000),
    (8000, 34000, 44000),
    (12000, 48000, 56000),
]


def measure(runs):
    """Writes measured.txt from a validation run's folder of bot results
    (N-SEED.txt, one 'street ...' line each): the median seconds the bot used
    on each street, a run that was no clean win counting as the whole clock
    (as the validation counts it as no time left)."""
    used = {}
    for name in sorted(os.listdir(runs)):
        if not name.endswith(".txt") or "-" not in name:
            continue
        for line in open(os.path.join(runs, name)):
            f = line.split()
            if len(f) >= 12 and f[0] == "street":
                clean = f[2] == "won" and f[11] == "0"
                used.setdefault(int(f[1]), []).append(
                    int(f[6]) - int(f[4]) if clean else int(f[6]))
    old = load_measured()
    with open(os.path.join(HERE, "measured.txt"), "w") as out:
        out.write("# street, median seconds the bot needed to clear it (make_streets.py --measure)\n")
        for n in range(1, 51):
            if n in used:
                v = sorted(used[n])
                out.write("%d %d\n" % (n, v[len(v) // 2]))
            elif n in old:
                out.write("%d %d\n" % (n, old[n]))


def write_doc(table_path):
    """docs/streets.md: the chapters, what each street teaches and the
    validation table (the output of tests/streets/validate_streets.sh)."""
    table = {}
    summary = ""
    for line in open(table_path):
        f = line.split()
        if "streets," in line:
            summary = line.strip()
        elif f and f[0].isdigit():
            table[int(f[0])] = f
    out = [DOC_HEAD]
    out.append("| street | chapter | width | pieces | people | TIME | bot wins | median left | teaches |")
    out.append("|---|---|---|---|---|---|---|---|---|")
    for n in range(1, 51):
        text = open(os.path.join(OUT, "Level%02d.txt" % n)).read()
        width = [l.split()[1] for l in text.splitlines() if l.startswith("#VIRTUALPLAYFIELDWIDTH")][0]
        pieces = text.count("#OBJECT")
        people = text.count("#CHARACTER")
        f = table.get(n)
        wins = f[2] if f else "-"
        median = f[3] if f else "-"
        time = f[1] if f else "-"
        out.append("| %d | %d | %s | %d | %d | %s | %s | %s | %s |" % (
            n, (n - 1) // 10 + 1, width, pieces, people, time, wins, median, TEACHES[n - 1]))
    out.append("")
    out.append(summary and "Last run: " + summary + "." or "")
    with open(os.path.join(ROOT, "docs", "streets.md"), "w") as f:
        f.write("\n".join(out) + "\n")


DOC_HEAD = """# The fifty streets

The game ships fifty streets in five chapters of ten. Each chapter brings one
new idea and then mixes it with the ones before; the start-level screen starts
a game at the first street of any chapter (1, 11, 21, 31, 41), so each of
those is a fair way in.

1. Streets 1-10, *furniture and gas*: only furniture, canisters and the clock.
2. Streets 11-20, *removal men*: they board up pieces and charge at the noise.
3. Streets 21-30, *lawyers*: their leaflets cost seconds.
4. Streets 31-40, *policemen*: they charge at anyone sawing near them.
5. Streets 41-50, *moving day*: everybody at once on long streets.

Within a chapter the streets get longer and hold more and heavier pieces,
while the start gas, the canisters per piece of work and the spare time
shrink. The background sets take turns. Extra lives come at three score
thresholds per chapter (3000/7000/12000 in the first, up to
12000/48000/56000 in the last): a game begun at a chapter's first street
earns the first one late in the chapter, and one begun at street 1, which
arrives with more points, earns a higher one about halfway through; either
way only by sawing well.

## Making and checking the streets

The level files are written by `tools/streets/make_streets.py` from its table
of chapters (widths, piece counts and toughness, start gas, gas margin,
people per kind, leaflet cost). Change the table, not the files, and run the
script; `--check` tells whether the files are up to date.

Every street's clock comes from the bot: the validation test
(`ctest -R streets_validation`, or `tests/streets/validate_streets.sh`) lets
`brettspalt --headless --bot --level N --seed S` play each street from a full
start with seeds 1 to 5. A street passes when the bot clears it without losing
a life with at least three seeds and the median time left is between 10 % and
60 % of `TIME` (75 % on streets 1 to 3, which teach). `make_streets.py
--measure DIR` reads a run's results (`DIR` is the test's `runs` folder) into
`tools/streets/measured.txt`, the bot's median seconds per street, and sets
each `TIME` so that the street leaves about half of the clock at a chapter's
start and about a quarter at its end. `--doc TABLE` rewrites this page from
the test's printed table.

The 250 games take about three minutes of processor time in all (AMD EPYC,
2 cores: 2 min 54 s user time; about 8 minutes of wall time on a machine
shared with other builds, about a minute and a half when it has both cores to
itself). A street's games take 0.2 to 2.5 s each.

## The streets and the last validation run

"Bot wins" counts clean wins (no life lost) of five seeds; "median left" is
the median share of `TIME` left, a run that was no clean win counting as none.
"""


def main():
    check = "--check" in sys.argv[1:]
    if "--doc" in sys.argv[1:]:
        write_doc(sys.argv[sys.argv.index("--doc") + 1])
        return 0
    if "--measure" in sys.argv[1:]:
        measure(sys.argv[sys.argv.index("--measure") + 1])
    measured = load_measured()
    changed = []
    for n in range(1, 51):
        text = street(n, measured)
        path = os.path.join(OUT, "Level%02d.txt" % n)
        old = open(path).read() if os.path.exists(path) else None
        if old != text:
            changed.append(path)
            if not check:
                with open(path, "w") as f:
                    f.write(text)
    if check and changed:
        print("out of date: " + ", ".join(os.path.basename(p) for p in changed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
