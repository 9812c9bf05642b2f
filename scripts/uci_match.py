#!/usr/bin/env python3
"""A match of kestrin-engine in UCI mode against Stockfish held to its lowest level, refereed here:
this script keeps both clocks (base time plus an increment per move, measured around each search),
and a second Stockfish process serves as the rules oracle (its "go perft 1" lists the legal moves,
"d" gives the position and the checkers). Run by hand:
  scripts/uci_match.py BUILD_DIR [GAMES] [SECONDS] [INCREMENT]
(default 20 games at 10 s + 0.1 s a move, colours alternating). Prints every game and Kestrin's
wins, draws and losses, its games lost on time, its illegal moves and the least time it had left."""
import subprocess
import sys
import tempfile
import time

STOCKFISH = "/usr/games/stockfish"
MAX_PLIES = 400


class Engine:
    def __init__(self, command, options=()):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        for name, value in options:
            self.send(f"setoption name {name} value {value}")
        self.ready()

    def send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def wait(self, start):
        lines = []
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError(f"engine ended while waiting for {start!r}")
            lines.append(line.rstrip("\n"))
            if line.startswith(start):
                return lines

    def ready(self):
        self.send("isready")
        self.wait("readyok")

    def close(self):
        self.send("quit")
        self.process.wait(timeout=10)


class Rules:
    """The oracle's view of a position given as moves from the start."""

    def __init__(self):
        self.engine = Engine([STOCKFISH])

    def look(self, moves):
        self.engine.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        self.engine.send("go perft 1")
        legal = [line.split(":")[0] for line in self.engine.wait("Nodes searched") if ": " in line
                 and not line.startswith("Nodes")]
        self.engine.send("d")
        board = self.engine.wait("Checkers")
        fen = next(line[5:] for line in board if line.startswith("Fen: "))
        in_check = board[-1].split(":", 1)[1].strip() != ""
        return legal, fen, in_check


def play(kestrin, opponent, rules, kestrin_white, base, increment):
    """Returns (result for White: 1, 0.5 or 0, how it ended, whose fault, Kestrin's least time)."""
    for engine in (kestrin, opponent):
        engine.send("ucinewgame")
        engine.ready()
    clocks = [base, base]
    moves, seen = [], {}
    least = base
    legal, fen, _ = rules.look(moves)
    while True:
        side = len(moves) % 2
        mover = kestrin if (side == 0) == kestrin_white else opponent
        name = "Kestrin" if mover is kestrin else "Stockfish"
        mover.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        mover.send(f"go wtime {int(clocks[0] * 1000)} btime {int(clocks[1] * 1000)} "
                   f"winc {int(increment * 1000)} binc {int(increment * 1000)}")
        start = time.monotonic()
        move = mover.wait("bestmove")[-1].split()[1]
        clocks[side] -= time.monotonic() - start
        if mover is kestrin:
            least = min(least, clocks[side])
        if clocks[side] < 0:
            return (0 if side == 0 else 1), "lost on time", name, least
        clocks[side] += increment
        if move not in legal:
            return (0 if side == 0 else 1), f"illegal move {move}", name, least
        moves.append(move)
        legal, fen, in_check = rules.look(moves)
        fields = fen.split()
        position = " ".join(fields[:4])
        seen[position] = seen.get(position, 0) + 1
        men = "".join(c for c in fields[0] if c.isalpha())
        if not legal:
            return ((1 if side == 0 else 0), "checkmate", "", least) if in_check else (0.5, "stalemate", "", least)
        if seen[position] >= 3:
            return 0.5, "threefold repetition", "", least
        if int(fields[4]) >= 100:
            return 0.5, "fifty moves", "", least
        if sorted(men.lower()) in (["k", "k"], ["b", "k", "k"], ["k", "k", "n"]):
            return 0.5, "insufficient material", "", least
        if len(moves) >= MAX_PLIES:
            return 0.5, "adjudicated after 400 plies", "", least


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = sys.argv[1]
    games = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    base = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
    increment = float(sys.argv[4]) if len(sys.argv) > 4 else 0.1
    home = tempfile.mkdtemp(prefix="kestrin-match-")
    kestrin = Engine([f"{build}/kestrin-engine", "--home", home])
    opponent = Engine([STOCKFISH], [("Skill Level", 0), ("Threads", 1)])
    rules = Rules()
    tally = {"win": 0, "draw": 0, "loss": 0}
    on_time = illegal = 0
    least = base
    for game in range(games):
        kestrin_white = game % 2 == 0
        white_score, ending, fault, game_least = play(kestrin, opponent, rules, kestrin_white, base, increment)
        least = min(least, game_least)
        score = white_score if kestrin_white else 1 - white_score
        tally["win" if score == 1 else "draw" if score == 0.5 else "loss"] += 1
        on_time += fault == "Kestrin" and ending == "lost on time"
        illegal += fault == "Kestrin" and ending.startswith("illegal")
        pair = "Kestrin - Stockfish" if kestrin_white else "Stockfish - Kestrin"
        result = {1: "1-0", 0: "0-1", 0.5: "1/2-1/2"}[white_score]
        print(f"{game + 1:2d}. {pair}: {result} ({ending}{', ' + fault if fault else ''})", flush=True)
    for engine in (kestrin, opponent, rules.engine):
        engine.close()
    print(f"Kestrin: {tally['win']} won, {tally['draw']} drawn, {tally['loss']} lost at {base:g} s + "
          f"{increment:g} s; {on_time} lost on time; {illegal} illegal moves; least time left {least:.3f} s")


if __name__ == "__main__":
    main()
