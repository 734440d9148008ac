#pragma once

#include <string>

// Whether web content here can be drawn by a graphics processor. Without one, WebKit's GL
// compositing and WebGL run on Mesa's software rasteriser (llvmpipe), which costs a web process
// about a hundred megabytes and more processor time than WebKit's and the engine's own drawing
// on the CPU. Window-free, so the choice can be checked on its own.
namespace zorbel::web {

// True when `driFolder` (the kernel's DRM device folder) holds a render node ("renderD128"
// and on). A display-only device ("card0" of a firmware frame buffer) renders nothing itself.
bool HasRenderNode(const std::string& driFolder);

// HasRenderNode("/dev/dri"), looked up once per process.
bool DrawsInSoftware();

}  // namespace zorbel::web
