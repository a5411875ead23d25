#!/usr/bin/env python3
# Plays the built game for a while in a real window, as a player would, with
# its sound captured on SDL's disk driver, for loop_capture_check.py's
# --session report:
#
#   play_session.py PROGRAM ASSETS OUT_DIR [--minutes 10]
#
# PROGRAM and ASSETS are a build's program and assets folder (make build's
# build/release/corvalo and build/release/assets). A private X server of
# 1280 x 800 is started (Xvfb -displayfd), the game is laid out in OUT_DIR
# with the menus check's start-up script over its own (it prints each
# screen's opening and closing and where its buttons stand) and started
# full screen on a fresh profile. A new player registers, then quick play is
# played mode after mode by a player who knows every face (the board trace):
# each mode's first levels are won, Continue starts the next; in Classic
# one life is lost by waiting; Pause, Main menu, Yes, and the next mode,
# until the minutes have passed. OUT_DIR gets capture.raw (44100 Hz S16
# stereo), events.txt (the second of the capture at which each level started
# and ended, by the wall clock), output.txt and the game's log.
import os
import random
import shutil
import subprocess
import sys
import time

MODES = [("Classic", "PanelClassic"), ("Blitz", "PanelBlitz"), ("Strategy", "PanelStrategy"),
         ("Rome", "PanelCradleRome"), ("Joker", "PanelJoker")]
SCORE_CARD = (194, 189)
LOSE_LIFE_OK = (512 + 80, 488 + 24)


