#!/usr/bin/env python3
"""kt7-flash --json against docs/kt7-flash.schema.json.

Runs list, info (a sound and a damaged package), status (before and after
an update, a device that does not answer) and update (two devices,
sequential and --parallel, succeeding and failing) on simulated devices,
validates every line against the schema, checks what a script relies on
(one line per object, run-start first and run-end last with the process's
exit code, one result per device, steps in order, nothing but JSON on
standard output, no progress on standard error), and fails when a kind of
line or a step the schema defines was never seen: the schema and the
program must not drift apart.
"""

import argparse
import concurrent.futures
import json
import os
import shutil
import subprocess
import sys

import jsonschema

failures = []


def fail(what):
    failures.append(what)
    print("FAIL: " + what, file=sys.stderr)


class Schema:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.document = json.load(f)
        jsonschema.Draft7Validator.check_schema(self.document)
        self.whole = jsonschema.Draft7Validator(self.document)
        self.seen = set()

    def kinds(self):
        """Every kind of output the schema names: the top level's choices,
        with the update line opened up into its own."""
        definitions = self.document["definitions"]
        names = []
        for choice in self.document["oneOf"]:
            name = choice["$ref"].rsplit("/", 1)[1]
            inner = definitions[name].get("oneOf")
            names += [c["$ref"].rsplit("/", 1)[1] for c in inner] if inner else [name]
        return names

    def phases(self):
        return self.document["definitions"]["phase"]["properties"]["phase"]["enum"]

    def check(self, value, kind, where, whole=True):
        """`value` must be of this kind, and (`whole`) valid output by itself."""
        for error in self.whole.iter_errors(value) if whole else []:
            fail("%s: %s" % (where, error.message))
            return
        part = dict(self.document, **{"$ref": "#/definitions/" + kind})
        part.pop("oneOf")
        for error in jsonschema.Draft7Validator(part).iter_errors(value):
            fail("%s: not a valid %s: %s" % (where, kind, error.message))
            return
        self.seen.add(kind)


def run(flash, args, simulate, state="state"):
    # Runs side by side keep their logs apart.
    env = dict(os.environ, KT7_SIMULATE="reattach=0;" + simulate,
               XDG_STATE_HOME=os.path.join(os.environ["KT7_JSON_WORK"], state))
    done = subprocess.run([flash] + args, env=env, capture_output=True, timeout=60)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def parse_lines(out, where):
    if not out.endswith("\n"):
        fail("%s: standard output does not end with a line break" % where)
    values = []
    for number, line in enumerate(out.splitlines(), 1):
        try:
            values.append(json.loads(line))
        except ValueError as error:
            fail("%s line %d is not JSON (%s): %r" % (where, number, error, line))
    return values


def check_list(schema, flash):
    code, out, _ = run(flash, ["list", "--json"], "devices=2;others=1;release=5512,0123")
    where = "list"
    if code != 0:
        fail("%s: exit code %d" % (where, code))
    values = parse_lines(out, where)
    if len(values) != 1:
        fail("%s: %d JSON texts, one expected" % (where, len(values)))
        return
    schema.check(values[0], "list-output", where)
    for device in values[0]:
        schema.check(device, "list-device", where, whole=False)
    if [d["release"] for d in values[0]] != ["5512", "0123"]:
        fail("%s: releases %r" % (where, values[0]))
    if [d["package"] for d in values[0]] != ["KT7_Down.dat", "KT7_Down0123.dat"]:
        fail("%s: packages %r" % (where, values[0]))
    if [(d["commands"]["first"], d["commands"]["last"]) for d in values[0]] != [("0xA1", "0xA6"), ("0xE1", "0xE6")]:
        fail("%s: command sets %r" % (where, values[0]))

    code, out, _ = run(flash, ["list", "--json"], "devices=0")
    if code != 2 or out != "[]\n":
        fail("list without devices: exit code %d, output %r" % (code, out))


