#include "web/AcceleratorRules.h"

namespace zorbel::web {

KeyVerdict TranslateAccelerator(const KeyboardState& state) {
    if (!state.keyDown) return KeyVerdict::PassOn;
    if (state.f5Down) return KeyVerdict::Swallow;
    if (state.controlDown && (state.oDown || state.pDown || state.nDown))
        return KeyVerdict::Swallow;
    return KeyVerdict::PassOn;
}

KeyboardState HeldKeys::Press(RuleKey key, bool controlModifier) {
    if (key != RuleKey::Other) m_held.insert(key);
    return State(true, controlModifier);
}

KeyboardState HeldKeys::Release(RuleKey key, bool controlModifier) {
    m_held.erase(key);
    return State(false, controlModifier);
}

void HeldKeys::Reset() {
    m_held.clear();
}

KeyboardState HeldKeys::State(bool keyDown, bool controlModifier) const {
    KeyboardState s;
    s.keyDown = keyDown;
    s.f5Down = m_held.count(RuleKey::F5) != 0;
    // The modifier mask covers a Ctrl pressed before the view got the focus.
    s.controlDown = controlModifier || m_held.count(RuleKey::Control) != 0;
    s.oDown = m_held.count(RuleKey::O) != 0;
    s.pDown = m_held.count(RuleKey::P) != 0;
    s.nDown = m_held.count(RuleKey::N) != 0;
    return s;
}

}  // namespace zorbel::web
