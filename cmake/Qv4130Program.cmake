# qv4130_program(target): one of the programs that load the port library by name.
# It is built with them, found beside them (RUNPATH $ORIGIN, in the build tree and
# once installed; RUNPATH, not RPATH, so LD_LIBRARY_PATH can still put another
# first), and installed with them.
function(qv4130_program target)
    if(TARGET parllio)
        add_dependencies(${target} parllio)
    endif()
    if(NOT WIN32 AND NOT APPLE)
        # The same RUNPATH in both places, so nothing is rewritten at install time.
        set_target_properties(${target} PROPERTIES
            BUILD_WITH_INSTALL_RPATH ON
            INSTALL_RPATH "$ORIGIN")
        target_link_options(${target} PRIVATE "LINKER:--enable-new-dtags")
    endif()
    include(GNUInstallDirs)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
