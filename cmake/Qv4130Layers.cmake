# qv4130_layer(target [FOLDER subfolder] [HEADERS a.h ...])
#
# Gives `target` an include root of its own that holds only its own headers, at
# their path below src/: "board/Board.h", "scpi/qt/ScpiServer.h". The root is
# PUBLIC, so what links the target sees them and nothing else of src/: a file
# that includes another layer's header builds only when its target names that
# layer in target_link_libraries.
#
# The headers are those of the current folder (or its FOLDER), all of them
# unless HEADERS names the ones that are the target's where a folder holds more
# than one target. Each is a link into the build tree, made at configure time;
# a new header is picked up by the next build. Where links can't be made (a
# Windows account without the right), the headers are copied and configuring
# again follows their edits.
function(qv4130_layer target)
    cmake_parse_arguments(ARG "" "FOLDER" "HEADERS" ${ARGN})
    set(folder ${CMAKE_CURRENT_SOURCE_DIR})
    if(ARG_FOLDER)
        set(folder ${folder}/${ARG_FOLDER})
    endif()
    if(ARG_HEADERS)
        list(TRANSFORM ARG_HEADERS PREPEND ${folder}/ OUTPUT_VARIABLE headers)
    else()
        file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
    endif()
    file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR}/src ${folder})
    set(root ${PROJECT_BINARY_DIR}/layers/${target})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${name})
    foreach(header ${headers})
        get_filename_component(file ${header} NAME)
        file(CREATE_LINK ${header} ${root}/${name}/${file} SYMBOLIC COPY_ON_ERROR)
        if(NOT IS_SYMLINK ${root}/${name}/${file})
            set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
