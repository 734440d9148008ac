#pragma once

#include <wx/image.h>

// The program's bitmap resources, carried inside the executable and found by their ids
// (159 the seek bar's track, 162 its thumb).
class CBitmapResource {
public:
    virtual ~CBitmapResource() = default;

    // The picture with that id; an invalid image when there is none.
    static wxImage Load(int id);

    static constexpr int kSeekTrack = 159;
    static constexpr int kSeekThumb = 162;
};