def check_info(schema, flash, good, damaged):
    code, out, _ = run(flash, ["info", "--json", good], "devices=0")
    values = parse_lines(out, "info")
    if code != 0 or len(values) != 1:
        fail("info: exit code %d, %d JSON texts" % (code, len(values)))
    else:
        info = values[0]
        schema.check(info, "info-output", "info")
        if info["check"] is not None:
            fail("info: a sound package fails a check: %r" % info["check"])
        if info["sha256_expected"] is not None:
            fail("info: sha256_expected without --expect-sha256: %r" % info["sha256_expected"])
        if [a["name"] for a in info["areas"]] != ["map", "voice", "main"]:
            fail("info: areas %r" % info["areas"])
        # Quote, backslash and control character escaped, the stray byte made U+FFFD.
        if info["firmware_version"] != '"\\\x01\ufffd':
            fail("info: firmware version %r" % info["firmware_version"])

    code, out, _ = run(flash, ["info", "--json", damaged], "devices=0")
    values = parse_lines(out, "info on a damaged package")
    if code != 1 or len(values) != 1:
        fail("info on a damaged package: exit code %d, %d JSON texts" % (code, len(values)))
    else:
        schema.check(values[0], "info-error", "info on a damaged package")


def check_status(schema, flash, folder):
    """Two devices whose flash lasts from run to run: blank, then the first
    updated, then the second not answering."""
    flash_dir = os.path.join(os.environ["KT7_JSON_WORK"], "status-flash")
    os.makedirs(flash_dir)
    devices = "devices=2;flash=" + flash_dir

    def status(simulate, expected_code, where):
        code, out, err = run(flash, ["status", "--json", "--dir", folder], simulate, "state-status")
        if code != expected_code:
            fail("%s: exit code %d, expected %d\n%s" % (where, code, expected_code, err))
        values = parse_lines(out, where)
        if len(values) != 1:
            fail("%s: %d JSON texts, one expected" % (where, len(values)))
            return []
        schema.check(values[0], "status-output", where)
        for device in values[0]:
            schema.check(device, "status-device", where, whole=False)
        return [(d["location"], d["held"], d["differs"], d["areas_differ"], d["exit_code"], d["error"] is not None)
                for d in values[0]]

    got = status(devices, 6, "status before any update")
    if got != [("sim-0", "no-package", None, None, 6, False), ("sim-1", "no-package", None, None, 6, False)]:
        fail("status before any update: %r" % got)
    code, _, err = run(flash, ["update", "--dir", folder, "--device", "sim-0"], devices, "state-status")
    if code != 0:
        fail("update for status: exit code %d\n%s" % (code, err))
    got = status(devices + ";stall=1@1", 4, "status after an update")
    if got != [("sim-0", "this-package", [], [], 0, False), ("sim-1", None, None, None, 4, True)]:
        fail("status after an update, device 1 not answering: %r" % got)


def state_of(parallel, simulate):
    return "state-%s-%s" % (parallel, simulate)


def run_update(flash, folder, parallel, simulate, more=()):
    args = ["update", "--json", "--dir", folder] + (["--parallel"] if parallel else []) + list(more)
    return run(flash, args, simulate, state_of(parallel, simulate))


