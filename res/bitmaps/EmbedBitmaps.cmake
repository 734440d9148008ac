# zorbel_embed_bitmaps(<output> <id>...): writes <output>, a C++ fragment holding the pictures
# res/bitmaps/<id>.png as byte arrays and a table kBitmaps of {id, bytes, size}, so that the
# program carries its bitmap resources inside itself as it carries its dialog templates.
# Runs at configure time; editing a picture re-runs the configuration.
function(zorbel_embed_bitmaps output)
  set(dir ${PROJECT_SOURCE_DIR}/res/bitmaps)
  set(text "// Generated from res/bitmaps by EmbedBitmaps.cmake; do not edit.\n")
  set(table "static const BitmapEntry kBitmaps[] = {\n")
  foreach(id ${ARGN})
    set(file ${dir}/${id}.png)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND text "static const unsigned char kBitmap${id}[] = {${bytes}};\n")
    string(APPEND table "    {${id}, kBitmap${id}, sizeof(kBitmap${id})},\n")
  endforeach()
  string(APPEND table "};\n")
  file(CONFIGURE OUTPUT ${output} CONTENT "${text}${table}" @ONLY)
endfunction()
