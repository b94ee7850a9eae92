// A player for the last stage: plays it from the title through the gate boss
// to the castle's arrival by looking ahead (forked copies of the game try
// each move), and writes the input it used as an input script.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "game/play/records.h"
#include "game/shell/game_main.h"
#include "game/shell/game_math.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "platform/gfx/device.h"
#include "platform/input.h"
#include "tests/game/play/runner_support.h"

namespace {

using namespace runner_test;

constexpr u16 kDirs[9] = {0,
                          kInputUp,
                          kInputDown,
                          kInputLeft,
                          kInputRight,
                          static_cast<u16>(kInputUp | kInputLeft),
                          static_cast<u16>(kInputUp | kInputRight),
                          static_cast<u16>(kInputDown | kInputLeft),
                          static_cast<u16>(kInputDown | kInputRight)};

constexpr i32 kStep = 6;       // frames per decision
constexpr i32 kLook = 48;      // frames a copy looks ahead

struct Bot {
    i32 difficulty = 0;
    std::vector<u16> menu;    // the words before play
    std::vector<u16> used;    // every word the run took, in order
    std::vector<u16> pending; // words of the current decision still to come
    bool child = false;
    int pipe = -1;
    i32 childFrames = 0;
    i32 startLives = 0;
    i32 startBlink = 0;
    i64 startHp = 0;
    i32 startPoints = 0;
    f64 childScore = 0;
    bool hit = false;
    f64 clearance = 1e9;
    i32 hitAt = 0;
    bool done = false;
    i32 lastLives = 3;
    i64 castleFrame = 0;
    i64 frames = 0;
};
Bot g_bot;

bool InPlay() { return CurrentScene == kScenePlay && g_GameState.FrameCounter > 0; }

// Hit points left in the parts the player can hit now.
i64 TargetHp() {
    i64 hp = 0;
    for (const Enemy& e : g_EnemyList) {
        if (e.active == 0) continue;
        for (const i32 slot : e.rootParts) {
            if (slot < 0) break;
            const EnemyPart& p = g_EnemyPartPool[slot];
            if (p.state == 1 && (p.hitShape.halfWidth > 0 || p.hitShape.radius > 0)) hp += p.hp;
        }
    }
    return hp;
}

// The screen x the aircraft wants: under the lowest hittable part of an
// active enemy (its world x turned into the screen x that shoots it).
f32 WantedX() {
    const f32 zoom = g_GameState.BackgroundZoom;
    f32 best = 320.0f;
    f32 bestY = -1e9f;
    for (const Enemy& e : g_EnemyList) {
        if (e.active == 0) continue;
        for (const i32 slot : e.rootParts) {
            if (slot < 0) break;
            const EnemyPart& p = g_EnemyPartPool[slot];
            if (p.state != 1 || (p.hitShape.halfWidth <= 0 && p.hitShape.radius <= 0)) continue;
            f32 v[2] = {p.offsetX * e.scale, p.offsetY * e.scale};
            RotateVector2(v, e.rotation);
            const f32 x = e.x + v[0];
            const f32 y = e.y + v[1];
            if (y < -20.0f || y > 360.0f) continue;
            if (y > bestY) {
                bestY = y;
                best = x;
            }
        }
    }
    // world x = screen x - (320 - screen x) / zoom
    return (best + 320.0f / zoom) / (1.0f + 1.0f / zoom);
}

f64 PositionScore() {
    const PlayerState& p = g_PlayerState[0];
    const f64 dx = std::fabs(p.x - WantedX());
    const f64 dy = std::fabs(p.y - 400.0f);
    return -dx - 0.3 * dy;
}

// Danger near the aircraft.
bool Danger() {
    const PlayerState& p = g_PlayerState[0];
    for (const EnemyBullet& b : g_EnemyBulletList) {
        if (std::fabs(b.x + g_GameState.FieldScrollX - p.x) < 170 && std::fabs(b.y - p.y) < 170) return true;
    }
    for (const EnemyShell& s : g_EnemyShellList) {
        if (std::fabs(s.x + g_GameState.FieldScrollX - p.x) < 200 && std::fabs(s.y - p.y) < 200) return true;
    }
    for (const Enemy& e : g_EnemyList) {
        if (e.active == 0) continue;
        if (std::fabs(e.x + g_GameState.FieldScrollX - p.x) < 200 && std::fabs(e.y - p.y) < 200) return true;
    }
    return false;
}

// Z on every other frame: the guns keep firing (a press holds them for 30
// frames) and the aircraft keeps its full speed (holding Z halves it).
std::vector<u16> WithFire(std::vector<u16> words, i64 firstFrame) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<u16>(words[i] & ~kInputZ);
        if ((firstFrame + static_cast<i64>(i)) % 2 == 0) words[i] |= kInputZ;
    }
    return words;
}

