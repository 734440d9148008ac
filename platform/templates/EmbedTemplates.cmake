# Writes OUTPUT, a C++ source that holds every *.dlg file of INPUT_DIR as a raw string
# literal, so that the program and the tests never look for template files at run time.
# Run as: cmake -DINPUT_DIR=<dir> -DOUTPUT=<file.cpp> -P EmbedTemplates.cmake
set(delimiter "zorbeltpl")
file(GLOB files ${INPUT_DIR}/*.dlg)
list(SORT files)
set(entries "")
set(count 0)
foreach(file ${files})
  get_filename_component(name ${file} NAME)
  file(READ ${file} text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the literal's closing sequence )${delimiter}\"")
  endif()
  string(APPEND entries "    {\"${name}\", R\"${delimiter}(${text})${delimiter}\"},\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  # An array may not be empty; the count keeps the placeholder out of every lookup.
  set(entries "    {\"\", \"\"},\n")
endif()
set(content "// Generated from res/templates by EmbedTemplates.cmake; edits here are lost.
#include \"platform/templates/EmbeddedTemplates.h\"

namespace zorbel::templates {

const EmbeddedTemplateFile kEmbeddedTemplateFiles[] = {
${entries}};
const std::size_t kEmbeddedTemplateFileCount = ${count};

}  // namespace zorbel::templates
")
# Rewrite only on change, so that an unchanged set of templates does not rebuild anything.
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL content)
  file(WRITE ${OUTPUT} "${content}")
endif()
