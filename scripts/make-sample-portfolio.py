#!/usr/bin/env python3
"""Writes examples/sample-portfolio/: a realistic book for `creditsim run`.

Seeded, standard library only, so the committed files can be regenerated
bit for bit: python3 scripts/make-sample-portfolio.py [OUTPUT_DIR]

Market data (see the folder's README for the sources): S&P's average one-year
transition matrix as republished in 1997, recovery means by seniority, and
the industrial spread curve of 30 June 2004, scaled into four spread classes.
"""
import math
import os
import random
import sys

SEED = 20040630
ISSUERS = 300
INACTIVE = 12
CREDIT_POSITIONS = 2700
MARKET_POSITIONS = 300

GRADES = ["AAA", "AA", "A", "BBB", "BB", "B", "CCC"]
# Share of each grade in the book: investment grade heavy, as a bank's
# corporate book usually is.
GRADE_MIX = [0.03, 0.10, 0.27, 0.33, 0.15, 0.09, 0.03]
SECTORS = ["automotive", "banks", "chemicals", "energy", "industrials", "media", "retail", "utilities"]

TRANSITION_PERCENT = [
    ["AAA", 90.81, 8.33, 0.68, 0.06, 0.12, 0, 0, 0],
    ["AA", 0.70, 90.65, 7.79, 0.64, 0.06, 0.14, 0.02, 0],
    ["A", 0.09, 2.27, 91.05, 5.52, 0.74, 0.26, 0.01, 0.06],
    ["BBB", 0.02, 0.33, 5.95, 86.93, 5.30, 1.17, 0.12, 0.18],
    ["BB", 0.03, 0.14, 0.67, 7.73, 80.53, 8.84, 1.00, 1.06],
    ["B", 0, 0.11, 0.24, 0.43, 6.48, 83.46, 4.07, 5.20],
    ["CCC", 0.22, 0, 0.22, 1.30, 2.38, 11.24, 64.86, 19.79],
]

TENORS = [1, 2, 3, 5, 7, 10, 30]
INDUSTRIAL_SPREADS = {
    "AAA": [5, 10, 15, 22, 27, 30, 55],
    "AA": [15, 25, 30, 37, 44, 50, 65],
    "A": [40, 50, 57, 65, 71, 75, 90],
    "BBB": [65, 80, 88, 95, 126, 149, 175],
    "BB": [290, 290, 265, 240, 265, 210, 235],
    "B": [525, 550, 600, 500, 450, 450, 725],
    "CCC": [1500, 1600, 1550, 1400, 1300, 1375, 1500],
}
# Spread class scalings of the industrial curve: subordinated debt pays more
# than senior, loans and secured debt less.
CLASS_SCALING = {"senior": 1.0, "subordinated": 1.5, "loan": 0.8, "secured": 0.6}
CLASS_MIX = [("senior", 0.50), ("subordinated", 0.15), ("loan", 0.20), ("secured", 0.15)]
# Pairs of sectors that move together more than the rest.
SECTOR_PAIRS = [("automotive", "chemicals", 0.18), ("energy", "utilities", 0.16), ("media", "retail", 0.14)]
MATURITIES = [1, 1.5, 2, 2.5, 3, 4, 5, 5, 6, 7, 7, 8, 10, 10, 12, 15, 20, 25, 30]


def weighted(rng, pairs):
    x = rng.random()
    for item, weight in pairs:
        x -= weight
        if x < 0:
            return item
    return pairs[-1][0]


def curve_spread(spread_class, grade, maturity):
    """Linear interpolation on the tenor grid, as the simulation does."""
    curve = INDUSTRIAL_SPREADS[grade]
    for i in range(len(TENORS) - 1):
        if TENORS[i] <= maturity <= TENORS[i + 1]:
            w = (maturity - TENORS[i]) / (TENORS[i + 1] - TENORS[i])
            return CLASS_SCALING[spread_class] * (curve[i] + (curve[i + 1] - curve[i]) * w)
    return CLASS_SCALING[spread_class] * curve[-1]