def check_update(schema, parallel, simulate, expected_code, ran):
    where = "update %s (%s)" % ("--parallel" if parallel else "sequential", simulate)
    code, out, err = ran
    if code != expected_code:
        fail("%s: exit code %d, expected %d\n%s" % (where, code, expected_code, err))
    for human in ("全国版数据", "等待设备重新连接", "升级成功", "升级失败"):
        if human in err:
            fail("%s: progress or results on standard error: %r" % (where, err))
    lines = parse_lines(out, where)
    for number, line in enumerate(lines, 1):
        schema.check(line, line.get("event", "?"), "%s line %d" % (where, number))
    if not lines:
        return
    if lines[0]["event"] != "run-start" or lines[-1] != {"schema": 1, "event": "run-end", "exit_code": code}:
        fail("%s: not framed by run-start and run-end with the exit code" % where)
        return
    start = lines[0]
    if start["mode"] != ("parallel" if parallel else "sequential"):
        fail("%s: mode %r" % (where, start["mode"]))
    locations = [d["location"] for d in start["devices"]]
    results = [l for l in lines if l["event"] == "result"]
    # A device's attempts (--retry) one after another, counted from 1; its
    # last one is its ending.
    endings = {}
    for r in results:
        if r["attempt"] != endings.get(r["device"], {"attempt": 0})["attempt"] + 1:
            fail("%s: attempt %d of %s out of turn" % (where, r["attempt"], r["device"]))
        endings[r["device"]] = r
    if sorted(endings) != sorted(locations):
        fail("%s: results for %r, devices %r" % (where, [r["device"] for r in results], locations))
    if not parallel and any(r["exit_code"] != code for r in results):
        fail("%s: a sequential run's devices share its outcome: %r" % (where, results))
    if parallel and max((r["exit_code"] for r in endings.values()), default=0) != code:
        fail("%s: the exit code is not the highest of the devices' endings" % where)

    # Per device (or for the whole run, in a sequential run): steps in order,
    # progress never going back.
    phase_order = schema.phases()
    by_device = {}
    for line in lines[1:-1]:
        if line["event"] not in ("phase", "progress", "message"):
            continue
        device = line["device"]
        if parallel and device not in locations:
            fail("%s: a parallel run's line names no device of the run: %r" % (where, line))
        if not parallel and device is not None:
            fail("%s: a sequential run's line names one device: %r" % (where, line))
        state = by_device.setdefault(device, {"phase": -1, "percent": 0})
        if line["event"] == "message" and "trying again" in line["text"]:
            # --retry: the device's sequence starts anew.
            by_device[device] = {"phase": -1, "percent": 0}
        elif line["event"] == "phase":
            index = phase_order.index(line["phase"])
            if index <= state["phase"]:
                fail("%s: step %s out of order" % (where, line["phase"]))
            state["phase"] = index
        elif line["event"] == "progress":
            if line["percent"] < state["percent"]:
                fail("%s: progress went back to %d" % (where, line["percent"]))
            state["percent"] = line["percent"]
    for line in lines:
        if line["event"] == "phase":
            schema.seen.add("phase:" + line["phase"])
    if code == 0 and any(s["percent"] != 100 for d, s in by_device.items() if d is not None or not parallel):
        fail("%s: a successful run ends short of 100%%" % where)
    return lines


def check_records(schema, state, expected, where):
    """The records file a run left in its state folder: every line a valid
    record, one per device and attempt, as (location, result, attempt)."""
    path = os.path.join(os.environ["KT7_JSON_WORK"], state, "kt7-updater", "records.jsonl")
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except OSError as error:
        fail("%s: no records file (%s)" % (where, error))
        return
    if not text.endswith("\n"):
        fail("%s: the records file ends in a partial line" % where)
    records = parse_lines(text, where + " records")
    for number, record in enumerate(records, 1):
        schema.check(record, "record", "%s record %d" % (where, number))
        if (record["result"] == "success") != (record["message"] == ""):
            fail("%s record %d: a failure without its message, or a success with one: %r" % (where, number, record))
    got = sorted((r["location"], r["result"], r["attempt"]) for r in records)
    if got != sorted(expected):
        fail("%s: records %r, expected %r" % (where, got, sorted(expected)))


