# Copies the generated data into the page's folder and lists it with sizes (data-files.json), so
# the page can show its progress while it fetches them.
if(NOT IS_DIRECTORY ${DATA} OR NOT EXISTS ${DATA}/music.mp3)
    message(FATAL_ERROR "No generated data in ${DATA}: build the Linux preset first "
                        "(cmake --preset linux && cmake --build --preset linux), which makes it.")
endif()
file(GLOB files RELATIVE ${DATA} ${DATA}/*)
list(SORT files)
file(MAKE_DIRECTORY ${OUT}/data)
set(entries "")
foreach(name IN LISTS files)
    file(COPY_FILE ${DATA}/${name} ${OUT}/data/${name} ONLY_IF_DIFFERENT)
    file(SIZE ${DATA}/${name} size)
    list(APPEND entries "  {\"name\": \"${name}\", \"size\": ${size}}")
endforeach()
list(JOIN entries ",\n" body)
file(WRITE ${OUT}/data-files.json.tmp "[\n${body}\n]\n")
file(COPY_FILE ${OUT}/data-files.json.tmp ${OUT}/data-files.json ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}/data-files.json.tmp)
