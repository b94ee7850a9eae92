// The sample data set draws every cell the game's tables read: the faces,
// balloon columns and speech cells of every talk line, the animation and
// facing frames of every enemy look, the frames of every effect, the name
// characters, the endings list and the stage report's comments. Each cell the game reads must lie within
// a rectangle the generator draws on that picture (tools/sampledata), or the
// player sees the bare backdrop where a picture belongs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/enemy/enemy_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/effects.h"
#include "game/play/play_scene.h"
#include "game/play/play_sprites.h"
#include "game/play/talk.h"
#include "game/play/talk_events.h"
#include "game/shell/name_characters.h"
#include "game/shell/ranking_scene.h"
#include "game/shell/report_scene.h"
#include "game/shell/scene_pieces.h"
#include "tests/game/play/enemyrt_fixture.h"
#include "tools/sampledata/cell_list.h"
#include "tools/sampledata/manifest.h"

namespace {

constexpr i32 kStages = 5;

// What the generator draws, by picture name.
class DrawnPictures {
public:
    DrawnPictures() {
        Manifest manifest;
        std::string error;
        EXPECT_TRUE(LoadManifest(TOLVARIN_SOURCE_DIR "/tools/sampledata/manifest.tsv", manifest, error)) << error;
        std::map<std::string, std::vector<SampleCell>> cells;
        EXPECT_TRUE(LoadImageCells(TOLVARIN_SOURCE_DIR "/tools/sampledata/image_cells.tsv", cells, error)) << error;
        for (const ManifestEntry& e : manifest.entries) {
            if (e.kind != "texture" && e.kind != "surface") continue;
            drawn_[e.name] = DrawnCells(e.name, e.kind, e.width, e.height, cells[e.name]);
        }
    }

