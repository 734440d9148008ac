#pragma once

#include <cstddef>

// The files of res/templates as the build compiled them in (EmbedTemplates.cmake writes the
// definitions). Only DialogTemplate.cpp reads these.
namespace zorbel::templates {

struct EmbeddedTemplateFile {
    const char* name;  // file name, for error messages
    const char* text;
};

extern const EmbeddedTemplateFile kEmbeddedTemplateFiles[];
extern const std::size_t kEmbeddedTemplateFileCount;

}  // namespace zorbel::templates
