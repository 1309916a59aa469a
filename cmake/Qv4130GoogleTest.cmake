# GoogleTest and GoogleMock for the test suite, as the targets GTest::gtest,
# GTest::gtest_main, GTest::gmock and GTest::gmock_main.
#
# A native build takes the installed libraries. A cross build can't link those
# (they are built for the build machine), so it compiles Debian's googletest
# sources for the target instead; nothing is downloaded.
set(QV4130_GOOGLETEST_SOURCE_DIR "/usr/src/googletest"
    CACHE PATH "GoogleTest sources, compiled for the target when cross-building")

if(NOT CMAKE_CROSSCOMPILING)
    find_package(GTest REQUIRED)
    return()
endif()

if(NOT EXISTS "${QV4130_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "Cross-building the tests needs the GoogleTest sources in "
                        "${QV4130_GOOGLETEST_SOURCE_DIR} (Debian package googletest)")
endif()

set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory("${QV4130_GOOGLETEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
        add_library(GTest::${library} ALIAS ${library})
    endif()
endforeach()
