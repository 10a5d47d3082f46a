#!/usr/bin/env python3
"""The --json document of a run, read back by Python's json module.

Every figure it holds must equal the one the text report prints, at the
printed digits; a run that fails, or whose outputs clash, writes no document.
Usage: check_run_json.py VELMORA_BATCH EXAMPLE_DATA SCRATCH_DIR
"""
import json
import os
import re
import subprocess
import sys

exe, data, scratch = sys.argv[1:4]
os.makedirs(scratch, exist_ok=True)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*args):
    return subprocess.run([exe, *args], capture_output=True)


def same(value, text, decimals=3, where=""):
    """`value` from the document prints as `text` when rounded to `decimals`."""
    if text in ("n/c", "n/a"):
        check(value is None, f"{where}: {text} printed, {value} in the document")
        return
    check(value is not None, f"{where}: {text} printed, null in the document")
    if value is not None:
        check(round(value, decimals) == float(text), f"{where}: {text} printed, {value} written")


doc_path = os.path.join(scratch, "run.json")
text_path = os.path.join(scratch, "run.txt")
for path in (doc_path, text_path):
    if os.path.exists(path):
        os.remove(path)
done = run("--var1", "1", "--var2", "2", "--trials", "1000", "--level", "90", "--sd-from", "2",
           "--seed", "7", "--paired", "--descriptives", "1-3", "--json", doc_path,
           "-o", text_path, data)
check(done.returncode == 0, f"the example run failed: {done.stderr!r}")
with open(doc_path, "rb") as f:
    raw = f.read()
check(raw.endswith(b"}\r\n") and b"\n" not in raw.replace(b"\r\n", b""), "lines end in CR LF")
doc = json.loads(raw)
with open(text_path, "rb") as f:
    lines = f.read().decode().split("\r\n")


def line_after(prefix):
    found = [l[len(prefix):] for l in lines if l.startswith(prefix)]
    check(len(found) == 1, f"one line begins {prefix!r}")
    return found[0] if found else ""


check(doc["program"] == "velmora-batch", "program")
check(doc["version"] == run("--version").stdout.decode().split()[-1], "version")
check(doc["data_file"]["name"] == data, "data file name")
check(str(doc["data_file"]["cases"]) == line_after("Number of Cases: "), "cases")
check(str(doc["data_file"]["variables"]) == line_after("Number of Variables: "), "variables")
check(doc["options"] == {"var1": 1, "var2": 2, "level": 90, "sd_from": 2, "trials": 1000,
                         "seed": 7, "arithmetic": "auto", "paired": True,
                         "descriptives": [1, 2, 3]}, f"options {doc['options']}")

# Descriptives: Name, Mean, SD, Min, Max, N in 10-character cells.
rows = [l for l in lines if re.match(r"Var \d+ {2,}", l) and len(l) == 60]
check(len(rows) == len(doc["descriptives"]) == 3, "three Descriptives rows")
for row, d in zip(rows, doc["descriptives"]):
    cells = [row[i:i + 10].strip() for i in range(0, 60, 10)]
    check(cells[0] == f"Var {d['variable']}", f"Descriptives row {cells[0]}")
    for key, cell in zip(("mean", "sd", "min", "max"), cells[1:5]):
        same(d[key], cell, where=f"Descriptives {cells[0]} {key}")
    check(cells[5] == str(d["n"]), f"Descriptives {cells[0]} n")

# The group table: 15-character cells.
es = doc["effect_size"]
table = {l[:15].strip(): (l[15:30].strip(), l[30:45].strip()) for l in lines if len(l) == 45}
for label, key in (("Sample Size", "n"), ("Mean", "mean"), ("Trimmed Mean", "trimmed_mean"),
                   ("Variance", "variance"), ("Wins. Var.", "wins_variance")):
    for printed, var in zip(table[label], ("var1", "var2")):
        same(es[var][key], printed, where=f"{label} {var}")
same(es["pooled_variance"], line_after("Pooled variance = "), where="pooled variance")
same(es["pooled_wins_variance"], line_after("Pooled Winsorized variance = "), where="pooled wins")
for key, label, ci, valid in (
        ("pooled_d", "Pooled Cohen's D", "pooled D", "pooled D"),
        ("pooled_robust_d", "Pooled Robust Cohen's D", "pooled Robust D", "pooled robust D"),
        ("nonpooled_d", "Nonpooled Cohen's D", "nonpooled D", "nonpooled D"),
        ("nonpooled_robust_d", "Nonpooled Robust Cohen's D", "nonpooled Robust D",
         "nonpooled robust D")):
    e = es["estimates"][key]
    same(e["d"], line_after(label + " = "), where=key)
    low, high = line_after(f"90% CI for population {ci} = (").rstrip(")").split(", ")
    same(e["lower"], low, where=key + " lower")
    same(e["upper"], high, where=key + " upper")
    check(str(e["valid"]) == line_after(f"Number of valid {valid} bootstrap trials = "), key)
check(str(es["trials"]) == line_after("Number of attempted bootstrap trials = "), "trials")
check(str(es["nonpooled_sd_variable"]) == line_after("Nonpooled variance obtained from Varaible "),
      "nonpooled SD variable")
check(es["precision_note"] is None and es["lost_precision_columns"] == [], "no precision note")

