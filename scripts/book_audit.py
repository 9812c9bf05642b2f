#!/usr/bin/env python3
"""Judges the default opening book with Stockfish.

Plays every line the book can produce from the initial position (every move the book offers,
as `kestrin-engine booklines` lists them), asks Stockfish for the value of every position on
the way at a fixed depth, and prints:
  - each book move that loses more than --loss pawns for the side that plays it,
  - each line whose last position lies outside +-(--window) pawns,
  - the number of distinct starts after 6 plies (fewer than --starts is a finding too).
Exit status 1 on any finding, 2 when the audit could not run, 3 when --cached-only left
moves unjudged (and found nothing), 0 otherwise.

  scripts/book_audit.py --depth 8 --confirm-depth 16 --loss 1.0 --window 1.0   # CI, a minute or two
  scripts/book_audit.py --depth 18 --cache audit-18.jsonl                        # the deep audit, hours
  scripts/book_audit.py --depth 18 --cache audit-18.jsonl --cached-only          # what it has reached

Stockfish runs with one thread and a small hash under `nice`, as a guest on a shared machine.
--cache keeps each position's value by FEN and depth, so a second run after mending lines
searches only the positions that are new.
"""

import argparse
import json
import math
import os
import subprocess
import sys
import time


def parse_args(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    build = os.path.join(os.path.dirname(here), "build-test")
    p = argparse.ArgumentParser(description="Judge every line of the opening book with Stockfish.")
    p.add_argument("--engine", default=os.path.join(build, "kestrin-engine"),
                   help="kestrin-engine that lists the book's lines")
    p.add_argument("--book", default=os.path.join(build, "TestBook.kcb"), help="the book to judge")
    p.add_argument("--lines", help="read the lines (moves in coordinates, one line a row) from this "
                   "file instead of asking kestrin-engine")
    p.add_argument("--stockfish", default="/usr/games/stockfish")
    p.add_argument("--depth", type=int, default=8)
    p.add_argument("--hash", type=int, default=16, help="Stockfish hash in MB")
    p.add_argument("--loss", type=float, default=0.6, help="largest loss of a book move, in pawns")
    p.add_argument("--window", type=float, default=0.8, help="largest value of a line's end, in pawns")
    p.add_argument("--starts", type=int, default=30, help="fewest distinct starts after 6 plies")
    p.add_argument("--cache", help="file of values kept between runs (JSON lines)")
    p.add_argument("--confirm-depth", type=int,
                   help="search each move and line end the audit flags again at this depth, and "
                   "report only what that confirms")
    p.add_argument("--cached-only", action="store_true",
                   help="search nothing: judge the moves and ends whose values --cache holds")
    p.add_argument("--quiet", action="store_true", help="no progress on standard error")
    return p.parse_args(argv)


class Stockfish:
    """One Stockfish process over UCI. Values are centipawns from White's side."""

    MATE = 100000

    def __init__(self, path, hash_mb):
        self.proc = subprocess.Popen(["nice", "-n", "10", path], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait_for("uciok")
        self.send("setoption name Threads value 1")
        self.send("setoption name Hash value %d" % hash_mb)
        self.send("ucinewgame")
        self.ready()

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def read(self):
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError("Stockfish stopped")
        return line.strip()

    def wait_for(self, word):
        while True:
            line = self.read()
            if line.split()[:1] == [word]:
                return line

    def ready(self):
        self.send("isready")
        self.wait_for("readyok")

    def set_moves(self, moves):
        self.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))

    def fen(self, moves):
        self.set_moves(moves)
        self.send("d")
        fen = None
        while True:
            line = self.read()
            if line.startswith("Fen: "):
                fen = line[5:]
            if line.startswith("Checkers:"):
                return fen

    def value(self, moves, depth):
        """The value at `depth` of the position after `moves`, from White's side."""
        self.set_moves(moves)
        self.send("go depth %d" % depth)
        score = None
        while True:
            words = self.read().split()
            if words[:1] == ["bestmove"]:
                break
            if words[:1] != ["info"] or "score" not in words or "bound" in " ".join(words):
                continue
            i = words.index("score")
            kind, amount = words[i + 1], int(words[i + 2])
            if kind == "cp":
                score = amount
            else:  # mate in `amount` moves for the side to move (negative: it is mated)
                score = (self.MATE - abs(amount)) * (1 if amount > 0 else -1)
        if score is None:  # no move: mate or stalemate
            self.send("d")
            checkers = ""
            while True:
                line = self.read()
                if line.startswith("Checkers:"):
                    checkers = line[9:].strip()
                    break
            score = -self.MATE if checkers else 0
        white_to_move = len(moves) % 2 == 0
        return score if white_to_move else -score

    def close(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


def position_key(fen):
    # Move counters do not change a position's value in the opening.
    return " ".join(fen.split()[:4])


def book_lines(args):
    if args.lines:
        with open(args.lines) as f:
            text = f.read()
    else:
        run = subprocess.run([args.engine, "booklines", args.book], capture_output=True, text=True, timeout=600)
        if run.returncode != 0:
            raise RuntimeError("%s booklines failed: %s" % (args.engine, run.stderr.strip()))
        text = run.stdout
    return [tuple(row.split()) for row in text.splitlines() if row.split()]


def line_text(moves):
    out = []
    for i, move in enumerate(moves):
        out.append(("%d.%s" % (i // 2 + 1, move)) if i % 2 == 0 else move)
    return " ".join(out)


def pawns(cp):
    return "%+.2f" % (cp / 100.0)


def load_cache(path):
    values = {}  # (position key, depth) -> value
    if path and os.path.exists(path):
        with open(path) as f:
            for row in f:
                try:
                    entry = json.loads(row)
                except ValueError:
                    continue  # a row cut short by an interrupted run
                values[(entry["fen"], entry["depth"])] = entry["cp"]
    return values


def judge(lines, value_of, key_of, args):
    """The moves losing too much and the line ends outside the window, with how many of each
    had values (value_of gives None for a position it has no value for)."""
    losses, seen, judged = [], set(), 0
    for line in lines:
        for n in range(len(line)):
            edge = (key_of(line[:n]), line[n])
            if edge in seen:
                continue
            seen.add(edge)
            before, after = value_of(line[:n]), value_of(line[:n + 1])
            if before is None or after is None:
                continue
            judged += 1
            lost = (before - after) if n % 2 == 0 else (after - before)
            if lost > args.loss * 100:
                losses.append((lost, line[:n + 1], before, after))
    ends, ends_judged = {}, 0
    for line in lines:
        v = value_of(line)
        if v is None:
            continue
        ends_judged += 1
        if abs(v) > args.window * 100:
            ends[line] = v
    return losses, ends, (judged, len(seen), ends_judged, len(lines))


def audit(args, log):
    lines = book_lines(args)
    if not lines:
        raise RuntimeError("the book gives no line")
    engine = Stockfish(args.stockfish, args.hash)
    values = load_cache(args.cache)
    cache = open(args.cache, "a") if args.cache else None
    fens = {}  # move prefix -> position key
    searched = [0]
    started = time.time()

    def value_of(prefix, depth=args.depth):
        if prefix not in fens:
            fens[prefix] = position_key(engine.fen(list(prefix)))
        key = (fens[prefix], depth)
        if key not in values:
            if args.cached_only:
                return None
            values[key] = engine.value(list(prefix), depth)
            searched[0] += 1
            if searched[0] % 100 == 0:
                log("book_audit: %d positions searched, %.0f s" % (searched[0], time.time() - started))
            if cache:
                cache.write(json.dumps({"fen": key[0], "depth": depth, "cp": values[key]}) + "\n")
                cache.flush()
        return values[key]

    # Positions in the order of the lines, so that Stockfish's hash carries over from one
    # position to the next.
    for line in lines:
        for n in range(len(line) + 1):
            value_of(line[:n])
    losses, ends, coverage = judge(lines, value_of, fens.get, args)
    if args.confirm_depth and not args.cached_only and (losses or ends):
        # A shallow search misjudges gambits and exchanges under way; what it flags is searched
        # again deeper, and only what that search confirms is a finding.
        confirmed = []
        for _, moves, _, _ in losses:
            before, after = value_of(moves[:-1], args.confirm_depth), value_of(moves, args.confirm_depth)
            lost = (before - after) if len(moves) % 2 == 1 else (after - before)
            if lost > args.loss * 100:
                confirmed.append((lost, moves, before, after))
        losses = confirmed
        ends = {line: value_of(line, args.confirm_depth) for line in ends}
        ends = {line: v for line, v in ends.items() if abs(v) > args.window * 100}
    engine.close()
    if cache:
        cache.close()
    starts = {line[:6] for line in lines if len(line) >= 6}
    return lines, losses, ends, starts, searched[0], len(set(fens.values())), coverage


def family(start):
    """The kind of opening a start belongs to, by its first two moves."""
    first, reply = start[0], start[1]
    if first == "e2e4":
        return "open" if reply == "e7e5" else "semi-open"
    if first == "d2d4":
        return "closed"
    return "flank"


def start_shares(lines):
    """Each 6-ply start's chance when the book picks evenly among its moves at every position,
    as it does when all its values are alike (the default book's are all 0)."""
    following = {}
    for line in lines:
        for n in range(min(len(line), 6)):
            following.setdefault(line[:n], set()).add(line[n])
    shares = {(): 1.0}
    for n in range(6):
        for prefix in [p for p in shares if len(p) == n]:
            moves = following.get(prefix, ())
            for move in moves:
                shares[prefix + (move,)] = shares[prefix] / len(moves)
    return {p: v for p, v in shares.items() if len(p) == 6}


def main(argv):
    args = parse_args(argv)
    log = (lambda text: None) if args.quiet else (lambda text: print(text, file=sys.stderr, flush=True))
    try:
        lines, losses, ends, starts, searched, positions, coverage = audit(args, log)
    except (OSError, RuntimeError, subprocess.SubprocessError) as error:
        print("book_audit: %s" % error, file=sys.stderr)
        return 2
    for lost, moves, before, after in sorted(losses, key=lambda l: (l[1][:-1], l[1][-1])):
        print("move loses %.2f (%s -> %s): %s" % (lost / 100.0, pawns(before), pawns(after), line_text(moves)))
    for moves, v in sorted(ends.items()):
        print("line ends at %s: %s" % (pawns(v), line_text(moves)))
    few = len(starts) < args.starts
    kinds = {}
    for start in starts:
        kinds[family(start)] = kinds.get(family(start), 0) + 1
    shares = start_shares(lines)
    # The number of equally likely starts that would vary as much as the book's do.
    effective = math.exp(-sum(v * math.log(v) for v in shares.values())) if shares else 0
    print("starts after 6 plies: %s; as varied as %.1f equally likely ones"
          % (", ".join("%s %d" % (k, kinds.get(k, 0)) for k in ("open", "semi-open", "closed", "flank")), effective))
    print("depth %d: %d lines, %d positions (%d searched now), %d moves losing more than %.2f, "
          "%d lines ending beyond +-%.2f, %d distinct starts after 6 plies%s"
          % (args.depth, len(lines), positions, searched, len(losses), args.loss, len(ends), args.window,
             len(starts), " (fewer than %d)" % args.starts if few else ""))
    partial = coverage[0] < coverage[1] or coverage[2] < coverage[3]
    if partial:
        print("partial: values for %d of %d book moves and %d of %d line ends" % coverage)
    return 1 if losses or ends or few else 3 if partial else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
