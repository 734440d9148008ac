#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "player/SwfHeader.h"
#include "tools/swfgen/DemoMovie.h"
#include "tools/swfgen/DemoSeed.h"
#include "tools/swfgen/MovieFiles.h"
#include "tools/swfgen/UnavailableMovie.h"

namespace {

namespace fs = std::filesystem;
using zorbel::SwfHeader;
using zorbel::SwfTag;
using zorbel::swfgen::DemoFrameAction;
using zorbel::swfgen::DemoKind;
using zorbel::swfgen::DemoMovie;
using zorbel::swfgen::DemoMoviePlan;
using zorbel::swfgen::DemoSeed;
using zorbel::swfgen::MovieFiles;
using zorbel::swfgen::UnavailableMovie;
using Bytes = std::vector<uint8_t>;

// An independent reader of the records the generator writes, so that a wrong bit count
// anywhere shows up as a tag whose records do not end where the tag ends.
class BitReader {
public:
    BitReader(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
    uint32_t U(unsigned count) {
        uint32_t v = 0;
        for (unsigned i = 0; i < count; ++i, ++m_bit) {
            if (m_bit / 8 >= m_n) {
                m_overrun = true;
                return 0;
            }
            v = v << 1 | ((m_p[m_bit / 8] >> (7 - m_bit % 8)) & 1u);
        }
        return v;
    }
    int32_t S(unsigned count) {
        uint32_t v = U(count);
        if (count > 0 && count < 32 && (v & (1u << (count - 1)))) v |= ~0u << count;
        return int32_t(v);
    }
    void Align() { m_bit = (m_bit + 7) / 8 * 8; }
    uint8_t U8() {
        Align();
        return uint8_t(U(8));
    }
    uint16_t U16() {
        uint16_t lo = U8();
        return uint16_t(lo | U8() << 8);
    }
    size_t Byte() const { return (m_bit + 7) / 8; }
    bool overrun() const { return m_overrun; }

private:
    const uint8_t* m_p;
    size_t m_n;
    size_t m_bit = 0;
    bool m_overrun = false;
};

struct Rect {
    int32_t xMin, xMax, yMin, yMax;
};

Rect ReadRect(BitReader& r) {
    r.Align();
    unsigned n = r.U(5);
    Rect rect{r.S(n), r.S(n), r.S(n), r.S(n)};
    r.Align();
    return rect;
}

struct Matrix {
    double sx = 1, sy = 1, r0 = 0, r1 = 0;
    int32_t tx = 0, ty = 0;
};

Matrix ReadMatrix(BitReader& r) {
    Matrix m;
    r.Align();
    if (r.U(1)) {
        unsigned n = r.U(5);
        m.sx = r.S(n) / 65536.0;
        m.sy = r.S(n) / 65536.0;
    }
    if (r.U(1)) {
        unsigned n = r.U(5);
        m.r0 = r.S(n) / 65536.0;
        m.r1 = r.S(n) / 65536.0;
    }
    unsigned n = r.U(5);
    m.tx = r.S(n);
    m.ty = r.S(n);
    r.Align();
    return m;
}

void ReadColorTransformWithAlpha(BitReader& r) {
    r.Align();
    bool hasAdd = r.U(1), hasMult = r.U(1);
    unsigned n = r.U(4);
    for (int i = 0; i < 4 && hasMult; ++i) r.S(n);
    for (int i = 0; i < 4 && hasAdd; ++i) r.S(n);
    r.Align();
}

// Decodes a whole DefineShape3 body; returns an error text, empty when it is sound.
std::string CheckShape3(const uint8_t* body, size_t length, std::set<uint16_t>& ids) {
    BitReader r(body, length);
    uint16_t id = r.U16();
    if (!ids.insert(id).second) return "shape id " + std::to_string(id) + " defined twice";
    Rect bounds = ReadRect(r);
    unsigned fills = r.U8();
    if (fills == 0xFF) fills = r.U16();
    for (unsigned i = 0; i < fills; ++i) {
        uint8_t type = r.U8();
        if (type == 0x00) {
            for (int k = 0; k < 4; ++k) r.U8();
        } else if (type == 0x10 || type == 0x12) {
            ReadMatrix(r);
            r.U(2);
            r.U(2);
            unsigned stops = r.U(4);
            if (stops < 1) return "gradient without stops";
            int last = -1;
            for (unsigned k = 0; k < stops; ++k) {
                int ratio = r.U8();
                if (ratio < last) return "gradient ratios out of order";
                last = ratio;
                for (int c = 0; c < 4; ++c) r.U8();
            }
        } else {
            return "unexpected fill type " + std::to_string(type);
        }
    }
    unsigned lines = r.U8();
    if (lines == 0xFF) lines = r.U16();
    for (unsigned i = 0; i < lines; ++i) {
        r.U16();
        for (int c = 0; c < 4; ++c) r.U8();
    }
    r.Align();
    unsigned fillBits = r.U(4), lineBits = r.U(4);
    int32_t x = 0, y = 0;
    int edges = 0;
    auto inside = [&](int32_t px, int32_t py) {
        return px >= bounds.xMin && px <= bounds.xMax && py >= bounds.yMin && py <= bounds.yMax;
    };
    while (!r.overrun()) {
        if (r.U(1) == 0) {
            unsigned flags = r.U(5);
            if (flags == 0) break;
            if (flags & 0x10) return "unexpected new styles";
            if (flags & 0x01) {
                unsigned n = r.U(5);
                x = r.S(n);
                y = r.S(n);
            }
            if ((flags & 0x02) && r.U(fillBits) > fills) return "fill style 0 out of range";
            if ((flags & 0x04) && r.U(fillBits) > fills) return "fill style 1 out of range";
            if ((flags & 0x08) && r.U(lineBits) > lines) return "line style out of range";
        } else {
            bool straight = r.U(1);
            unsigned n = r.U(4) + 2;
            if (straight) {
                if (r.U(1)) {
                    x += r.S(n);
                    y += r.S(n);
                } else if (r.U(1)) {
                    y += r.S(n);
                } else {
                    x += r.S(n);
                }
            } else {
                int32_t cx = x + r.S(n), cy = y + r.S(n);
                if (!inside(cx, cy)) return "curve control point outside the bounds";
                x = cx + r.S(n);
                y = cy + r.S(n);
            }
            ++edges;
        }
        if (!inside(x, y)) return "pen outside the shape's bounds";
    }
    if (r.overrun()) return "records run past the tag";
    if (edges == 0) return "shape without edges";
    if (r.Byte() != length) {
        return "records end at " + std::to_string(r.Byte()) + " of " + std::to_string(length);
    }
    return "";
}

struct Placement {
    uint16_t depth = 0;
    uint16_t character = 0;
    bool move = false;
    Matrix matrix;
};

std::string CheckPlace2(const uint8_t* body, size_t length, Placement& place) {
    BitReader r(body, length);
    uint8_t flags = r.U8();
    if (flags & 0xF0) return "unexpected PlaceObject2 flags";
    place.move = flags & 0x01;
    place.depth = r.U16();
    if (flags & 0x02) place.character = r.U16();
    if (flags & 0x04) place.matrix = ReadMatrix(r);
    if (flags & 0x08) ReadColorTransformWithAlpha(r);
    if (r.overrun() || r.Byte() != length) return "PlaceObject2 body has the wrong length";
    return "";
}

struct Walk {
    std::vector<SwfTag> tags;
    int frames = 0;
    int doActions = 0;
    std::vector<Bytes> actionBodies;
    std::vector<int> actionFrames;  // frame index each DoAction belongs to
    std::string error;
};

// Checks every tag of a timeline (the root or a clip's) and returns what it saw.
Walk CheckTimeline(const Bytes& movie, size_t start, size_t end, std::set<uint16_t>& ids,
                   const Rect& stage) {
    Walk w;
    std::set<uint16_t> occupied;
    size_t pos = start;
    while (pos < end && w.error.empty()) {
        uint16_t head = uint16_t(movie[pos] | movie[pos + 1] << 8);
        SwfTag tag;
        tag.offset = pos;
        tag.code = head >> 6;
        tag.length = head & 0x3F;
        pos += 2;
        if (tag.length == 0x3F) {
            tag.length = uint32_t(movie[pos] | movie[pos + 1] << 8 | movie[pos + 2] << 16 |
                                  uint32_t(movie[pos + 3]) << 24);
            pos += 4;
        }
        tag.bodyOffset = pos;
        pos += tag.length;
        if (pos > end) {
            w.error = "tag runs past its timeline";
            break;
        }
        w.tags.push_back(tag);
        const uint8_t* body = movie.data() + tag.bodyOffset;
        switch (tag.code) {
            case 0:
                return w;
            case 1:
                ++w.frames;
                break;
            case 12:
                ++w.doActions;
                w.actionBodies.emplace_back(body, body + tag.length);
                w.actionFrames.push_back(w.frames);
                break;
            case 32:
                w.error = CheckShape3(body, tag.length, ids);
                break;
            case 26: {
                Placement p;
                w.error = CheckPlace2(body, tag.length, p);
                if (!w.error.empty()) break;
                if (p.character != 0 && !ids.count(p.character)) {
                    w.error = "placing undefined character " + std::to_string(p.character);
                } else if (p.character == 0 && !occupied.count(p.depth)) {
                    w.error = "moving at empty depth " + std::to_string(p.depth);
                } else if (p.character != 0 && occupied.count(p.depth)) {
                    w.error = "placing over an occupied depth";
                } else if (p.matrix.tx < stage.xMin - 4000 || p.matrix.tx > stage.xMax + 4000 ||
                           p.matrix.ty < stage.yMin - 4000 || p.matrix.ty > stage.yMax + 4000) {
                    w.error = "figure far off the stage";
                }
                occupied.insert(p.depth);
                break;
            }
            case 28: {
                const uint16_t depth = uint16_t(body[0] | body[1] << 8);
                if (tag.length != 2 || !occupied.erase(depth)) w.error = "removing at empty depth";
                break;
            }
            case 39: {
                uint16_t sprite = uint16_t(body[0] | body[1] << 8);
                uint16_t spriteFrames = uint16_t(body[2] | body[3] << 8);
                Walk inner = CheckTimeline(movie, tag.bodyOffset + 4, tag.bodyOffset + tag.length,
                                           ids, {-100000, 100000, -100000, 100000});
                if (!inner.error.empty()) {
                    w.error = "in clip: " + inner.error;
                } else if (inner.frames != spriteFrames) {
                    w.error = "clip frame count does not match its frames";
                } else if (inner.tags.empty() || inner.tags.back().code != 0 ||
                           inner.tags.back().bodyOffset != tag.bodyOffset + tag.length) {
                    w.error = "clip does not end with its End tag";
                }
                ids.insert(sprite);
                break;
            }
            case 69:
                if (w.tags.size() != 1) w.error = "FileAttributes is not the first tag";
                break;
            case 9:
                break;
            default:
                w.error = "unexpected tag " + std::to_string(tag.code);
        }
    }
    return w;
}

Walk CheckMovie(const Bytes& file) {
    auto movie = SwfHeader::DecompressMovie(file);
    if (!movie.ok()) {
        Walk w;
        w.error = movie.message;
        return w;
    }
    std::set<uint16_t> ids;
    const auto& h = movie.header;
    Walk w =
        CheckTimeline(movie.bytes, h.firstTagOffset, movie.bytes.size(), ids,
                      {h.stageTwips.xMin, h.stageTwips.xMax, h.stageTwips.yMin, h.stageTwips.yMax});
    if (w.error.empty() && (w.tags.empty() || w.tags.back().code != 0 ||
                            w.tags.back().offset + 2 != movie.bytes.size())) {
        w.error = "the movie does not end with its End tag";
    }
    return w;
}

std::string Hex(const Bytes& b) {
    std::string s;
    char buf[4];
    for (uint8_t v : b) {
        std::snprintf(buf, sizeof buf, "%02x", v);
        s += buf;
    }
    return s;
}

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TempDir {
public:
    TempDir() {
        m_path = fs::temp_directory_path() /
                 ("swfgen-test-" + std::to_string(::getpid()) + "-" + std::to_string(++s_count));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    static int s_count;
};
int TempDir::s_count = 0;

std::vector<std::string> SomeIds() {
    std::vector<std::string> ids;
    for (int i = 1; i <= 40; ++i) ids.push_back(std::to_string(i));
    for (const char* s : {"0", "1001", "65535", "abc", "小星星", "9999999999"}) ids.push_back(s);
    return ids;
}

// Each demo movie is built once for all the tests that only look at it.
const Bytes& Built(const std::string& id) {
    static std::map<std::string, Bytes> cache;
    auto it = cache.find(id);
    if (it == cache.end()) it = cache.emplace(id, DemoMovie::Build(DemoMovie::PlanFor(id))).first;
    return it->second;
}

// ---------------------------------------------------------------------------------------

TEST(DemoMoviePlan, StaysInRangeAndVaries) {
    std::set<uint16_t> frameCounts;
    std::set<uint16_t> rates;
    int compressed = 0, as3 = 0, stops = 0, loops = 0, plain = 0;
    for (int i = 0; i < 600; ++i) {
        DemoMoviePlan s = DemoMovie::PlanFor(std::to_string(i));
        EXPECT_GE(s.frameCount, 60);
        EXPECT_LE(s.frameCount, 600);
        EXPECT_GE(s.frameRateFixed, 12 << 8);
        EXPECT_LE(s.frameRateFixed, 30 << 8);
        EXPECT_GE(s.version, 8);  // ExternalInterface exists from 8 on
        EXPECT_TRUE((s.width == 550 && s.height == 400) || (s.width == 640 && s.height == 480));
        if (s.actionScript3) {
            EXPECT_EQ(s.lastFrameAction, DemoFrameAction::None);
            EXPECT_GE(s.version, 9);
        }
        frameCounts.insert(s.frameCount);
        rates.insert(s.frameRateFixed);
        compressed += s.compressed;
        as3 += s.actionScript3;
        stops += s.lastFrameAction == DemoFrameAction::StopAtEnd;
        loops += s.lastFrameAction == DemoFrameAction::LoopToStart;
        plain += !s.actionScript3 && s.lastFrameAction == DemoFrameAction::None;
    }
    EXPECT_GT(frameCounts.size(), 200u);
    EXPECT_GT(rates.size(), 20u);
    EXPECT_GT(compressed, 100);
    EXPECT_LT(compressed, 500);
    EXPECT_GT(as3, 20);
    EXPECT_GT(stops, 50);
    EXPECT_GT(loops, 50);
    EXPECT_GT(plain, 50);

    DemoMoviePlan a = DemoMovie::PlanFor("42"), b = DemoMovie::PlanFor("42");
    EXPECT_EQ(a.seed, b.seed);
    EXPECT_EQ(a.frameCount, b.frameCount);
    EXPECT_NE(DemoMovie::PlanFor("42").seed, DemoMovie::PlanFor("43").seed);
}

TEST(DemoMovieBuild, HeadersSayWhatWasAskedAndFilesAreBigEnough) {
    for (const std::string& id : SomeIds()) {
        SCOPED_TRACE("file id " + id);
        DemoMoviePlan plan = DemoMovie::PlanFor(id);
        const Bytes& movie = Built(id);
        ASSERT_FALSE(movie.empty());
        EXPECT_GE(movie.size(), DemoMovie::kMinimumSize);
        EXPECT_EQ(movie[0], plan.compressed ? 'C' : 'F');
        EXPECT_EQ(movie[1], 'W');
        EXPECT_EQ(movie[2], 'S');
        auto h = SwfHeader::Read(movie);
        ASSERT_TRUE(h.ok()) << h.message;
        EXPECT_EQ(h.header.version, plan.version);
        EXPECT_EQ(h.header.frameCount, plan.frameCount);
        EXPECT_EQ(h.header.frameRateFixed, plan.frameRateFixed);
        EXPECT_DOUBLE_EQ(h.header.stageWidth, plan.width);
        EXPECT_DOUBLE_EQ(h.header.stageHeight, plan.height);
        EXPECT_EQ(h.header.stageTwips.xMin, 0);
        EXPECT_EQ(h.header.stageTwips.yMin, 0);
        if (!plan.compressed) {
            EXPECT_EQ(h.header.fileLength, movie.size());
        }
    }
}

TEST(DemoMovieBuild, SameTitleGivesTheSameBytes) {
    for (const char* id : {"1", "7", "33", "小星星"}) {
        EXPECT_EQ(DemoMovie::Build(DemoMovie::PlanFor(id)), Built(id)) << id;
    }
    EXPECT_NE(Built("1"), Built("2"));
}

TEST(DemoMovieBuild, CompressedMoviesInflateToTheirUncompressedTwin) {
    int checked = 0;
    for (const std::string& id : SomeIds()) {
        DemoMoviePlan plan = DemoMovie::PlanFor(id);
        if (!plan.compressed) continue;
        const Bytes& cws = Built(id);
        plan.compressed = false;
        Bytes fws = DemoMovie::Build(plan);
        auto inflated = SwfHeader::DecompressMovie(cws);
        ASSERT_TRUE(inflated.ok()) << id << ": " << inflated.message;
        EXPECT_EQ(inflated.bytes, fws) << id;
        EXPECT_LT(cws.size(), fws.size());
        ++checked;
    }
    EXPECT_GT(checked, 5);
}

TEST(DemoMovieBuild, EveryTagDecodesAndFramesMatchTheHeader) {
    for (const std::string& id : SomeIds()) {
        SCOPED_TRACE("file id " + id);
        DemoMoviePlan plan = DemoMovie::PlanFor(id);
        Walk w = CheckMovie(Built(id));
        ASSERT_EQ(w.error, "");
        EXPECT_EQ(w.frames, plan.frameCount);
        EXPECT_EQ(w.tags.front().code, SwfHeader::kTagFileAttributes);
    }
}

TEST(DemoMovieBuild, FrameActionsSitOnTheLastFrame) {
    bool sawStop = false, sawLoop = false, sawAs3 = false;
    for (const std::string& id : SomeIds()) {
        SCOPED_TRACE("file id " + id);
        DemoMoviePlan plan = DemoMovie::PlanFor(id);
        const Bytes& movie = Built(id);
        Walk w = CheckMovie(movie);
        ASSERT_EQ(w.error, "");
        auto as3 = SwfHeader::IsActionScript3(movie);
        ASSERT_TRUE(as3.ok());
        EXPECT_EQ(as3.actionScript3, plan.actionScript3);
        switch (plan.actionScript3 ? DemoFrameAction::None : plan.lastFrameAction) {
            case DemoFrameAction::None:
                EXPECT_EQ(w.doActions, 0);
                sawAs3 |= plan.actionScript3;
                break;
            case DemoFrameAction::StopAtEnd:
                ASSERT_EQ(w.doActions, 1);
                EXPECT_EQ(Hex(w.actionBodies[0]), "0700");  // stop, end
                EXPECT_EQ(w.actionFrames[0], plan.frameCount - 1);
                sawStop = true;
                break;
            case DemoFrameAction::LoopToStart:
                ASSERT_EQ(w.doActions, 1);
                EXPECT_EQ(Hex(w.actionBodies[0]),
                          "810200000006"
                          "00");  // goto frame 0, play, end
                EXPECT_EQ(w.actionFrames[0], plan.frameCount - 1);
                sawLoop = true;
                break;
        }
    }
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(sawLoop);
    EXPECT_TRUE(sawAs3);
}

// Listening titles play once through and end at a known moment; games loop on purpose.
TEST(DemoMovieBuild, KindsEndAsTheirListenersExpect) {
    int stops = 0, wraps = 0, as3 = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string id = std::to_string(i);
        SCOPED_TRACE("file id " + id);
        const DemoMoviePlan base = DemoMovie::PlanFor(id);
        EXPECT_EQ(DemoMovie::PlanFor(id, DemoKind::Unknown).frameCount, base.frameCount);
        for (DemoKind kind : {DemoKind::Song, DemoKind::Story, DemoKind::Knowledge}) {
            DemoMoviePlan plan = DemoMovie::PlanFor(id, kind);
            EXPECT_NE(plan.lastFrameAction, DemoFrameAction::LoopToStart);
            EXPECT_GE(DemoMovie::PlayingSeconds(plan), 2.5);
            EXPECT_LE(DemoMovie::PlayingSeconds(plan), 12.5);
            EXPECT_EQ(plan.version, base.version);
            EXPECT_EQ(plan.actionScript3, base.actionScript3);
            if (kind != DemoKind::Song) continue;
            stops += plan.lastFrameAction == DemoFrameAction::StopAtEnd;
            wraps += !plan.actionScript3 && plan.lastFrameAction == DemoFrameAction::None;
            as3 += plan.actionScript3;
        }
        DemoMoviePlan game = DemoMovie::PlanFor(id, DemoKind::Game);
        EXPECT_EQ(game.lastFrameAction,
                  game.actionScript3 ? DemoFrameAction::None : DemoFrameAction::LoopToStart);
    }
    EXPECT_GT(stops, 50);
    EXPECT_GT(wraps, 50);
    EXPECT_GT(as3, 10);

    // The only frame action of a song is a stop() on its very last frame.
    for (const char* id : {"1", "2", "3", "4", "5", "6", "7", "8"}) {
        DemoMoviePlan plan = DemoMovie::PlanFor(id, DemoKind::Song);
        Bytes movie = DemoMovie::Build(plan);
        ASSERT_GE(movie.size(), DemoMovie::kMinimumSize) << id;
        Walk w = CheckMovie(movie);
        ASSERT_EQ(w.error, "") << id;
        EXPECT_EQ(w.frames, plan.frameCount) << id;
        // Where it stops, nothing moves: the spinning clip has left the last frame.
        std::vector<size_t> removes, shows;
        for (size_t i = 0; i < w.tags.size(); ++i) {
            if (w.tags[i].code == 28) removes.push_back(i);
            if (w.tags[i].code == 1) shows.push_back(i);
        }
        ASSERT_EQ(removes.size(), 1u) << id;
        EXPECT_GT(removes[0], shows[shows.size() - 2]) << id;
        if (plan.lastFrameAction == DemoFrameAction::StopAtEnd) {
            ASSERT_EQ(w.doActions, 1) << id;
            EXPECT_EQ(w.actionFrames[0], plan.frameCount - 1) << id;
        } else {
            EXPECT_EQ(w.doActions, 0) << id;
        }
    }
}

TEST(UnavailableMovieBuild, IsASmallSoundShapesOnlyMovie) {
    Bytes movie = UnavailableMovie::Build();
    EXPECT_EQ(movie, UnavailableMovie::Build());
    auto h = SwfHeader::Read(movie);
    ASSERT_TRUE(h.ok()) << h.message;
    EXPECT_EQ(movie[0], 'F');
    EXPECT_EQ(h.header.version, UnavailableMovie::kVersion);
    EXPECT_EQ(h.header.frameCount, UnavailableMovie::kFrameCount);
    EXPECT_DOUBLE_EQ(h.header.stageWidth, UnavailableMovie::kWidth);
    EXPECT_DOUBLE_EQ(h.header.stageHeight, UnavailableMovie::kHeight);
    EXPECT_LT(movie.size(), 64u * 1024);
    Walk w = CheckMovie(movie);  // refuses any tag besides shapes, placements and frames
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(w.frames, UnavailableMovie::kFrameCount);
    EXPECT_EQ(w.doActions, 0);
}

TEST(DemoSeedParse, ReadsTitleLinesAndSkipsTheRest) {
    const std::string text =
        "\xEF\xBB\xBF# comment\n"
        "class\t1\t1\t经典儿歌\n"
        "title\t1\t1\t小星星\t37\r\n"
        "\n"
        "title\t2\t1\ttwo words\n"
        "movie\t1\t1\t动画\thttp://x/\n"
        "title\t3\t1\ta.b.swf name\n"
        "title\t4\t1\n"
        "title\t5\t1\tbad/name\n"
        "title\t6\t1\t小星星\n"
        "title\t\t1\tno id\n"
        "title\t8\t1\t..\n"
        "title\t9\t1\t\xC3\x28\n"
        "title\t10\t1\tx\t1\textra\n"
        "#title\t11\t1\tcommented\n";
    auto r = DemoSeed::Parse(text);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.titles.size(), 3u);
    EXPECT_EQ(r.titles[0].name, "小星星");
    EXPECT_EQ(r.titles[0].fileId, "1");
    EXPECT_EQ(r.titles[0].classId, "1");
    EXPECT_EQ(r.titles[0].line, 3);
    EXPECT_EQ(r.titles[0].typeId, 1);  // from the class line
    EXPECT_EQ(DemoSeed::Parse("title\t1\t9\tx\nclass\t9\t4\tgames\n").titles[0].typeId, 4);
    EXPECT_EQ(DemoSeed::Parse("title\t1\t9\tx\n").titles[0].typeId, 0);
    EXPECT_EQ(r.titles[1].name, "two words");
    EXPECT_EQ(r.titles[2].name, "a.b.swf name");
    ASSERT_EQ(r.warnings.size(), 7u);
    EXPECT_NE(r.warnings[0].find("line 8"), std::string::npos);
    EXPECT_NE(r.warnings[1].find("'/'"), std::string::npos);
    EXPECT_NE(r.warnings[2].find("repeats"), std::string::npos);
}

TEST(DemoSeedParse, NamesMustBeUsableFileNames) {
    std::string why;
    EXPECT_TRUE(DemoSeed::IsUsableName("小兔子乖乖", &why));
    EXPECT_TRUE(DemoSeed::IsUsableName("Twinkle, twinkle (2)", &why));
    EXPECT_FALSE(DemoSeed::IsUsableName("", &why));
    EXPECT_FALSE(DemoSeed::IsUsableName(".", &why));
    EXPECT_FALSE(DemoSeed::IsUsableName("a/b", &why));
    EXPECT_FALSE(DemoSeed::IsUsableName("tab\there", &why));
    EXPECT_FALSE(DemoSeed::IsUsableName("\xE4\xB8", &why));      // cut multibyte
    EXPECT_FALSE(DemoSeed::IsUsableName("\xC0\xAF", &why));      // overlong '/'
    EXPECT_FALSE(DemoSeed::IsUsableName("\xED\xA0\x80", &why));  // surrogate
    EXPECT_FALSE(DemoSeed::IsUsableName(std::string(252, 'a'), &why));
    EXPECT_TRUE(DemoSeed::IsUsableName(std::string(251, 'a'), &why));
    EXPECT_FALSE(DemoSeed::Load("/nonexistent/seed.tsv").ok);
}

TEST(MovieFilesWrite, WritesOneFilePerTitleUnderItsName) {
    TempDir dir;
    auto seed = DemoSeed::Parse("title\t1\t1\t小星星\ntitle\t2\t1\ttwo words\ntitle\t3\t1\ta.b\n");
    fs::path out = dir.path() / "content" / "nested";
    auto r = MovieFiles::WriteTitles(seed.titles, out.u8string());
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.written, 3u);
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(out)) names.insert(e.path().filename().u8string());
    EXPECT_EQ(names, (std::set<std::string>{"小星星.swf", "two words.swf", "a.b.swf"}));
    EXPECT_EQ(ReadAll(out / fs::u8path("小星星.swf")), Built("1"));

    auto again = MovieFiles::WriteTitles(seed.titles, out.u8string());
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(ReadAll(out / "a.b.swf"), Built("3"));
}