    // Empty when the source lies within one drawn rectangle of the picture,
    // else what is wrong. Source edges are texel edges (a cell drawn from
    // column l to column r inclusive spans l..r + 1); a mirrored source (right
    // below left) reads the same texels.
    std::string Check(const std::string& picture, const Rect& source) const {
        const auto it = drawn_.find(picture);
        if (it == drawn_.end()) return "no picture \"" + picture + "\" in the sample data";
        const i32 left = std::min(source.left, source.right), right = std::max(source.left, source.right);
        const i32 top = std::min(source.top, source.bottom), bottom = std::max(source.top, source.bottom);
        for (const SampleCell& c : it->second) {
            if (left >= c.left && right <= c.right + 1 && top >= c.top && bottom <= c.bottom + 1) return "";
        }
        std::ostringstream out;
        out << "(" << source.left << ", " << source.top << ", " << source.right << ", " << source.bottom << ") of \""
            << picture << "\" lies outside every cell the generator draws there";
        return out.str();
    }

private:
    std::map<std::string, std::vector<SampleCell>> drawn_;
};

const DrawnPictures& Drawn() {
    static const DrawnPictures drawn;
    return drawn;
}

// Collects the problems of one table, each once, so that a fault shows as
// one line per cell rather than one per frame.
class Findings {
public:
    void Check(const std::string& picture, const Rect& source, const std::string& where) {
        const std::string problem = Drawn().Check(picture, source);
        if (!problem.empty() && seen_.insert(problem).second) lines_.push_back(where + ": " + problem);
    }
    void Missing(const std::string& what) {
        if (seen_.insert(what).second) lines_.push_back(what);
    }
    ::testing::AssertionResult None() const {
        if (lines_.empty()) return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure();
        failure << lines_.size() << " cell(s) outside what the sample data draws:";
        for (const std::string& l : lines_) failure << "\n  " << l;
        return failure;
    }

private:
    std::set<std::string> seen_;
    std::vector<std::string> lines_;
};

std::string Name(const char* name) { return name ? name : ""; }

// The stages that start a talk event: the main entry point's events 1xx in
// the first stage, 2xx in the second; 10 and 11 come from the enemy runtime
// in any stage; each other entry point serves one stage.
std::vector<i32> StagesOf(const TalkEventData& event) {
    switch (event.entry) {
        case kTalkEntryMain:
            if (event.id >= 100 && event.id < 200) return {0};
            if (event.id >= 200 && event.id < 300) return {1};
            return {0, 1, 2, 3, 4};
        case kTalkEntry300: return {2};
        case kTalkEntry500: return {3};
        case kTalkEntry400: return {4};
    }
    return {};
}

void StartEvent(const TalkEventData& event) {
    switch (event.entry) {
        case kTalkEntryMain: StartTalkEvent(event.id); break;
        case kTalkEntry300: StartTalkEvent300(event.id); break;
        case kTalkEntry400: StartTalkEvent400(event.id); break;
        case kTalkEntry500: StartTalkEvent500(event.id); break;
    }
}

// The stages' load rows (the sheets each slot holds) come from the stage
// registry, which the play fixture's reset empties.
class SampleCells : public enemyrt_test::PlayFixture {
protected:
    void SetUp() override {
        PlayFixture::SetUp();
        RegisterStages();
        for (i32 stage = 0; stage < kStages; ++stage) ASSERT_NE(StageLoadTable(stage), nullptr) << stage;
    }
};

// Every talk event played through from its start to its end in every stage
// that starts it (an event that keeps the previous speech image, with each of
// the stage's speech images): each face, balloon and speech quad it draws.
TEST_F(SampleCells, EveryTalkLineShowsItsFacesBalloonsAndText) {
    Findings findings;
    std::vector<TalkQuad> quads;
    i32 events = 0;
    std::set<i32> columns;
    for (const TalkEventData& event : TalkEventTable()) {
        for (const i32 stage : StagesOf(event)) {
            const StageLoadRow& row = *StageLoadTable(stage);
            std::vector<i32> speechSheets;
            for (i32 s = 0; s < 10; ++s) {
                const bool used = event.speechSheet < 0 ? row.speech[s] != nullptr : s == event.speechSheet;
                if (used) speechSheets.push_back(s);
            }
            for (const i32 sheet : speechSheets) {
                g_TalkState = TalkState{};
                g_TalkState.speechSheet = sheet;
                StartEvent(event);
                ASSERT_EQ(g_TalkState.active, 1) << "event " << event.id;
                ++events;
                const std::string where = "stage " + std::to_string(stage) + " event " + std::to_string(event.id);
                for (int frame = 0; g_TalkState.active != 0 && frame < 100000; ++frame) {
                    CollectTalkQuads(g_TalkState, quads);
                    for (const TalkQuad& q : quads) {
                        const std::string line = where + " line " + std::to_string(g_TalkState.lineIndex);
                        // Image `q.sheet` of the stage's list of `count` names.
                        const auto onStageImage = [&](const char* const* names, i32 count, const char* what) {
                            if (q.sheet < 0 || q.sheet >= count || names[q.sheet] == nullptr) {
                                findings.Missing(line + ": " + what + " image " + std::to_string(q.sheet) +
                                                 ", which the stage does not load");
                            } else {
                                findings.Check(names[q.sheet], q.source, line + " " + what);
                            }
                        };
                        switch (q.image) {
                            case kTalkImageFace: onStageImage(row.face, 3, "face"); break;
                            case kTalkImageWindow:
                                columns.insert(std::min(q.source.left, q.source.right) / 128);
                                findings.Check("window", q.source, line + " balloon");
                                break;
                            case kTalkImageSpeech: onStageImage(row.speech, 10, "speech"); break;
                        }
                    }
                    UpdateTalk();
                }
                EXPECT_EQ(g_TalkState.active, 0) << where << " never ends";
            }
        }
    }
    EXPECT_TRUE(findings.None());
    EXPECT_GT(events, 100);
    // The last column of the window, at x 384..511, is among those read.
    EXPECT_EQ(columns.count(3), 1u);
}

// Every sprite of every enemy look, in each of its animation frames and
// facings, on the sheet its stage loads in that slot.
TEST_F(SampleCells, EveryEnemyLookFrameIsDrawn) {
    using LookTable = std::span<const EnemyLook> (*)();
    const LookTable tables[kStages] = {EnemyLooksStage1, EnemyLooksStage2, EnemyLooksStage3, EnemyLooksStage4,
                                       EnemyLooksStage5};
    Findings findings;
    i32 sprites = 0;
    for (i32 stage = 0; stage < kStages; ++stage) {
        const StageLoadRow& row = *StageLoadTable(stage);
        for (const EnemyLook& look : tables[stage]()) {
            for (const LookSprite& sprite : look.sprites) {
                ++sprites;
                const i32 slot = static_cast<i32>(sprite.sheet);
                const char* sheet = sprite.sheet >= EnemySheet::kB1 ? row.boss[slot - static_cast<i32>(EnemySheet::kB1)]
                                                                    : row.enemy[slot];
                const std::string where = "stage " + std::to_string(stage) + " kinds " +
                                          std::to_string(look.firstKind) + ".." + std::to_string(look.lastKind);
                if (sheet == nullptr) {
                    findings.Missing(where + ": sheet slot " + std::to_string(slot) +
                                     ", which the stage does not load");
                    continue;
                }
                EnemyPart part;
                LookContext context;
                context.part = &part;
                // Every frame of a clock or timer, every facing of the eight.
                for (i32 step = 0; step < 64; ++step) {
                    context.frameCounter = step * std::max(sprite.frameDivisor, 1);
                    part.timer = context.frameCounter;
                    context.worldAngle = static_cast<f32>(step * std::numbers::pi / 32.0);
                    findings.Check(sheet, LookSpriteSource(context, sprite), where);
                }
            }
        }
    }
    EXPECT_TRUE(findings.None());
    EXPECT_GT(sprites, 200);
}

// Every effect kind from its spawn to its end (and the score pop-ups), in
// every stage: each quad on the sheet it names.
TEST_F(SampleCells, EveryEffectFrameIsDrawn) {
    Findings findings;
    std::set<i32> drawnKinds;
    for (i32 stage = 0; stage < kStages; ++stage) {
        const StageLoadRow& row = *StageLoadTable(stage);
        const auto picture = [&](PlaySheet sheet) -> std::string {
            switch (sheet) {
                case kSheetEffect: return "effect";
                case kSheetPicture: return "picture";
                case kSheetMissile: return "missile";
                case kSheetStageTitle: return "stage_title";
                case kSheetEnemy3: return Name(row.enemy[2]);
            }
            return "";
        };
        std::vector<i32> kinds;
        for (i32 k = 0; k < 200; ++k) kinds.push_back(k);
        for (i32 points : {100, 500, 1000, 5000, 10000}) kinds.push_back(kEffectScorePopup + points);
        for (const i32 kind : kinds) {
            g_EffectList.clear();
            const f32 at[2] = {320.0f, 240.0f};
            SpawnEffect(kind, at, 0.5f, 3);
            if (g_EffectList.empty()) continue;
            g_EffectList[0].age = 0;
            const std::string where = "stage " + std::to_string(stage) + " effect " + std::to_string(kind);
            for (int frame = 0; !g_EffectList.empty() && frame < 2000; ++frame) {
                for (i32 layer = -1; layer <= 2; ++layer) {
                    PlayQuadList quads;
                    CollectEffectQuads(layer, quads);
                    for (const PlayQuad& q : quads) {
                        drawnKinds.insert(kind);
                        const std::string name = picture(q.sheet);
                        if (name.empty()) {
                            findings.Missing(where + ": a sheet the stage does not load");
                        } else {
                            findings.Check(name, q.source, where);
                        }
                    }
                }
                UpdateEffects();
            }
        }
    }
    EXPECT_TRUE(findings.None());
    EXPECT_GT(drawnKinds.size(), 25u);
}

// The characters of stored names (ranking, result, replays), the rows of the
// endings list, and the stage report's comment (its face and words, chosen by
// stage, rank and score) and rank marks. A blank character shows nothing on
// purpose.
TEST(SampleShellCells, NameCharactersEndingsListAndReportCommentsAreDrawn) {
    Findings findings;
    for (u32 c = 0; c <= kNameCharacterCount; ++c) {
        if (NameCharacterAt(c) == ' ') continue;
        findings.Check("name", NameCharacterSource(c), "name character " + std::to_string(c));
    }
    for (i32 i = 0; i < kRankingEndingRows; ++i) {
        findings.Check("endlist", RankingEndingNumberSource(i), "endings row " + std::to_string(i) + " number");
        findings.Check("endlist", RankingEndingTitleSource(i), "endings row " + std::to_string(i) + " title");
    }
    findings.Check("endlist", RankingEndingTitleSource(kRankingUnknownEnding), "an ending not yet seen");
    for (i32 stage = 0; stage < kStages; ++stage) {
        for (i32 rank = 1; rank <= 5; ++rank) {
            for (i32 score : {0, 1}) {
                const ReportComment c = ChooseReportComment(stage, score, 100, rank);
                const std::string where = "report of stage " + std::to_string(stage) + " rank " + std::to_string(rank) +
                                          " score " + std::to_string(score);
                findings.Check("face_report", ReportCommentFaceSource(c.face), where + " face");
                findings.Check(c.image == 0 ? "clear01" : "clear02", ReportCommentCellSource(c.cell), where + " words");
            }
        }
    }
    for (i32 rank = 0; rank <= 5; ++rank) {
        findings.Check("title3", ReportRankMarkSource(rank), "rank mark " + std::to_string(rank));
    }
    EXPECT_TRUE(findings.None());
}

}  // namespace
