#pragma once

namespace zorbel::listening {

// The catalog type of a title (T_Raruri_Class.f_TypeID): songs, stories and knowledge clips
// are listened to, games are played.
enum class TitleKind { Unknown = 0, Song = 1, Story = 2, Knowledge = 3, Game = 4 };

inline TitleKind KindOfType(int typeId) {
    return typeId >= 1 && typeId <= 4 ? static_cast<TitleKind>(typeId) : TitleKind::Unknown;
}

// Whether titles of this kind play straight through one after another.
inline bool IsListeningKind(TitleKind kind) {
    return kind == TitleKind::Song || kind == TitleKind::Story || kind == TitleKind::Knowledge;
}

}  // namespace zorbel::listening
