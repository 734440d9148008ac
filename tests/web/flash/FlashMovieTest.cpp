// The window-free half of the movie control: the frame action's bytes, its insertion into a
// movie, the scheme's path rules and the page's reports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "player/SwfHeader.h"
#include "tests/web/flash/TestMovie.h"
#include "web/flash/FlashHostMessage.h"
#include "web/flash/FlashMoviePreparer.h"
#include "web/flash/FlashSchemePaths.h"
#include "web/flash/FrameControlAction.h"
#include "web/flash/MovieEndWatch.h"

namespace zorbel {
namespace {

using test::MakeTestMovie;
using test::TestMovieRecipe;

struct ActionRecord {
    uint8_t code;
    std::vector<uint8_t> body;
    std::vector<ActionRecord> function;  // the code of a DefineFunction
};

// Walks an AVM1 action stream; fails the test on any record that runs past its end.
std::vector<ActionRecord> WalkActions(const std::vector<uint8_t>& bytes, size_t begin, size_t end,
                                      bool& ended) {
    std::vector<ActionRecord> records;
    ended = false;
    size_t p = begin;
    while (p < end) {
        ActionRecord r{bytes[p++], {}, {}};
        if (r.code == 0) {
            ended = true;
            records.push_back(r);
            break;
        }
        if (r.code >= 0x80) {
            EXPECT_LE(p + 2, end);
            if (p + 2 > end) break;
            size_t len = bytes[p] | bytes[p + 1] << 8;
            p += 2;
            EXPECT_LE(p + len, end);
            if (p + len > end) break;
            r.body.assign(bytes.begin() + p, bytes.begin() + p + len);
            p += len;
        }
        if (r.code == FrameControlAction::kActionDefineFunction) {
            size_t codeSize = r.body[r.body.size() - 2] | r.body[r.body.size() - 1] << 8;
            EXPECT_LE(p + codeSize, end);
            bool inner = false;
            r.function = WalkActions(bytes, p, std::min(end, p + codeSize), inner);
            EXPECT_FALSE(inner) << "a function body has no End action of its own";
            p += codeSize;
        }
        records.push_back(r);
    }
    EXPECT_EQ(p, end) << "the records do not fill the stream exactly";
    return records;
}

std::string PushedString(const ActionRecord& r) {
    if (r.code != FrameControlAction::kActionPush || r.body.empty() || r.body[0] != 0) return {};
    return std::string(r.body.begin() + 1, std::find(r.body.begin() + 1, r.body.end(), 0));
}

TEST(FrameControlActionTest, ActionStreamIsWellFormedAndRegistersEveryCallback) {
    std::vector<uint8_t> actions = FrameControlAction::BuildActions();
    bool ended = false;
    auto records = WalkActions(actions, 0, actions.size(), ended);
    ASSERT_TRUE(ended);
    EXPECT_EQ(records.back().code, FrameControlAction::kActionEnd);

    std::vector<std::string> registered;
    int functions = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].code == FrameControlAction::kActionDefineFunction) {
            ++functions;
            // Anonymous: the name is empty, so the function stays on the stack.
            EXPECT_EQ(records[i].body[0], 0);
            // Then null, the callback's name, the argument count 3,
            // flash.external.ExternalInterface, "addCallback", CallMethod and a Pop of the result.
            ASSERT_LT(i + 2, records.size());
            EXPECT_EQ(records[i + 1].body, std::vector<uint8_t>({2}));
            registered.push_back(PushedString(records[i + 2]));
            EXPECT_EQ(records[i + 3].body, std::vector<uint8_t>({7, 3, 0, 0, 0}));
            EXPECT_EQ(PushedString(records[i + 4]), "flash");
            EXPECT_EQ(records[i + 5].code, FrameControlAction::kActionGetVariable);
            EXPECT_EQ(PushedString(records[i + 6]), "external");
            EXPECT_EQ(PushedString(records[i + 8]), "ExternalInterface");
            EXPECT_EQ(PushedString(records[i + 10]), "addCallback");
            EXPECT_EQ(records[i + 11].code, FrameControlAction::kActionCallMethod);
            EXPECT_EQ(records[i + 12].code, FrameControlAction::kActionPop);
        }
    }
    EXPECT_EQ(functions, 6);
    std::vector<std::string> expected = {
        FrameControlAction::kCurrentFrame, FrameControlAction::kTotalFrames,
        FrameControlAction::kGotoAndStop,  FrameControlAction::kGotoAndPlay,
        FrameControlAction::kStop,         FrameControlAction::kPlay};
    EXPECT_EQ(registered, expected);
}