def write(path, lines):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def make_issuers(rng):
    issuers = []
    grade_pairs = list(zip(GRADES, GRADE_MIX))
    inactive = set(rng.sample(range(ISSUERS), INACTIVE))
    for i in range(ISSUERS):
        sector = SECTORS[i % len(SECTORS)]
        rating = "inactive" if i in inactive else weighted(rng, grade_pairs)
        issuers.append((f"{sector[:4].upper()}{i + 1:03d}", rating, sector))
    return issuers


def make_assets(rng, issuers):
    rows = []
    # Larger names carry more positions: a Pareto-like weight per issuer.
    weights = [rng.paretovariate(1.5) for _ in issuers]
    total = sum(weights)
    cumulative, acc = [], 0.0
    for w in weights:
        acc += w / total
        cumulative.append(acc)
    for p in range(CREDIT_POSITIONS):
        x = rng.random()
        index = next((i for i, c in enumerate(cumulative) if x < c), len(issuers) - 1)
        issuer_id, rating, _ = issuers[index]
        spread_class = weighted(rng, CLASS_MIX)
        maturity = rng.choice(MATURITIES)
        face = round(rng.lognormvariate(math.log(5), 0.8), 2)
        grade = rating if rating != "inactive" else "BBB"
        spread = round(curve_spread(spread_class, grade, maturity) * rng.uniform(0.85, 1.15), 1)
        duration = round((1 - math.exp(-0.045 * maturity)) / 0.045, 3)
        price = 1 + (rng.uniform(-40, 40)) * duration / 10000
        value = round(face * price, 4)
        rows.append(f"C{p + 1:05d},{issuer_id},{spread_class},{face},{value},{spread},{duration},{maturity}")
    for p in range(MARKET_POSITIONS):
        kind = "market1" if p % 3 else "market2"
        value = round(rng.lognormvariate(math.log(4), 0.6), 4)
        rows.append(f"M{p + 1:04d},,{kind},,{value},,,")
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "examples", "sample-portfolio")
    os.makedirs(out, exist_ok=True)
    rng = random.Random(SEED)
    issuers = make_issuers(rng)
    write(os.path.join(out, "issuers.csv"), ["id,rating,sector"] + [",".join(i) for i in issuers])
    write(os.path.join(out, "transition.csv"),
          ["from,AAA,AA,A,BBB,BB,B,CCC,D"] + [",".join(str(v) for v in row) for row in TRANSITION_PERCENT])
    spread_lines = ["class,grade," + ",".join(f"{t}y" for t in TENORS)]
    for spread_class, scaling in CLASS_SCALING.items():
        for grade in GRADES:
            spread_lines.append(f"{spread_class},{grade}," + ",".join(f"{v * scaling:g}" for v in INDUSTRIAL_SPREADS[grade]))
    write(os.path.join(out, "spreads.csv"), spread_lines)
    write(os.path.join(out, "sector-correlation.csv"),
          ["sector_a,sector_b,correlation"] + [f"{a},{b},{c}" for a, b, c in SECTOR_PAIRS])
    write(os.path.join(out, "assets.csv"),
          ["id,issuer,kind,face,value,spread,duration,maturity"] + make_assets(rng, issuers))
    write(os.path.join(out, "portfolio.toml"), [
        "# The bundled sample portfolio; written by scripts/make-sample-portfolio.py.",
        "# Amounts are in millions (EUR); spreads in basis points.",
        "",
        "[simulation]",
        "scenarios = 20000",
        "seed = 20040630   # remove for a clock seed; --seed overrides",
        "",
        "[volatility]",
        "spread = 0.25     # the systematic spread multiplier's shock",
        "market1 = 0.20    # equity-like factor",
        "market2 = 0.08    # rates-like factor",
        "",
        "[recovery]",
        "mean_a = 0.5113   # senior unsecured (senior, subordinated, loan)",
        "mean_b = 0.5380   # senior secured (secured)",
        "",
        "[files]",
        'issuers = "issuers.csv"',
        'assets = "assets.csv"',
        'spreads = "spreads.csv"',
        'transition = "transition.csv"',
        "",
        "[migration]",
        'unit = "percent"',
        "row_tolerance = 0.0005",
        "",
        "[correlation]",
        "within_sector = 0.25",
        "between_sectors = 0.10",
        'pairs = "sector-correlation.csv"',
    ])


if __name__ == "__main__":
    main()
