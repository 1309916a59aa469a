# What the Windows programs load besides themselves: Qt's DLLs, the plugins Qt
# looks for in folders beside the program (platforms/, styles/, imageformats/,
# iconengines/) and the mingw-w64 runtime Qt's DLLs were linked against
# (libstdc++-6, libgcc_s_seh-1, libwinpthread-1). Our own programs carry their
# C++ runtime linked in (see mingw-w64-x86_64.cmake), but Qt's DLLs do not.
#
# They are copied into bin/ when the build is configured, so every program and
# test there starts as it is, under Wine or on Windows, and installed beside
# the programs. windeployqt is not part of Debian's host Qt, and the list is
# short enough to name.

# Qt's modules the programs load; Qt Test's only the tests do, so it stays in
# the build tree.
set(qv4130_qt_dlls Core Gui Widgets Network OpenGL OpenGLWidgets Svg SvgWidgets)
set(qv4130_qt_plugins platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle
                      imageformats/qico imageformats/qsvg iconengines/qsvgicon)
set(qv4130_runtime_dlls libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)

function(qv4130_lay_windows_runtime)
    set(qt "${QT6_INSTALL_PREFIX}")
    set(bin "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    foreach(module ${qv4130_qt_dlls} Test)
        set(dll "${qt}/bin/Qt6${module}.dll")
        if(EXISTS "${dll}")
            file(COPY "${dll}" DESTINATION "${bin}")
            if(NOT module STREQUAL "Test")
                install(FILES "${dll}" DESTINATION ${CMAKE_INSTALL_BINDIR})
            endif()
        endif()
    endforeach()
    foreach(plugin ${qv4130_qt_plugins})
        set(dll "${qt}/plugins/${plugin}.dll")
        if(EXISTS "${dll}")
            get_filename_component(folder "${plugin}" DIRECTORY)
            file(COPY "${dll}" DESTINATION "${bin}/${folder}")
            install(FILES "${dll}" DESTINATION "${CMAKE_INSTALL_BINDIR}/${folder}")
        endif()
    endforeach()
    foreach(name ${qv4130_runtime_dlls})
        execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${name}
                        OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${dll}" OR NOT EXISTS "${dll}")
            message(FATAL_ERROR "The compiler has no ${name} to lay beside the programs")
        endif()
        file(COPY "${dll}" DESTINATION "${bin}")
        install(FILES "${dll}" DESTINATION ${CMAKE_INSTALL_BINDIR})
    endforeach()
endfunction()