TEST(FrameControlActionTest, FunctionBodiesReadTheRootTimeline) {
    std::vector<uint8_t> actions = FrameControlAction::BuildActions();
    bool ended = false;
    auto records = WalkActions(actions, 0, actions.size(), ended);
    std::vector<const ActionRecord*> fns;
    for (const auto& r : records)
        if (r.code == FrameControlAction::kActionDefineFunction) fns.push_back(&r);
    ASSERT_EQ(fns.size(), 6u);
    // current frame: _root._currentframe returned
    const auto& current = fns[0]->function;
    ASSERT_EQ(current.size(), 5u);
    EXPECT_EQ(PushedString(current[0]), "_root");
    EXPECT_EQ(PushedString(current[2]), "_currentframe");
    EXPECT_EQ(current[4].code, FrameControlAction::kActionReturn);
    EXPECT_EQ(PushedString(fns[1]->function[2]), "_totalframes");
    // go to and stop takes one parameter "f" and passes it to _root.gotoAndStop
    const auto& def = fns[2]->body;
    EXPECT_EQ(def[1] | def[2] << 8, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&def[3])), "f");
    bool callsGoto = false;
    for (const auto& r : fns[2]->function) callsGoto |= PushedString(r) == "gotoAndStop";
    EXPECT_TRUE(callsGoto);
    bool callsPlay = false;
    for (const auto& r : fns[3]->function) callsPlay |= PushedString(r) == "gotoAndPlay";
    EXPECT_TRUE(callsPlay);
}

TEST(FrameControlActionTest, TagHeaderUsesShortAndLongForms) {
    EXPECT_EQ(FrameControlAction::TagHeader(1, 0), std::vector<uint8_t>({0x40, 0x00}));
    EXPECT_EQ(FrameControlAction::TagHeader(12, 0x3E), std::vector<uint8_t>({0x3E, 0x03}));
    EXPECT_EQ(FrameControlAction::TagHeader(12, 0x3F),
              std::vector<uint8_t>({0x3F, 0x03, 0x3F, 0, 0, 0}));
    std::vector<uint8_t> tag = FrameControlAction::BuildTag();
    std::vector<uint8_t> body = FrameControlAction::BuildActions();
    ASSERT_EQ(tag.size(), body.size() + 6);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), tag.begin() + 6));
}

TEST(FlashMoviePreparerTest, InsertKeepsTheTagStreamValid) {
    TestMovieRecipe recipe;
    recipe.frames = 5;
    std::vector<uint8_t> movie = MakeTestMovie(recipe);
    SwfTagsResult before = SwfHeader::ListTags(movie);
    ASSERT_TRUE(before.ok());
    std::vector<uint8_t> tag = FrameControlAction::BuildTag();

    std::vector<uint8_t> patched = movie;
    InsertResult r = FlashMoviePreparer::InsertBeforeFirstShowFrame(patched, tag);
    ASSERT_TRUE(r.inserted) << r.message;
    EXPECT_EQ(patched.size(), movie.size() + tag.size());

    SwfHeaderResult header = SwfHeader::Read(patched);
    ASSERT_TRUE(header.ok()) << header.message;
    EXPECT_EQ(header.header.fileLength, patched.size());
    EXPECT_EQ(header.header.frameCount, 5);

    SwfTagsResult after = SwfHeader::ListTags(patched);
    ASSERT_TRUE(after.ok()) << after.message;
    EXPECT_TRUE(after.endTagSeen);
    ASSERT_EQ(after.tags.size(), before.tags.size() + 1);
    size_t firstShow = 0;
    while (after.tags[firstShow].code != SwfHeader::kTagShowFrame) ++firstShow;
    ASSERT_GT(firstShow, 0u);
    const SwfTag& inserted = after.tags[firstShow - 1];
    EXPECT_EQ(inserted.code, SwfHeader::kTagDoAction);
    EXPECT_EQ(inserted.offset, r.offset);
    EXPECT_EQ(inserted.length, FrameControlAction::BuildActions().size());
    EXPECT_EQ(inserted.bodyOffset + inserted.length, after.tags[firstShow].offset);
    // Every other tag is unchanged, in the same order.
    for (size_t i = 0, j = 0; i < before.tags.size(); ++i, ++j) {
        if (j == firstShow - 1) ++j;
        EXPECT_EQ(before.tags[i].code, after.tags[j].code);
        EXPECT_EQ(before.tags[i].length, after.tags[j].length);
    }
}

