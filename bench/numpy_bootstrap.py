#!/usr/bin/python3
"""The paired bootstrap of velmora-batch as a user would write it in numpy.

    numpy_bootstrap.py DATAFILE [--trials T] [--level 0.95] [--seed S]

Columns 1 and 2 of a space-delimited file ("." missing): the pooled and
nonpooled Cohen's d and robust d (20% trimmed means, Winsorized variances)
of the complete pairs, then T trials that resample the pairs with
rng.integers, sort each trial and recompute the four estimates, vectorised
over blocks of trials, and the percentile intervals. It exists to compare
speed (bench/scale.sh); its figures follow the same definitions in double
precision, so the last digits need not match velmora-batch's, and the
observed estimates use the complete pairs only.
"""
import argparse

import numpy as np

ROBUST_SCALE = np.sqrt(0.4129)


def estimates(x, y):
    """The four d values of samples in the rows of x and y (each row sorted)."""
    n = x.shape[1]
    g = int(n * 0.2)
    out = []
    stats = []
    for v in (x, y):
        mean = v.mean(axis=1)
        var = v.var(axis=1, ddof=1)
        trimmed = v[:, g:n - g].mean(axis=1)
        wins = np.clip(v, v[:, [g]], v[:, [n - g - 1]])
        wvar = wins.var(axis=1, ddof=1)
        stats.append((mean, var, trimmed, wvar))
    (m1, v1, t1, w1), (m2, v2, t2, w2) = stats
    pooled_var = (v1 + v2) / 2
    pooled_wvar = (w1 + w2) / 2
    with np.errstate(divide="ignore", invalid="ignore"):
        out.append(np.where(pooled_var > 0, (m2 - m1) / np.sqrt(pooled_var), np.nan))
        out.append(np.where(pooled_wvar > 0, ROBUST_SCALE * (t2 - t1) / np.sqrt(pooled_wvar), np.nan))
        out.append(np.where(v1 > 0, (m2 - m1) / np.sqrt(v1), np.nan))
        out.append(np.where(w1 > 0, ROBUST_SCALE * (t2 - t1) / np.sqrt(w1), np.nan))
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("datafile")
    parser.add_argument("--trials", type=int, default=2000)
    parser.add_argument("--level", type=float, default=0.95)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    with open(args.datafile) as f:
        tokens = f.read().split()
    values = np.array([np.nan if t == "." else float(t) for t in tokens]).reshape(-1, 2)
    pairs = values[~np.isnan(values).any(axis=1)]
    a, b = pairs[:, 0], pairs[:, 1]
    n = len(a)

    observed = estimates(np.sort(a)[None, :], np.sort(b)[None, :])
    rng = np.random.default_rng(args.seed)
    collected = [[] for _ in range(4)]
    block = max(1, min(args.trials, 4_000_000 // n))  # bounded memory per block
    done = 0
    while done < args.trials:
        k = min(block, args.trials - done)
        idx = rng.integers(0, n, size=(k, n))
        x = np.sort(a[idx], axis=1)
        y = np.sort(b[idx], axis=1)
        for j, d in enumerate(estimates(x, y)):
            collected[j].append(d)
        done += k

    alpha = (1 - args.level) / 2
    names = ["pooled D", "pooled Robust D", "nonpooled D", "nonpooled Robust D"]
    for j, name in enumerate(names):
        d = np.concatenate(collected[j])
        d = np.sort(d[~np.isnan(d)])
        q = int(alpha * len(d)) if j < 2 else int(np.rint(alpha * len(d)))
        lower, upper = (d[q], d[len(d) - q - 1]) if len(d) else (np.nan, np.nan)
        print(f"{name} = {observed[j][0]:.3f}, {args.level:.0%} CI ({lower:.3f}, {upper:.3f}), "
              f"{len(d)} valid trials")


if __name__ == "__main__":
    main()