# The paired block.
p = doc["paired"]
n_line = line_after("Complete pairs n = ")
check(n_line.startswith(f"{p['n']}; r = "), "pairs")
same(p["r"], n_line.split("r = ")[1], where="r")
j_line = line_after("g = J(m) x d with m = n - 1 = ")
check(j_line.startswith(f"{p['m']}; J(m) = "), "m")
same(p["j"], j_line.split("J(m) = ")[1], decimals=6, where="J(m)")
check(line_after("90% CI from ").startswith(f"{p['trials']} bootstrap trials"), "paired trials")
names = {"d_z": "d_z", "robust d_z": "robust_d_z", "d_rm": "d_rm", "d_av": "d_av",
         "d_b (SD Var 2)": "d_b", "robust d_av": "robust_d_av"}
seen = 0
for l in lines:
    if l[:18].strip() not in names or len(l) != 108:
        continue
    seen += 1
    key = names[l[:18].strip()]
    e = p["estimates"][key]
    cells = [l[i:i + 10].strip() for i in range(18, 108, 10)]
    same(e["d"], cells[0], where=key + " d")
    same(e["g"], cells[1], where=key + " g")
    for k, kind in enumerate(("percentile", "bca", "analytic")):
        limits = e[kind]
        if limits is None:
            check(cells[2 + 2 * k:4 + 2 * k] == ["n/a", "n/a"], f"{key} {kind} is n/a")
            continue
        same(limits["lower"], cells[2 + 2 * k], where=f"{key} {kind} lower")
        same(limits["upper"], cells[3 + 2 * k], where=f"{key} {kind} upper")
        for end in ("lower", "upper"):  # g's limits are J(m) times d's
            if limits[end] is not None:
                check(abs(limits["g_" + end] - p["j"] * limits[end]) <= 1e-15 * abs(limits[end]),
                      f"{key} {kind} g_{end}")
    check(cells[8] == str(e["valid"]), key + " valid")
check(seen == 6, "six rows in the paired table")
check(p["estimates"]["d_z"]["analytic"] is not None and p["estimates"]["d_b"]["analytic"] is not None,
      "d_z and d_b have analytic limits")
t = p["t_test"]
m = re.fullmatch(r"M_D = (\S+); SD = (\S+); 90% CI = \((\S+), (\S+)\)",
                 line_after("Paired t test on D: "))
check(m is not None, "t test line")
if m:
    for value, printed in zip((t["mean_difference"], t["sd"], t["lower"], t["upper"]), m.groups()):
        same(value, printed, where="t test")
m = re.fullmatch(r"(\S+); df = (\d+); p (<|=) (\S+)", line_after("t = "))
check(m is not None, "t line")
if m:
    same(t["t"], m.group(1), where="t")
    check(m.group(2) == str(t["df"]), "df")
    if m.group(3) == "<":
        check(m.group(4) == ".001" and t["p"] < 0.001, "p below .001")
    else:
        same(t["p"], m.group(4), where="p")

# What the report cannot compute is null: Var 1 constant leaves the SD of the
# nonpooled estimators and of d_b at 0, and r undefined.
flat = os.path.join(scratch, "flat.txt")
with open(flat, "w") as f:
    f.write("".join(f"5 {v}\n" for v in (1, 4, 2, 8, 5, 7)))
done = run("--var1", "1", "--var2", "2", "--seed", "3", "--paired", "--json", doc_path,
           "-o", text_path, flat)
check(done.returncode == 0, f"the constant run failed: {done.stderr!r}")
with open(doc_path) as f:
    doc = json.load(f)
with open(text_path, "rb") as f:
    lines = f.read().decode().split("\r\n")
e = doc["effect_size"]["estimates"]["nonpooled_d"]
check(line_after("Nonpooled Cohen's D = ") == "9999999" and e["d"] is None, "9999999 is null")
check(e["lower"] is None and e["upper"] is None and e["valid"] == 0, "no valid trial: null limits")
check(line_after("Complete pairs n = ") == "6; r = n/c" and doc["paired"]["r"] is None, "r n/c")
d_b = [l for l in lines if l.startswith("d_b (SD Var 1)")]
check(len(d_b) == 1 and d_b[0].split()[-3:-1] == ["n/c", "n/c"], "d_b's analytic limits n/c")
check(doc["paired"]["estimates"]["d_b"]["analytic"] == {
    "lower": None, "upper": None, "g_lower": None, "g_upper": None}, "d_b analytic nulls")

# A run that fails writes no document, and leaves one already there alone.
refused = os.path.join(scratch, "refused.json")
kept = os.path.join(scratch, "kept.json")
for path in (refused,):
    if os.path.exists(path):
        os.remove(path)
with open(kept, "w") as f:
    f.write("before")
for path in (refused, kept):
    failed = run("--var1", "1", "--var2", "1", "--json", path, data)  # identical variables
    check(failed.returncode == 1, f"identical variables: status {failed.returncode}")
check(not os.path.exists(refused), "a failed run wrote a JSON document")
with open(kept) as f:
    check(f.read() == "before", "a failed run changed the JSON file there")
clash = run("--var1", "1", "--var2", "2", "--json", refused, "--plot", refused, data)
check(clash.returncode == 2 and not os.path.exists(refused), "--json and --plot on one file")
only_data = run("--json", refused, data)  # no analysis: the data file alone
check(only_data.returncode == 0, "a run without analyses")
with open(refused) as f:
    bare = json.load(f)
check(bare["descriptives"] is None and bare["effect_size"] is None and bare["paired"] is None
      and bare["options"]["seed"] is None, "a document without analyses has nulls")

for failure in failures:
    print("FAIL:", failure)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