TEST(FlashMoviePreparerTest, InsertRefusesMoviesItCannotWalk) {
    std::vector<uint8_t> tag = FrameControlAction::BuildTag();
    TestMovieRecipe recipe;
    recipe.frames = 0;  // no ShowFrame at all
    std::vector<uint8_t> empty = MakeTestMovie(recipe);
    std::vector<uint8_t> copy = empty;
    EXPECT_FALSE(FlashMoviePreparer::InsertBeforeFirstShowFrame(copy, tag).inserted);
    EXPECT_EQ(copy, empty);

    // A tag claiming more bytes than the movie has, before any frame.
    recipe.frames = 3;
    std::vector<uint8_t> broken = MakeTestMovie(recipe);
    SwfTagsResult tags = SwfHeader::ListTags(broken);
    ASSERT_TRUE(tags.ok());
    size_t at = tags.tags[0].offset;
    broken[at] = static_cast<uint8_t>((broken[at] & 0xC0) | 0x3F);
    broken.insert(broken.begin() + static_cast<std::ptrdiff_t>(at) + 2, {0xFF, 0xFF, 0xFF, 0x0F});
    copy = broken;
    InsertResult r = FlashMoviePreparer::InsertBeforeFirstShowFrame(copy, tag);
    EXPECT_FALSE(r.inserted);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(copy, broken);

    std::vector<uint8_t> compressed = MakeTestMovie({10, 3, 12, false, true, 'C'});
    copy = compressed;
    EXPECT_FALSE(FlashMoviePreparer::InsertBeforeFirstShowFrame(copy, tag).inserted);
}

TEST(FlashMoviePreparerTest, PrepareChoosesTheFrameControl) {
    TestMovieRecipe recipe;
    recipe.compression = 'C';
    recipe.frames = 7;
    PreparedMovie as2 = FlashMoviePreparer::Prepare(MakeTestMovie(recipe));
    ASSERT_TRUE(as2.ok()) << as2.message;
    EXPECT_EQ(as2.mode, FrameControlMode::Callbacks);
    EXPECT_EQ(as2.header.frameCount, 7);
    ASSERT_GE(as2.bytes.size(), 3u);
    EXPECT_EQ(std::string(as2.bytes.begin(), as2.bytes.begin() + 3), "FWS");
    EXPECT_TRUE(SwfHeader::ListTags(as2.bytes).ok());

    recipe.actionScript3 = true;
    PreparedMovie as3 = FlashMoviePreparer::Prepare(MakeTestMovie(recipe));
    ASSERT_TRUE(as3.ok());
    EXPECT_TRUE(as3.actionScript3);
    EXPECT_EQ(as3.mode, FrameControlMode::TimelineMenu);
    EXPECT_EQ(as3.bytes.size(), as3.header.fileLength);  // untouched

    recipe.actionScript3 = false;
    recipe.version = FlashMoviePreparer::kMinExternalInterfaceVersion - 1;
    recipe.fileAttributes = false;
    PreparedMovie old = FlashMoviePreparer::Prepare(MakeTestMovie(recipe));
    ASSERT_TRUE(old.ok());
    EXPECT_EQ(old.mode, FrameControlMode::TimelineMenu);

    // The header's frame count is trusted only when the timeline holds that many frames.
    EXPECT_TRUE(as2.frameCountTrusted);
    EXPECT_TRUE(old.frameCountTrusted);
    std::vector<uint8_t> lying = MakeTestMovie(recipe);
    SwfHeaderResult h = SwfHeader::Read(lying);
    ASSERT_TRUE(h.ok());
    lying[h.header.firstTagOffset - 2] = 40;  // the header says 40 frames, the movie holds 7
    EXPECT_FALSE(FlashMoviePreparer::Prepare(lying).frameCountTrusted);
    recipe.frames = 1;
    EXPECT_FALSE(FlashMoviePreparer::Prepare(MakeTestMovie(recipe)).frameCountTrusted);
}

