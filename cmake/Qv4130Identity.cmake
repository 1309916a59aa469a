# Who the program is, written once: src/host/AppIdentity.h (the title bars,
# the About box, --version, *IDN?) and the Windows program files' version
# record and icon are made from these and from project(VERSION).
set(QV4130_TITLE "QV4130")
set(QV4130_COMPANY_NAME "Tessaron Inc.")
set(QV4130_FILE_DESCRIPTION "QV4130 Evaluation Board Software")
set(QV4130_COPYRIGHT_YEARS "2026")
# The program file's icon: the hand-drawn 32 x 32, 16-colour image of
# src/ui/resources/qv4130.png, made into an icon file by scripts/make-ico.
set(QV4130_ICON_FILE "${CMAKE_CURRENT_LIST_DIR}/../src/ui/resources/qv4130.ico")
cmake_path(NORMAL_PATH QV4130_ICON_FILE)

# Version 2.0.1 is the file version 2.0.0.1, written "2.00.0001": major, minor
# in two digits, the third number in four.
function(qv4130_zero_padded number width out)
    string(LENGTH "${number}" length)
    while(length LESS width)
        string(PREPEND number "0")
        math(EXPR length "${length} + 1")
    endwhile()
    set(${out} "${number}" PARENT_SCOPE)
endfunction()
set(QV4130_FILE_VERSION_NUMBERS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,${PROJECT_VERSION_PATCH}")
qv4130_zero_padded("${PROJECT_VERSION_MINOR}" 2 minor)
qv4130_zero_padded("${PROJECT_VERSION_PATCH}" 4 revision)
set(QV4130_FILE_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}.${revision}")
unset(minor)
unset(revision)

# Windows resource scripts are compiled for every folder's executables.
if(WIN32)
    enable_language(RC)
endif()

# Gives every executable defined under `directory` (and its folders) the
# program's version record, string table and icon. Called once all targets
# exist; does nothing off Windows.
function(qv4130_give_executables_identity directory)
    if(NOT WIN32)
        return()
    endif()
    set(resource "${CMAKE_BINARY_DIR}/generated/AppIdentity.rc")
    configure_file("${CMAKE_SOURCE_DIR}/src/host/AppIdentity.rc.in" "${resource}" @ONLY)
    qv4130_executables_under("${directory}" executables)
    foreach(executable ${executables})
        target_sources(${executable} PRIVATE "${resource}")
    endforeach()
endfunction()

# The executable targets defined in `directory` and the project's folders below
# it; folders from outside the project (GoogleTest's sources) are left alone.
function(qv4130_executables_under directory out)
    set(found "")
    get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            list(APPEND found ${target})
        endif()
    endforeach()
    get_property(folders DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
    foreach(folder ${folders})
        cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${folder}" NORMALIZE inside)
        if(inside)
            qv4130_executables_under("${folder}" below)
            list(APPEND found ${below})
        endif()
    endforeach()
    set(${out} "${found}" PARENT_SCOPE)
endfunction()
