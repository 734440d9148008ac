#include "ui/BitmapResource.h"

#include <wx/log.h>
#include <wx/mstream.h>

namespace {

struct BitmapEntry {
    int id;
    const unsigned char* bytes;
    std::size_t size;
};

#include "ZorbelBitmaps.inc"

}  // namespace

wxImage CBitmapResource::Load(int id) {
    for (const BitmapEntry& entry : kBitmaps) {
        if (entry.id != id) continue;
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
        wxMemoryInputStream stream(entry.bytes, entry.size);
        wxLogNull quiet;  // a damaged picture is an invalid image, not a log window
        wxImage image;
        image.LoadFile(stream, wxBITMAP_TYPE_PNG);
        return image;
    }
    return wxImage();
}