class Session:
    def __init__(self, program, assets, out, minutes):
        self.out = os.path.abspath(out)
        self.minutes = minutes
        self.events = []
        self.lay_out(program, assets)

    def lay_out(self, program, assets):
        game = os.path.join(self.out, "game")
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(game)
        shutil.copy(program, os.path.join(game, "corvalo"))
        shutil.copytree(assets, os.path.join(game, "assets"))
        scripts = os.path.join(game, "assets", "scripts")
        os.rename(os.path.join(scripts, "main.lua"), os.path.join(scripts, "game_main.lua"))
        here = os.path.dirname(os.path.abspath(__file__))
        shutil.copy(os.path.join(here, "..", "tests", "data", "menus", "main.lua"), scripts)
        self.game = game
        for d in ("home", "data"):
            os.makedirs(os.path.join(self.out, d))

    # --- the X server and the game -----------------------------------------
    def start(self):
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24",
                                      "-nolisten", "tcp"], pass_fds=[w],
                                     stderr=subprocess.DEVNULL)
        os.close(w)
        display = b""
        while not display.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                raise SystemExit("Xvfb gave no display")
            display += chunk
        os.close(r)
        env = dict(os.environ)
        env.update({"DISPLAY": ":" + display.decode().strip(), "SDL_AUDIODRIVER": "disk",
                    "SDL_DISKAUDIOFILE": os.path.join(self.out, "capture.raw"),
                    "HOME": os.path.join(self.out, "home"),
                    "XDG_DATA_HOME": os.path.join(self.out, "data"),
                    "CORVALO_BOARD_TRACE": os.path.join(self.out, "board.txt")})
        self.env = env
        self.output = open(os.path.join(self.out, "output.txt"), "w")
        self.started = time.monotonic()
        self.proc = subprocess.Popen([os.path.join(self.game, "corvalo"), "--multiple"],
                                     cwd=self.game, env=env, stdout=self.output,
                                     stderr=subprocess.STDOUT)
        self.window = None
        while not self.window:
            time.sleep(0.3)
            said = subprocess.run(["xdotool", "search", "--name", "^Corvalo$"], env=env,
                                  capture_output=True, text=True).stdout.split()
            self.window = said[0] if said else None
            if self.proc.poll() is not None:
                raise SystemExit("the game ended at start")

    def stop(self):
        self.xdo("key", "--window", self.window, "alt+F4")
        time.sleep(1.5)
        self.xdo("key", "--window", self.window, "Return")
        try:
            self.proc.wait(20)
        except subprocess.TimeoutExpired:
            self.proc.terminate()
            self.proc.wait()
        self.xvfb.terminate()
        self.xvfb.wait()
        with open(os.path.join(self.out, "events.txt"), "w") as f:
            for at, what in self.events:
                f.write("%.1f %s\n" % (at, what))
        return self.proc.returncode

    def xdo(self, *args):
        subprocess.run(["timeout", "10", "xdotool"] + list(args), env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def note(self, what):
        at = time.monotonic() - self.started
        self.events.append((at, what))
        print("%6.1f s  %s" % (at, what), flush=True)

    # --- what the game says --------------------------------------------------
    def text(self):
        self.output.flush()
        with open(os.path.join(self.out, "output.txt"), errors="replace") as f:
            return f.read()

    def count(self, line):
        return self.text().count(line)

    def wait(self, what, condition, limit=60, quiet=False):
        end = time.monotonic() + limit
        while time.monotonic() < end:
            if condition():
                return True
            time.sleep(0.05)
        if not quiet:
            self.note("gave up waiting for " + what)
        return False

    def find(self, path):
        """Where the latest screen still open laid out the named window."""
        screens = [[]]
        for line in self.text().splitlines():
            if line.startswith("open "):
                screens.append([])
            elif line.startswith("closed ") and len(screens) > 1:
                screens.pop()
            elif line.startswith("layout "):
                screens[-1].append(line.split())
        for screen in reversed(screens):
            for words in reversed(screen):
                if len(words) >= 7 and (words[1] == path or words[1].endswith("/" + path)):
                    x, y, w, h = map(int, words[2:6])
                    if w < 0 or h < 0:
                        w, h = self.picture_size(words[6])
                    return x + w // 2, y + h // 2
        return None

    def picture_size(self, image):
        try:
            with open(os.path.join(self.game, "assets", image), "rb") as f:
                header = f.read(24)
            return int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big")
        except OSError:
            return 0, 0

    # --- input ----------------------------------------------------------------
    def fit(self):
        said = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.window],
                              env=self.env, capture_output=True, text=True).stdout
        size = dict(line.split("=", 1) for line in said.split() if "=" in line)
        w, h = int(size.get("WIDTH", 1024)), int(size.get("HEIGHT", 768))
        scale = min(w / 1024, h / 768)
        return scale, int((w - 1024 * scale) / 2), int((h - 768 * scale) / 2)

    def click(self, x, y):
        scale, left, top = self.fit()
        sx, sy = int(left + (x + 0.5) * scale), int(top + (y + 0.5) * scale)
        self.xdo("windowfocus", self.window)
        # A press is taken by what the pointer was last seen over: the
        # pointer comes in with a motion first.
        self.xdo("mousemove", "--sync", str(sx - 2), str(sy))
        time.sleep(0.04)
        self.xdo("mousemove", "--sync", str(sx), str(sy))
        time.sleep(0.04)
        self.xdo("mousedown", "1")
        time.sleep(0.06)
        self.xdo("mouseup", "1")

    def press_until(self, path, line, limit=60):
        before = self.count(line)
        end = time.monotonic() + limit
        while time.monotonic() < end:
            place = self.find(path)
            if place:
                self.click(*place)
            if self.wait(line, lambda: self.count(line) > before, 4, quiet=True):
                return True
        self.note("gave up pressing " + path)
        return False

    # --- the board ------------------------------------------------------------
    def board(self):
        try:
            with open(os.path.join(self.out, "board.txt")) as f:
                lines = f.read().splitlines()
        except OSError:
            return None
        if not lines or lines[-1] != "end" and lines[0] != "closed":
            return None
        if lines[0] == "closed":
            return {"closed": True}
        head = lines[0].split()
        b = {"closed": False, "level": int(head[1])}
        if head[2] == "none":
            b["none"] = True
            return b
        for k, v in zip(head[2::2], head[3::2]):
            b[k] = int(v)
        b["slots"] = []
        for line in lines[1:-1]:
            w = line.split()
            b["slots"].append({"kind": int(w[3]), "open": w[5] == "1", "mark": w[7] == "1",
                               "x": (int(w[9]) + int(w[11])) // 2,
                               "y": (int(w[10]) + int(w[12])) // 2})
        return b

    @staticmethod
    def move(b):
        if b.get("face"):
            return [s for s in b["slots"] if s["open"] and s["kind"] == b["face"]][:1]
        kinds = {}
        for s in b["slots"]:
            if s["open"] and 0 < s["kind"] < 16:
                kinds.setdefault(s["kind"], []).append(s)
        pairs = [sorted(kinds[k], key=lambda s: not s["mark"])[:2] for k in range(1, 9)
                 if len(kinds.get(k, [])) >= 2]
        if pairs:
            return max(pairs, key=lambda p: p[0]["mark"] + p[1]["mark"])
        for k in (11, 12, 13):
            if kinds.get(k):
                return kinds[k][:1]
        if kinds.get(10):
            for k in range(1, 9):
                if kinds.get(k):
                    return [kinds[k][0], kinds[10][0]]
        return []

    def play_level(self, level, idle_first=False):
        """Plays the board standing until it is won, lost or closed."""
        last, moved = None, 0.0
        idle_until = time.monotonic() + (90 if idle_first else 0)
        end = time.monotonic() + 300
        while time.monotonic() < end:
            b = self.board()
            if b and (b["closed"] or b.get("outcome") in (1, 2)):
                return 0 if b["closed"] else b["outcome"]
            if self.count("open scripts/lose_life.lua") > self.count("closed scripts/lose_life.lua"):
                self.note("life lost")
                self.click(*LOSE_LIFE_OK)
                time.sleep(1)
                idle_until = 0
                continue
            if not b or b.get("none") or not b.get("input") or b.get("busy"):
                time.sleep(0.05)
                continue
            if time.monotonic() < idle_until:
                time.sleep(0.2)
                continue
            text = str(b["slots"])
            if text == last and time.monotonic() < moved + 4:
                time.sleep(0.05)
                continue
            for s in self.move(b):
                self.click(s["x"], s["y"])
                time.sleep(random.uniform(0.25, 0.45))
            last, moved = text, time.monotonic()
        return 0

    # --- the session ------------------------------------------------------------
    def register(self):
        self.wait("the register screen", lambda: self.find("edtName"), 60)
        time.sleep(2)
        self.xdo("type", "--window", self.window, "--delay", "80", "Ann")
        place = self.find("btnAvatar_girl")
        if place:
            self.click(*place)
        time.sleep(1)
        self.press_until("btnOk", "closed scripts/register.lua: ok")
        self.wait("the intro", lambda: self.count("open scripts/cutscene.lua"), 30)
        while self.count("closed scripts/cutscene.lua") == 0 and not self.count("menu Ann avatar"):
            self.xdo("windowfocus", self.window)
            self.xdo("key", "space")
            time.sleep(0.7)
        self.wait("the menu", lambda: self.count("menu Ann avatar"), 30)

    def to_menu(self):
        if self.count("open scripts/pause.lua") == self.count("closed scripts/pause.lua"):
            self.press_until("btnPause", "open scripts/pause.lua")
        self.press_until("btnMainMenu", "open scripts/confirm.lua")
        self.press_until("btnYes", "closed scripts/confirm.lua: yes")
        self.wait("the menu", lambda: (self.board() or {}).get("closed"), 30)

    def play_mode(self, mode, panel, levels, lose_one):
        self.note("menu: quick play " + mode)
        self.press_until("btnQuickPlay", "open scripts/quickplay.lua")
        self.press_until(panel + "/btnDifficulty1", "closed scripts/quickplay.lua: play")
        level = 0
        for n in range(levels):
            if not self.wait("a board", lambda: (self.board() or {}).get("level", 0) > level and
                             (self.board() or {}).get("input"), 60):
                return
            level = self.board()["level"]
            self.note("%s level start %d" % (mode, n + 1))
            outcome = self.play_level(level, idle_first=lose_one and n == 0)
            self.note("%s level end %d outcome %d" % (mode, n + 1, outcome))
            if outcome != 1 or n + 1 == levels or mode == "Joker":
                break
            continues = self.count("layout btnContinue ")
            self.wait("the score card", lambda: self.count("layout btnContinue ") > continues, 40)
            time.sleep(3)
            place = self.find("btnContinue")
            while place and (self.board() or {}).get("level", 0) <= level:
                self.click(SCORE_CARD[0] + place[0], SCORE_CARD[1] + place[1])
                time.sleep(1.5)
                if time.monotonic() - self.started > self.minutes * 60 + 120:
                    break
        self.to_menu()

    def run(self):
        self.start()
        try:
            self.register()
            rounds = 0
            while time.monotonic() - self.started < self.minutes * 60:
                for mode, panel in MODES:
                    if time.monotonic() - self.started >= self.minutes * 60:
                        break
                    self.play_mode(mode, panel, 2, mode == "Classic" and rounds == 0)
                rounds += 1
            self.note("session over")
        finally:
            code = self.stop()
        print("exit code", code)
        return code


def main():
    args = sys.argv[1:]
    minutes = 10.0
    if "--minutes" in args:
        at = args.index("--minutes")
        minutes = float(args[at + 1])
        del args[at : at + 2]
    if len(args) != 3:
        sys.stderr.write("usage: play_session.py PROGRAM ASSETS OUT_DIR [--minutes M]\n")
        return 2
    return Session(args[0], args[1], args[2], minutes).run()


if __name__ == "__main__":
    sys.exit(main())
