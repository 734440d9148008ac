#include <gtest/gtest.h>

#include <fstream>

#include "tests/platform/TempDir.h"
#include "web/AcceleratorRules.h"
#include "web/GraphicsPath.h"

using zorbel::web::HeldKeys;
using zorbel::web::KeyboardState;
using zorbel::web::KeyVerdict;
using zorbel::web::RuleKey;
using zorbel::web::TranslateAccelerator;

namespace {

struct RuleCase {
    const char* name;
    KeyboardState state;
    KeyVerdict expected;
};

KeyboardState Down(bool f5, bool ctrl, bool o, bool p, bool n) {
    KeyboardState s;
    s.keyDown = true;
    s.f5Down = f5;
    s.controlDown = ctrl;
    s.oDown = o;
    s.pDown = p;
    s.nDown = n;
    return s;
}

KeyboardState Up(bool f5, bool ctrl, bool o, bool p, bool n) {
    KeyboardState s = Down(f5, ctrl, o, p, n);
    s.keyDown = false;
    return s;
}

}  // namespace

TEST(AcceleratorRules, Table) {
    const RuleCase cases[] = {
        {"plain key", Down(false, false, false, false, false), KeyVerdict::PassOn},
        {"F5 press", Down(true, false, false, false, false), KeyVerdict::Swallow},
        {"F5 with Ctrl", Down(true, true, false, false, false), KeyVerdict::Swallow},
        {"F5 release", Up(true, false, false, false, false), KeyVerdict::PassOn},
        {"Ctrl+O", Down(false, true, true, false, false), KeyVerdict::Swallow},
        {"Ctrl+P", Down(false, true, false, true, false), KeyVerdict::Swallow},
        {"Ctrl+N", Down(false, true, false, false, true), KeyVerdict::Swallow},
        {"Ctrl+O release", Up(false, true, true, false, false), KeyVerdict::PassOn},
        {"O without Ctrl", Down(false, false, true, false, false), KeyVerdict::PassOn},
        {"P without Ctrl", Down(false, false, false, true, false), KeyVerdict::PassOn},
        {"N without Ctrl", Down(false, false, false, false, true), KeyVerdict::PassOn},
        {"Ctrl alone (Ctrl+C and the like)", Down(false, true, false, false, false),
         KeyVerdict::PassOn},
        {"nothing held, release", Up(false, false, false, false, false), KeyVerdict::PassOn},
    };
    for (const RuleCase& c : cases) EXPECT_EQ(TranslateAccelerator(c.state), c.expected) << c.name;
}

TEST(AcceleratorRules, HeldF5SwallowsEveryKeyUntilReleased) {
    HeldKeys keys;
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::F5, false)), KeyVerdict::Swallow);
    // Auto-repeat and any other key while F5 is still down.
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::F5, false)), KeyVerdict::Swallow);
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::Other, false)), KeyVerdict::Swallow);
    EXPECT_EQ(TranslateAccelerator(keys.Release(RuleKey::Other, false)), KeyVerdict::PassOn);
    keys.Release(RuleKey::F5, false);
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::Other, false)), KeyVerdict::PassOn);
}

TEST(AcceleratorRules, ControlFromModifierOrHeldKey) {
    HeldKeys keys;
    // Ctrl pressed elsewhere: only the modifier mask tells.
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::P, true)), KeyVerdict::Swallow);
    keys.Release(RuleKey::P, true);
    // P held, then Ctrl pressed: the Ctrl press itself is the key-down that is withheld.
    keys.Press(RuleKey::P, false);
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::Control, false)), KeyVerdict::Swallow);
    keys.Release(RuleKey::P, true);
    // Ctrl still held, another letter passes (copy, select all...).
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::Other, true)), KeyVerdict::PassOn);
    keys.Release(RuleKey::Other, true);
    keys.Release(RuleKey::Control, true);
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::N, false)), KeyVerdict::PassOn);
}

TEST(AcceleratorRules, ResetForgetsKeysWhoseReleaseWasMissed) {
    HeldKeys keys;
    keys.Press(RuleKey::F5, false);
    keys.Reset();  // focus went away before F5 came up
    EXPECT_EQ(TranslateAccelerator(keys.Press(RuleKey::Other, false)), KeyVerdict::PassOn);
}

// Which way web content is drawn rides on this: with no render node WebKit's GL would be Mesa's
// software rasteriser.
TEST(GraphicsPath, OnlyARenderNodeCountsAsAGraphicsProcessor) {
    zorbel::test::TempDir dri;
    EXPECT_FALSE(zorbel::web::HasRenderNode(dri.Path() + "/missing"));
    std::ofstream(dri.Path() + "/card0");
    EXPECT_FALSE(zorbel::web::HasRenderNode(dri.Path()));
    std::ofstream(dri.Path() + "/renderD128");
    EXPECT_TRUE(zorbel::web::HasRenderNode(dri.Path()));
}
