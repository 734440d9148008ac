#include "web/flash/MovieEndWatch.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

const char* MovieEndName(MovieEnd end) {
    switch (end) {
        case MovieEnd::None:
            return "none";
        case MovieEnd::StoppedAtLast:
            return "stopped at the last frame";
        case MovieEnd::Wrapped:
            return "wrapped to the first frame";
        case MovieEnd::PictureStill:
            return "picture still past the last frame";
    }
    return "?";
}

void MovieEndWatch::Start(const MovieEndFacts& facts, int64_t nowMs) {
    m_facts = facts;
    m_bActive = facts.totalFrames > 0 && !facts.endless;
    m_bPlaying = true;
    m_bEnded = false;
    m_bPastLast = false;
    m_bHavePicture = false;
    m_nFrame = 0;
    m_tFrameSince = nowMs;
    m_tSeek = nowMs - kSeekQuietMs;
    m_tLastSample = nowMs - kPictureSampleMs;
    m_lastEnd = MovieEnd::None;
}

void MovieEndWatch::Reset() {
    m_bActive = false;
    m_lastEnd = MovieEnd::None;
}

int MovieEndWatch::Slack() const {
    // Frames that pass between two reports, plus the one being shown.
    const double perReport = std::max(1.0, m_facts.frameRate) * kReportMs / 1000.0;
    return 1 + static_cast<int>(std::ceil(perReport));
}

int64_t MovieEndWatch::StillFrameMs() const {
    const double frameMs = 1000.0 / std::max(1.0, m_facts.frameRate);
    return std::max<int64_t>(400, static_cast<int64_t>(3 * frameMs));
}

MovieEnd MovieEndWatch::Found(MovieEnd end) {
    m_bEnded = true;
    m_lastEnd = end;
    return end;
}

MovieEnd MovieEndWatch::OnFrame(int frame, int64_t nowMs) {
    if (!m_bActive || frame == m_nFrame) return MovieEnd::None;
    const int last = m_facts.totalFrames - 1;
    const int previous = m_nFrame;
    m_nFrame = frame;
    m_tFrameSince = nowMs;
    if (frame >= last) m_bPastLast = true;
    const int slack = Slack();
    // A movie that goes on after its end (the player loops it, or the child plays it again)
    // can end again: once it has left the end behind.
    if (m_bEnded && ((m_lastEnd == MovieEnd::Wrapped && frame >= slack && frame < last) ||
                     (m_lastEnd == MovieEnd::StoppedAtLast && frame < last)))
        m_bEnded = false;
    if (m_bEnded || !m_bPlaying || !m_facts.trustworthyCount) return MovieEnd::None;
    if (nowMs - m_tSeek < kSeekQuietMs) return MovieEnd::None;
    if (previous >= last - slack + 1 && frame < previous && frame < slack)
        return Found(MovieEnd::Wrapped);
    return MovieEnd::None;
}

void MovieEndWatch::OnSeek(int frame, int64_t nowMs) {
    if (!m_bActive) return;
    m_nFrame = frame;
    m_tFrameSince = nowMs;
    m_tSeek = nowMs;
    m_bEnded = false;
    m_bPastLast = frame >= m_facts.totalFrames - 1;
    m_bHavePicture = false;
}

void MovieEndWatch::OnPlaying(bool playing, int64_t nowMs) {
    if (playing && !m_bPlaying) {
        // Time spent halted is no time spent still.
        m_tFrameSince = nowMs;
        m_bHavePicture = false;
    }
    m_bPlaying = playing;
}

MovieEnd MovieEndWatch::Tick(int64_t nowMs) {
    if (!m_bActive || m_bEnded || !m_bPlaying || !m_facts.trustworthyCount) return MovieEnd::None;
    if (m_nFrame == m_facts.totalFrames - 1 && nowMs - m_tFrameSince >= StillFrameMs())
        return Found(MovieEnd::StoppedAtLast);
    return MovieEnd::None;
}

bool MovieEndWatch::WantsPicture(int64_t nowMs) const {
    return m_bActive && !m_bEnded && m_bPlaying && !m_facts.trustworthyCount && m_bPastLast &&
           nowMs - m_tLastSample >= kPictureSampleMs;
}

MovieEnd MovieEndWatch::OnPicture(uint64_t fingerprint, int64_t nowMs) {
    if (!m_bActive || m_bEnded || !m_bPlaying || m_facts.trustworthyCount || !m_bPastLast)
        return MovieEnd::None;
    m_tLastSample = nowMs;
    if (!m_bHavePicture || fingerprint != m_picture) {
        m_bHavePicture = true;
        m_picture = fingerprint;
        m_tPictureSince = nowMs;
        return MovieEnd::None;
    }
    if (nowMs - m_tPictureSince >= kStillPictureMs) return Found(MovieEnd::PictureStill);
    return MovieEnd::None;
}

}  // namespace zorbel
