#pragma once

#include <cstdint>

namespace zorbel {

// How a movie came to its end.
enum class MovieEnd {
    None,
    StoppedAtLast,  // the root timeline stopped on its last frame
    Wrapped,        // it went from its last frame back to the first
    PictureStill,   // past the last frame the header knows, the picture stopped changing
};

const char* MovieEndName(MovieEnd end);

// What the watch needs to know of a movie once the player has it.
struct MovieEndFacts {
    int totalFrames = 0;
    double frameRate = 12;
    bool exactFrames = false;  // frames are read from the movie, not estimated from the clock
    // The header's frame count matches the frames the movie holds. When it does not, the end is
    // not a frame number: it is the picture holding still once that count has been reached.
    bool trustworthyCount = true;
    bool endless = false;  // a game loops on purpose and never ends
};

// Decides, from the frame reports of the movie control, when a movie has come to its end.
// Window-free: times are milliseconds of any steady clock, passed in by the caller. Each entry
// point returns the end the moment it is found (once per end); None otherwise. A movie that
// goes on from its end (looped by the player, played again) ends again at its next end.
class MovieEndWatch {
public:
    // A picture that stays the same this long past the last known frame is the end.
    static constexpr int64_t kStillPictureMs = 3000;
    static constexpr int64_t kPictureSampleMs = 500;
    // Frame reports come every 40 ms: a wrap may skip the very last and first frames.
    static constexpr int64_t kReportMs = 40;
    // Reports already on their way when the program seeks are not taken for a wrap.
    static constexpr int64_t kSeekQuietMs = 400;

    void Start(const MovieEndFacts& facts, int64_t nowMs);
    // No movie (unloaded, damaged): nothing ends.
    void Reset();

    MovieEnd OnFrame(int frame, int64_t nowMs);
    // The program moved the timeline.
    void OnSeek(int frame, int64_t nowMs);
    // The program played or halted the movie; a halted movie is not ending.
    void OnPlaying(bool playing, int64_t nowMs);
    // Rules that need time to pass (a stopped last frame).
    MovieEnd Tick(int64_t nowMs);
    // Whether a picture sample is due (only for untrustworthy frame counts past their end).
    bool WantsPicture(int64_t nowMs) const;
    // A fingerprint of the picture shown at nowMs.
    MovieEnd OnPicture(uint64_t fingerprint, int64_t nowMs);

    bool IsWatching() const { return m_bActive; }
    MovieEnd LastEnd() const { return m_lastEnd; }
    // How long a frame must stay the last one before the movie counts as stopped there.
    int64_t StillFrameMs() const;

private:
    MovieEnd Found(MovieEnd end);
    int Slack() const;

    MovieEndFacts m_facts;
    bool m_bActive = false;
    bool m_bPlaying = true;
    bool m_bEnded = false;
    bool m_bPastLast = false;  // reached the last known frame (untrustworthy counts)
    bool m_bHavePicture = false;
    int m_nFrame = 0;
    int64_t m_tFrameSince = 0;  // when m_nFrame was first reported
    int64_t m_tSeek = -1000000;
    int64_t m_tLastSample = -1000000;
    int64_t m_tPictureSince = 0;
    uint64_t m_picture = 0;
    MovieEnd m_lastEnd = MovieEnd::None;
};

}  // namespace zorbel
