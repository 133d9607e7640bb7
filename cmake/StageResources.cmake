# Copies the shipped resources into the staged program folder. Notes for
# maintainers (*.md) stay in the source tree.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f IN LISTS files)
    if(NOT f MATCHES "\\.md$")
        get_filename_component(dir ${f} DIRECTORY)
        file(COPY ${SRC}/${f} DESTINATION ${DST}/${dir})
    endif()
endforeach()