// Frame reports as the page sends them: one every 40 ms, of the frame the clock says.
struct EndFeed {
    MovieEndWatch watch;
    int64_t now = 0;
    MovieEnd seen = MovieEnd::None;
    int64_t seenAt = -1;

    explicit EndFeed(MovieEndFacts facts) { watch.Start(facts, now); }
    void Note(MovieEnd end) {
        if (end != MovieEnd::None && seen == MovieEnd::None) {
            seen = end;
            seenAt = now;
        }
    }
    // Advances the clock by ms, reporting frameAt(t) every 40 ms and ticking every 200 ms.
    template <typename FrameAt>
    void Run(int64_t ms, FrameAt frameAt, uint64_t picture = 0) {
        for (int64_t end = now + ms; now < end;) {
            now += 40;
            Note(watch.OnFrame(frameAt(now), now));
            if (now % 200 == 0) Note(watch.Tick(now));
            if (watch.WantsPicture(now)) Note(watch.OnPicture(picture, now));
        }
    }
};

TEST(MovieEndWatchTest, FindsEachKindOfEndPromptlyAndOnlyOnce) {
    const double fps = 24;
    auto playing = [fps](int64_t t) { return static_cast<int>(t * fps / 1000); };
    // 48 frames at 24 fps: the last frame is on screen from 1958 ms.
    MovieEndFacts facts{48, fps, true, true, false};
    {
        SCOPED_TRACE("stop() on the last frame");
        EndFeed f(facts);
        f.Run(6000, [&](int64_t t) { return std::min(playing(t), 47); });
        EXPECT_EQ(f.seen, MovieEnd::StoppedAtLast);
        EXPECT_GE(f.seenAt, 1958 + f.watch.StillFrameMs());
        EXPECT_LE(f.seenAt, 1958 + 1000);
    }
    {
        SCOPED_TRACE("the player wraps to the first frame, again and again");
        EndFeed f(facts);
        int ends = 0;
        for (int64_t t = 40; t <= 7000; t += 40)
            ends += f.watch.OnFrame(playing(t) % 48, t) != MovieEnd::None;
        EXPECT_EQ(ends, 3);  // at 2, 4 and 6 s: each round is an end of its own
        EXPECT_EQ(f.watch.LastEnd(), MovieEnd::Wrapped);
    }
    {
        SCOPED_TRACE("30 fps: reports skip the last frame and the first");
        MovieEndFacts fast{60, 30, false, true, false};
        EndFeed f(fast);
        f.Run(2100, [](int64_t t) { return static_cast<int>(t * 30 / 1000) % 60; });
        EXPECT_EQ(f.seen, MovieEnd::Wrapped);
        EXPECT_LE(f.seenAt, 2000 + 100);
    }
    {
        SCOPED_TRACE("a game never ends");
        MovieEndFacts game = facts;
        game.endless = true;
        EndFeed f(game);
        f.Run(8000, [&](int64_t t) { return playing(t) % 48; });
        f.Run(3000, [](int64_t) { return 47; });
        EXPECT_EQ(f.seen, MovieEnd::None);
    }
    {
        SCOPED_TRACE("paused on the last frame, or sought back from near the end");
        EndFeed f(facts);
        f.Run(1960, [&](int64_t t) { return std::min(playing(t), 47); });
        f.watch.OnPlaying(false, f.now);
        f.Run(3000, [](int64_t) { return 47; });
        EXPECT_EQ(f.seen, MovieEnd::None);
        f.watch.OnSeek(2, f.now);
        f.watch.OnPlaying(true, f.now);
        // A report sent before the seek arrives after it: no wrap.
        f.Note(f.watch.OnFrame(46, f.now + 10));
        f.Note(f.watch.OnFrame(2, f.now + 50));
        EXPECT_EQ(f.seen, MovieEnd::None);
        // Played again to the end, it ends again.
        const int64_t from = f.now;
        f.Run(4000, [&](int64_t t) { return std::min(2 + playing(t - from), 47); });
        EXPECT_EQ(f.seen, MovieEnd::StoppedAtLast);
    }
    {
        SCOPED_TRACE("a header count not to be trusted: the picture decides");
        MovieEndFacts loose{48, fps, false, false, false};
        EndFeed f(loose);
        // Estimated frames wrap, but the picture still moves: no end.
        uint64_t picture = 0;
        for (int64_t t = 40; t <= 6000; t += 40) {
            f.now = t;
            f.Note(f.watch.OnFrame(playing(t) % 48, t));
            f.Note(f.watch.Tick(t));
            if (f.watch.WantsPicture(t)) f.Note(f.watch.OnPicture(++picture, t));
        }
        EXPECT_EQ(f.seen, MovieEnd::None);
        // It holds still from 6 s: the end comes 3 s later.
        f.Run(
            5000, [&](int64_t t) { return playing(t) % 48; }, 7);
        EXPECT_EQ(f.seen, MovieEnd::PictureStill);
        EXPECT_GE(f.seenAt, 6000 + MovieEndWatch::kStillPictureMs);
        EXPECT_LE(f.seenAt, 6000 + MovieEndWatch::kStillPictureMs + 1000);
    }
}

