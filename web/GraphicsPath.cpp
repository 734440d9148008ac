#include "web/GraphicsPath.h"

#include <dirent.h>

#include <cstring>
#include <memory>

namespace zorbel::web {

bool HasRenderNode(const std::string& driFolder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(driFolder.c_str()), &closedir);
    if (!dir) return false;
    while (const dirent* entry = readdir(dir.get())) {
        if (std::strncmp(entry->d_name, "renderD", 7) == 0) return true;
    }
    return false;
}

bool DrawsInSoftware() {
    static const bool software = !HasRenderNode("/dev/dri");
    return software;
}

}  // namespace zorbel::web
