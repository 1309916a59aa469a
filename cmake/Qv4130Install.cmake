# Where things go when installed, and the helpers every program's CMakeLists uses
# to put itself there. Paths follow GNUInstallDirs: with the prefix /usr on Debian
# the libraries' folder is lib/<multiarch>.
include(GNUInstallDirs)

# The port library is ours alone, so it lives in a private folder rather than
# on the loader's search path; the programs reach it through their RUNPATH.
set(QV4130_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/qv4130")

# qv4130_use_private_libraries(<target>)
# The program finds libparllio.so beside itself in the build tree (where the tests
# expect it) and in the private folder once installed: CMake rewrites the RUNPATH
# at install time. RUNPATH rather than RPATH, so LD_LIBRARY_PATH still comes first
# and a stand-in port library can be put in front of the real one.
function(qv4130_use_private_libraries target)
    if(WIN32 OR APPLE)
        return()
    endif()
    file(RELATIVE_PATH to_private "/${CMAKE_INSTALL_BINDIR}" "/${QV4130_PRIVATE_LIBDIR}")
    set_target_properties(${target} PROPERTIES
        BUILD_RPATH "$ORIGIN"
        INSTALL_RPATH "$ORIGIN/${to_private}")
    target_link_options(${target} PRIVATE "LINKER:--enable-new-dtags")
endfunction()

# qv4130_install_manpage(<source>)
# A manual page written in roff, named <name>.<section> (qv4130.1): compressed
# at build time, as Debian wants it, and installed into man<section>.
function(qv4130_install_manpage source)
    get_filename_component(source "${source}" ABSOLUTE)
    get_filename_component(page "${source}" NAME)
    string(REGEX MATCH "[1-9]$" section "${page}")
    if(NOT section)
        message(FATAL_ERROR "qv4130_install_manpage: ${page} does not end in its section (.1 to .9)")
    endif()
    if(NOT UNIX OR APPLE)
        return()
    endif()
    set(compressed "${CMAKE_BINARY_DIR}/man/${page}.gz")
    add_custom_command(
        OUTPUT "${compressed}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/man"
        COMMAND gzip -9 -n -c "${source}" > "${compressed}"
        DEPENDS "${source}"
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    add_custom_target(manpage_${page} ALL DEPENDS "${compressed}")
    install(FILES "${compressed}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}")
endfunction()

# qv4130_program(<target>)
# One of the programs that load the port library by name: built with it, finding
# it as above, and installed into bin/.
function(qv4130_program target)
    if(TARGET parllio)
        add_dependencies(${target} parllio)
    endif()
    qv4130_use_private_libraries(${target})
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