void Feed(const std::vector<u16>& words) {
    g_bot.pending = WithFire(words, g_bot.frames + 1);
    platform::SetScriptedInput(g_bot.pending);
}

u16 Toward() {
    const PlayerState& p = g_PlayerState[0];
    u16 w = kInputZ;
    const f32 tx = WantedX();
    if (p.x < tx - 4) w |= kInputRight;
    if (p.x > tx + 4) w |= kInputLeft;
    if (p.y < 395) w |= kInputDown;
    if (p.y > 405) w |= kInputUp;
    return w;
}

void Decide() {
    const bool danger = Danger();
    if (!danger) {
        Feed(std::vector<u16>(kStep, Toward()));
        return;
    }
    struct Candidate {
        std::vector<u16> words;
    };
    std::vector<Candidate> cands;
    for (const u16 d : kDirs) {
        for (int cont = 0; cont < 2; ++cont) {
            Candidate c;
            c.words.assign(kStep, static_cast<u16>(d | kInputZ));
            const u16 rest = static_cast<u16>(cont == 0 ? (d | kInputZ) : kInputZ);  // keep going, or stop
            c.words.resize(kLook, rest);
            cands.push_back(c);
        }
    }
    std::vector<f64> scores(cands.size(), -1e18);
    std::size_t next = 0;
    std::vector<std::pair<pid_t, std::pair<int, std::size_t>>> running;
    const std::size_t kParallel = 4;
    while (next < cands.size() || !running.empty()) {
        while (next < cands.size() && running.size() < kParallel) {
            int fds[2];
            if (::pipe(fds) != 0) std::abort();
            const pid_t pid = fork();
            if (pid == 0) {
                close(fds[0]);
                g_bot.child = true;
                g_bot.pipe = fds[1];
                g_bot.childFrames = 0;
                g_bot.startLives = g_PlayerState[0].lives;
                g_bot.startBlink = g_PlayerState[0].blinkTimer;
                g_bot.startHp = TargetHp();
                g_bot.startPoints = g_PlayerState[0].StageScorePoints;
                g_bot.hit = false;
                g_bot.clearance = 1e9;
                g_bot.childScore = 0;
                platform::SetScriptedInput(WithFire(cands[next].words, g_bot.frames + 1));
                return;  // the copy plays on
            }
            close(fds[1]);
            running.push_back({pid, {fds[0], next}});
            ++next;
        }
        // Collect one.
        int status = 0;
        const pid_t done = waitpid(-1, &status, 0);
        for (std::size_t i = 0; i < running.size(); ++i) {
            if (running[i].first != done) continue;
            f64 s = -1e17;
            if (read(running[i].second.first, &s, sizeof s) != sizeof s) s = -1e17;
            close(running[i].second.first);
            scores[running[i].second.second] = s;
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < cands.size(); ++i) {
        if (scores[i] > scores[best]) best = i;
    }
    std::vector<u16> words(cands[best].words.begin(), cands[best].words.begin() + kStep);
    Feed(words);
}

// The distance from the aircraft to the nearest bullet, shell or active enemy.
f64 Clearance() {
    const PlayerState& p = g_PlayerState[0];
    const f64 scroll = g_GameState.FieldScrollX;
    f64 c = 1e9;
    for (const EnemyBullet& b : g_EnemyBulletList) c = std::min(c, std::hypot(b.x + scroll - p.x, b.y - p.y));
    for (const EnemyShell& s : g_EnemyShellList) c = std::min(c, std::hypot(s.x + scroll - p.x, s.y - p.y) - 15.0);
    return c;
}

void ChildFrame() {
    const PlayerState& p = g_PlayerState[0];
    ++g_bot.childFrames;
    if (g_bot.childFrames <= 24) g_bot.clearance = std::min(g_bot.clearance, Clearance());
    if (!g_bot.hit && (p.lives < g_bot.startLives || p.blinkTimer > g_bot.startBlink + 1)) {
        g_bot.hit = true;
        g_bot.hitAt = g_bot.childFrames;
    }
    if (g_bot.childFrames >= kLook || CurrentScene != kScenePlay) {
        f64 s = 0;
        if (g_bot.hit) s -= 1e7 - 1e4 * g_bot.hitAt;
        s += 2.0 * static_cast<f64>(g_bot.startHp - TargetHp());
        s += 0.5 * (g_PlayerState[0].StageScorePoints - g_bot.startPoints);
        s += 3.0 * PositionScore();
        if (g_bot.clearance < 40.0) s -= 300.0 * (40.0 - g_bot.clearance);
        if (write(g_bot.pipe, &s, sizeof s) != sizeof s) {
        }
        _exit(0);
    }
}

void Hook(const FrameRow& row) {
    if (g_bot.frames == 0) platform::gfx::SetDrawingEnabled(false);
    ++g_bot.frames;
    if (g_bot.child) {
        ChildFrame();
        return;
    }
    // The word this frame took.
    g_bot.used.push_back(platform::ScriptedInputWord());
    if (g_bot.done) return;
    if (g_bot.used.size() != static_cast<std::size_t>(row.frame)) {
        std::fprintf(stderr, "frame %lld: %zu words\n", static_cast<long long>(row.frame), g_bot.used.size());
        std::abort();
    }
    if (InPlay() && row.lives < g_bot.lastLives) {
        std::fprintf(stderr, "hit at frame %lld phase %d lives %d\n", static_cast<long long>(row.frame), row.phase,
                     row.lives);
    }
    if (InPlay()) g_bot.lastLives = row.lives;
    if (row.sceneBefore == kScenePlay && row.phase == 10) {
        g_bot.done = true;
        g_bot.castleFrame = row.frame;
        std::fprintf(stderr, "castle at frame %lld (play frame %d) lives %d\n", static_cast<long long>(row.frame),
                     row.frameCounter, row.lives);
        return;
    }
    if (row.frame % 1000 == 0) {
        std::fprintf(stderr, "frame %lld phase %d script %d lives %d enemies %d\n", static_cast<long long>(row.frame),
                     row.phase, g_GameState.StageScriptFrame, row.lives, row.enemies);
    }
    if (!InPlay()) return;
    if (platform::ScriptedInputPosition() >= g_bot.pending.size()) Decide();
}

std::vector<u16> MenuWords(i32 difficulty) {
    Script s(2000);
    s.Tap(151, kInputZ);
    const i64 t = 400;
    s.Tap(t, kInputDown);
    s.Tap(t + 15, kInputZ);
    i64 at = t + 30;
    for (i32 k = 0; k < difficulty; ++k, at += 15) s.Tap(at, kInputDown);
    s.Tap(at, kInputZ);
    at += 15;
    for (i32 k = 0; k < 4; ++k, at += 15) s.Tap(at, kInputDown);
    s.Tap(at, kInputZ);
    s.words.resize(static_cast<std::size_t>(at + 1));
    return s.words;
}

std::string ToScript(const std::vector<u16>& words) {
    std::string out;
    std::size_t i = 0;
    while (i < words.size()) {
        std::size_t j = i;
        while (j < words.size() && words[j] == words[i]) ++j;
        const u16 w = words[i];
        std::string keys;
        const std::pair<u16, const char*> names[] = {{kInputUp, "Up"}, {kInputDown, "Down"}, {kInputLeft, "Left"},
                                                     {kInputRight, "Right"}, {kInputZ, "Z"}, {kInputX, "X"},
                                                     {kInputV, "V"}, {kInputC, "C"}, {kInputA, "A"},
                                                     {kInputS, "S"}, {kInputT, "T"}};
        for (const auto& [bit, name] : names) {
            if (w & bit) keys += (keys.empty() ? "" : "+") + std::string(name);
        }
        if (keys.empty()) keys = "-";
        out += std::to_string(j - i) + " " + keys + "\n";
        i = j;
    }
    return out;
}

TEST(Stage5Bot, DISABLED_PlaysToTheCastle) {
    const char* env = std::getenv("STAGE5_BOT_DIFFICULTY");
    g_bot = Bot{};
    g_bot.difficulty = env ? std::atoi(env) : 0;
    g_bot.menu = MenuWords(g_bot.difficulty);
    RunSpec spec;
    spec.input = g_bot.menu;
    g_bot.pending = g_bot.menu;
    spec.frameLimit = 30000;
    spec.hook = Hook;
    const RunResult r = RunGame(spec);
    ASSERT_FALSE(g_bot.child);
    const std::string path = "/tmp/stage5_bot_" + std::to_string(g_bot.difficulty) + ".txt";
    if (g_bot.castleFrame > 0) g_bot.used.resize(static_cast<std::size_t>(g_bot.castleFrame + 60));
    std::ofstream(path) << ToScript(g_bot.used);
    std::fprintf(stderr, "wrote %s (%zu words)\n", path.c_str(), g_bot.used.size());
}

}  // namespace
