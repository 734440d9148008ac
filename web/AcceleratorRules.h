#pragma once

#include <set>

// Which browser keys an embedded page never gets. Window-free so the rules can be checked on
// their own; the host site feeds it the native key events of every web view.
namespace zorbel::web {

// The keys the rules look at, by their meaning rather than a toolkit's key code.
enum class RuleKey { Other, F5, Control, O, P, N };

// The keyboard as the rules see it when a key event arrives: the keys held down at this moment
// (the key being pressed included) and whether the event is a key press.
struct KeyboardState {
    bool keyDown = false;
    bool f5Down = false;
    bool controlDown = false;
    bool oDown = false;
    bool pDown = false;
    bool nDown = false;
};

enum class KeyVerdict { PassOn, Swallow };

// While F5 is held every key press is swallowed (no reload, also not through auto-repeat or a
// second key); Ctrl with O, P or N is swallowed (no open, print or new-window); the rest passes.
KeyVerdict TranslateAccelerator(const KeyboardState& state);

// Remembers which of the rule keys are held, from the press and release events one view sees.
// A view that loses the focus misses the releases, so Reset must be called then; otherwise a
// held F5 would outlive its release and swallow every key for good.
class HeldKeys {
public:
    // Records a press and returns the state the rules need for it.
    KeyboardState Press(RuleKey key, bool controlModifier);
    // Records a release and returns the state for it (never a key press).
    KeyboardState Release(RuleKey key, bool controlModifier);
    void Reset();

private:
    KeyboardState State(bool keyDown, bool controlModifier) const;
    std::set<RuleKey> m_held;
};

}  // namespace zorbel::web
