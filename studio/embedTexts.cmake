# Writes OUTPUT, a header that holds each of the FILES as a string constant
# named pageText_<name with dots as underscores>. Run by the build with
# cmake -P, so that an edit of the page rebuilds the program.
set(text "// Made by the build from studio/page; do not edit.\n#pragma once\n\n")
string(REPLACE "," ";" files "${FILES}")
foreach(file IN LISTS files)
  get_filename_component(name ${file} NAME)
  string(REPLACE "." "_" name ${name})
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND text "static const char pageText_${name}_bytes[] = {${bytes} 0};\n")
  string(APPEND text "static const char *const pageText_${name} = pageText_${name}_bytes;\n")
endforeach()
file(WRITE ${OUTPUT}.new "${text}")
file(RENAME ${OUTPUT}.new ${OUTPUT})