TEST(MovieFilesWrite, ReportsFoldersItCannotWriteTo) {
    TempDir dir;
    fs::path blocker = dir.path() / "file";
    std::ofstream(blocker) << "x";
    auto seed = DemoSeed::Parse("title\t1\t1\tone\n");
    auto r = MovieFiles::WriteTitles(seed.titles, (blocker / "sub").string());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_FALSE(MovieFiles::WriteUnavailable((blocker / "Velaone.dll").string()).ok);
}

int RunSwfGen(const std::string& args) {
    std::string command = std::string("\"") + ZORBEL_SWFGEN_EXE + "\" " + args + " >/dev/null 2>&1";
    int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(SwfGenProgram, WritesTitlesAndTheStandInMovie) {
    TempDir dir;
    fs::path seed = dir.path() / "seed.tsv";
    std::ofstream(seed) << "# test\ntitle\t5\t1\t数鸭子\ntitle\t6\t1\tbad/name\nclass\t1\t1\tx\n";
    fs::path out = dir.path() / "content";
    fs::path standIn = dir.path() / "data" / "Velaone.dll";
    EXPECT_EQ(RunSwfGen("--seed '" + seed.string() + "' --out '" + out.string() +
                        "' --unavailable '" + standIn.string() + "'"),
              0);
    EXPECT_EQ(ReadAll(out / fs::u8path("数鸭子.swf")), Built("5"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
    EXPECT_EQ(ReadAll(standIn), UnavailableMovie::Build());

    EXPECT_EQ(RunSwfGen(""), 2);
    EXPECT_EQ(RunSwfGen("--seed '" + seed.string() + "'"), 2);
    EXPECT_EQ(RunSwfGen("--bogus x"), 2);
    EXPECT_EQ(RunSwfGen("--seed /nonexistent/seed.tsv --out '" + out.string() + "'"), 1);
}

// The demo catalog's seed: every title gets its movie, none is skipped.
TEST(SwfGenProgram, EveryDemoCatalogTitleGetsAMovie) {
    const fs::path seed = fs::path(ZORBEL_SOURCE_DIR) / "tools/catalog_builder/demo_catalog.tsv";
    if (!fs::exists(seed)) GTEST_SKIP() << "no demo catalog seed yet";
    std::ifstream in(seed);
    std::string line;
    int titleLines = 0;
    while (std::getline(in, line)) titleLines += line.rfind("title\t", 0) == 0;
    ASSERT_GT(titleLines, 0);

    TempDir dir;
    EXPECT_EQ(RunSwfGen("--seed '" + seed.string() + "' --out '" + dir.path().string() + "'"), 0);
    auto parsed = DemoSeed::Load(seed.string());
    ASSERT_TRUE(parsed.ok);
    EXPECT_TRUE(parsed.warnings.empty()) << parsed.warnings.front();
    ASSERT_EQ(int(parsed.titles.size()), titleLines);
    for (const auto& t : parsed.titles) {
        fs::path file = dir.path() / fs::u8path(t.name + ".swf");
        ASSERT_TRUE(fs::exists(file)) << t.name;
        EXPECT_GE(fs::file_size(file), DemoMovie::kMinimumSize) << t.name;
    }
}

// With --kinds a title takes the shape of its class's type.
TEST(SwfGenProgram, KindsShapeEachTitleAfterItsClass) {
    TempDir dir;
    fs::path seed = dir.path() / "seed.tsv";
    std::ofstream(seed)
        << "title\t5\t1\t数鸭子\ntitle\t6\t4\t拼图\nclass\t1\t1\tx\nclass\t4\t4\ty\n";
    fs::path out = dir.path() / "content";
    EXPECT_EQ(RunSwfGen("--kinds --seed '" + seed.string() + "' --out '" + out.string() + "'"), 0);
    EXPECT_EQ(ReadAll(out / fs::u8path("数鸭子.swf")),
              DemoMovie::Build(DemoMovie::PlanFor("5", DemoKind::Song)));
    EXPECT_EQ(ReadAll(out / fs::u8path("拼图.swf")),
              DemoMovie::Build(DemoMovie::PlanFor("6", DemoKind::Game)));
    EXPECT_EQ(RunSwfGen("--kinds --unavailable '" + (dir.path() / "x").string() + "'"), 2);
}

}  // namespace
