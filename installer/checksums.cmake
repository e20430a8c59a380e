# Writes OUTPUT in sha256sum's format: one line per file of FILES (named
# relative to OUTPUT's folder), sorted by name as in the C locale.
get_filename_component(dir ${OUTPUT} DIRECTORY)
list(SORT FILES)
set(lines "")
foreach(name IN LISTS FILES)
  file(SHA256 ${dir}/${name} sum)
  string(APPEND lines "${sum}  ${name}\n")
endforeach()
file(WRITE ${OUTPUT} "${lines}")