TEST(FlashMoviePreparerTest, DamagedOrMissingFilesGiveNoMovie) {
    std::vector<uint8_t> good = MakeTestMovie({10, 4, 12, false, true, 'C'});
    std::vector<uint8_t> cut(good.begin(),
                             good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    PreparedMovie truncated = FlashMoviePreparer::Prepare(cut);
    EXPECT_FALSE(truncated.ok());
    EXPECT_EQ(truncated.mode, FrameControlMode::None);
    EXPECT_TRUE(truncated.bytes.empty());

    PreparedMovie junk = FlashMoviePreparer::Prepare({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0});
    EXPECT_FALSE(junk.ok());
    EXPECT_FALSE(FlashMoviePreparer::Prepare({}).ok());

    PreparedMovie missing = FlashMoviePreparer::PrepareFile("/nonexistent/zorbel/none.swf");
    EXPECT_EQ(missing.status, SwfStatus::FileError);

    std::string path = std::filesystem::temp_directory_path() /
                       ("flash-prepare-" + std::to_string(getpid()) + ".swf");
    ASSERT_TRUE(test::WriteFileBytes(path, good));
    PreparedMovie fromFile = FlashMoviePreparer::PrepareFile(path);
    std::filesystem::remove(path);
    EXPECT_TRUE(fromFile.ok()) << fromFile.message;
    EXPECT_EQ(fromFile.mode, FrameControlMode::Callbacks);
}

TEST(FlashSchemePathsTest, RelativePathAcceptsOnlyPlainNamesUnderTheHost) {
    std::string rel;
    EXPECT_TRUE(FlashSchemePaths::RelativePath("zorbel://app/ruffle.js", rel));
    EXPECT_EQ(rel, "ruffle.js");
    EXPECT_TRUE(FlashSchemePaths::RelativePath("zorbel://app/movie/3.swf?x=1#top", rel));
    EXPECT_EQ(rel, "movie/3.swf");
    EXPECT_EQ(FlashSchemePaths::UriFor("host.html"), "zorbel://app/host.html");

    for (const char* bad : {"zorbel://app/", "zorbel://other/ruffle.js", "http://app/ruffle.js",
                            "zorbel://app/../etc/passwd", "zorbel://app/a/../../x",
                            "zorbel://app//etc/passwd", "zorbel://app/./host.html",
                            "zorbel://app/a\\b", "zorbel://app/%2e%2e/x", "zorbel://app"}) {
        EXPECT_FALSE(FlashSchemePaths::RelativePath(bad, rel)) << bad;
    }
}

TEST(FlashSchemePathsTest, ContentTypes) {
    EXPECT_EQ(FlashSchemePaths::ContentTypeFor("826bb.wasm"), "application/wasm");
    EXPECT_EQ(FlashSchemePaths::ContentTypeFor("ruffle.js"), "text/javascript");
    EXPECT_EQ(FlashSchemePaths::ContentTypeFor("host.HTML"), "text/html");
    EXPECT_EQ(FlashSchemePaths::ContentTypeFor("movie/1.swf"), "application/x-shockwave-flash");
    EXPECT_EQ(FlashSchemePaths::ContentTypeFor("LICENSE_MIT"), "application/octet-stream");
    EXPECT_EQ(FlashSchemePaths::ContentTypeFor("dir.js/file"), "application/octet-stream");
}

TEST(FlashSchemePathsTest, ResolveFileStaysInsideTheRoot) {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("flash-scheme-" + std::to_string(getpid()));
    fs::path outside = root.string() + "-outside";
    fs::create_directories(root / "sub");
    fs::create_directories(outside);
    ASSERT_TRUE(test::WriteFileBytes((root / "sub" / "a.js").string(), {'x'}));
    ASSERT_TRUE(test::WriteFileBytes((outside / "secret").string(), {'s'}));
    fs::create_symlink(outside / "secret", root / "link");

    std::string file;
    EXPECT_TRUE(FlashSchemePaths::ResolveFile(root.string(), "sub/a.js", file));
    EXPECT_EQ(fs::path(file), fs::canonical(root / "sub" / "a.js"));
    EXPECT_FALSE(FlashSchemePaths::ResolveFile(root.string(), "sub", file));  // a folder
    EXPECT_FALSE(FlashSchemePaths::ResolveFile(root.string(), "missing.js", file));
    EXPECT_FALSE(FlashSchemePaths::ResolveFile(root.string(), "link", file));  // leads outside
    EXPECT_FALSE(FlashSchemePaths::ResolveFile((root / "nowhere").string(), "a.js", file));
    fs::remove_all(root);
    fs::remove_all(outside);
}

TEST(FlashHostMessageTest, ParsesReports) {
    FlashHostMessage m;
    ASSERT_TRUE(FlashHostMessage::Parse(R"({"t":"frame","id":3,"frame":12})", m));
    EXPECT_EQ(m.type, "frame");
    EXPECT_EQ(m.id, 3);
    EXPECT_EQ(m.frame, 12);
    ASSERT_TRUE(FlashHostMessage::Parse(
        R"({"t":"loaded","id":7,"numFrames":250,"frameRate":24.5,"swfVersion":10,"as3":false})",
        m));
    EXPECT_EQ(m.numFrames, 250);
    EXPECT_DOUBLE_EQ(m.frameRate, 24.5);
    ASSERT_TRUE(FlashHostMessage::Parse(R"({"t":"error","id":2,"message":"bad \"movie\""})", m));
    EXPECT_EQ(m.message, "bad \"movie\"");
    ASSERT_TRUE(FlashHostMessage::Parse(R"({"t":"ready"})", m));
    EXPECT_EQ(m.id, -1);

    for (const char* bad :
         {"", "[]", "{}", R"({"t":5})", R"({"t":"unterminated)", "null", R"({"id":1})"}) {
        EXPECT_FALSE(FlashHostMessage::Parse(bad, m)) << bad;
    }
    ASSERT_TRUE(FlashHostMessage::Parse(R"({"t":"frame","id":1e30,"frame":-1e30})", m));
    EXPECT_GT(m.id, 0);
    EXPECT_LT(m.frame, 0);
}

}  // namespace
}  // namespace zorbel