def make_packages(pack, work):
    good = os.path.join(work, "good")
    damaged = os.path.join(work, "damaged")
    os.makedirs(good)
    os.makedirs(damaged)
    for name, size, fill in (("main.bin", 5000, b"M"), ("voice.bin", 9000, b"V"), ("map.bin", 7000, b"P")):
        with open(os.path.join(work, name), "wb") as f:
            f.write(fill * size)
    with open(os.path.join(good, "Smpl_HIDTransfer.bin"), "wb") as f:
        f.write(b"B" * 1000)
    package = os.path.join(good, "KT7_Down.dat")
    subprocess.run([pack, "--out", os.fsencode(package),
                    "--main", os.fsencode(os.path.join(work, "main.bin")) + b"@0x40010000",
                    "--voice", os.fsencode(os.path.join(work, "voice.bin")) + b"@0x40020000",
                    "--map", os.fsencode(os.path.join(work, "map.bin")) + b"@0x40030000",
                    "--main-version", b'"\\\x01\xff', "--seed", "3"], check=True)
    with open(package, "rb") as f:
        data = f.read()
    with open(os.path.join(damaged, "KT7_Down.dat"), "wb") as f:
        f.write(data[:4224])
    return good, package, os.path.join(damaged, "KT7_Down.dat")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--flash", required=True)
    parser.add_argument("--pack", required=True)
    parser.add_argument("--schema", required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()

    shutil.rmtree(options.work, ignore_errors=True)
    os.makedirs(options.work)
    os.environ["KT7_JSON_WORK"] = options.work
    schema = Schema(options.schema)
    good, package, damaged = make_packages(options.pack, options.work)

    check_list(schema, options.flash)
    check_info(schema, options.flash, package, damaged)
    check_status(schema, options.flash, good)
    # An old boot loader, so that its refresh is one of the steps; and the
    # second device gone in the middle of the voice area. The updates wait
    # for the devices' re-attach in real time: they run side by side.
    # The last run has a device that drops off once and is tried again.
    retry = "devices=2;serial=KT7A0001;drop=1@200"
    updates = [(parallel, simulate, code) for parallel in (False, True)
               for simulate, code in (("devices=2;version=A107", 0), ("devices=2;unplug=1@200", 4))]
    updates.append((True, retry, 0))
    with concurrent.futures.ThreadPoolExecutor(len(updates)) as pool:
        runs = list(pool.map(lambda u: run_update(options.flash, good, u[0], u[1],
                                                  ["--retry", "1"] if u[1] == retry else []), updates))
    expected_records = {
        (False, "devices=2;version=A107"): [("sim-0", "success", 1), ("sim-1", "success", 1)],
        (True, "devices=2;version=A107"): [("sim-0", "success", 1), ("sim-1", "success", 1)],
        (False, "devices=2;unplug=1@200"): [("sim-0", "stopped", 1), ("sim-1", "failed", 1)],
        (True, "devices=2;unplug=1@200"): [("sim-0", "success", 1), ("sim-1", "failed", 1)],
        (True, retry): [("sim-0", "success", 1), ("sim-1", "failed", 1), ("sim-1", "success", 2)],
    }
    for (parallel, simulate, code), ran in zip(updates, runs):
        lines = check_update(schema, parallel, simulate, code, ran) or []
        check_records(schema, state_of(parallel, simulate), expected_records[(parallel, simulate)],
                      "update %s (%s)" % ("--parallel" if parallel else "sequential", simulate))
        if simulate == retry:
            results = [(l["device"], l["serial"], l["attempt"], l["exit_code"]) for l in lines if l["event"] == "result"]
            if sorted(results) != [("sim-0", "KT7A0001", 1, 0), ("sim-1", None, 1, 4), ("sim-1", None, 2, 0)]:
                fail("update --retry 1: results %r" % results)
        if code == 0:
            continue
        messages = [l for l in lines if l["event"] == "message"]
        if not any("区域2数据写入失败" in m["text"] for m in messages):
            fail("failed update (%s): no message says what failed: %r"
                 % ("parallel" if parallel else "sequential", messages))

    never = [k for k in schema.kinds() if k not in schema.seen]
    never += ["step " + p for p in schema.phases() if "phase:" + p not in schema.seen]
    if never:
        fail("defined in the schema but never seen: %s" % ", ".join(never))
    if failures:
        print("%d failures" % len(failures), file=sys.stderr)
        return 1
    print("every kind of line seen and valid: %s" % ", ".join(schema.kinds()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
