# Cross build for 64-bit Windows with Debian's mingw-w64 compilers. The test
# programs run on the build machine under Wine (see run-under-wine.sh), each
# build folder with a Wine prefix of its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QV4130_MINGW_TRIPLET x86_64-w64-mingw32)

# The posix thread model gives the whole C++ thread library; the win32 one,
# Debian's default, lacks parts of it with this compiler version.
find_program(QV4130_MINGW_CC NAMES ${QV4130_MINGW_TRIPLET}-gcc-posix ${QV4130_MINGW_TRIPLET}-gcc REQUIRED)
find_program(QV4130_MINGW_CXX NAMES ${QV4130_MINGW_TRIPLET}-g++-posix ${QV4130_MINGW_TRIPLET}-g++ REQUIRED)
find_program(QV4130_MINGW_WINDRES NAMES ${QV4130_MINGW_TRIPLET}-windres)
set(CMAKE_C_COMPILER ${QV4130_MINGW_CC})
set(CMAKE_CXX_COMPILER ${QV4130_MINGW_CXX})
if(QV4130_MINGW_WINDRES)
    set(CMAKE_RC_COMPILER ${QV4130_MINGW_WINDRES})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${QV4130_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler's runtime into every .exe and .dll, so they start under Wine
# (or on a bare Windows machine) with no mingw DLLs to carry along.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest, and GoogleTest's test discovery at build time, start the .exe files
# through Wine in a throw-away prefix inside the build folder.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        "${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh;${CMAKE_BINARY_DIR}/wine-prefix")
endif()

# Qt for Windows, cross-built by scripts/windows-qt into a cache outside the
# build tree: QV4130_WINDOWS_QT names its folder, or "auto" asks the script.
# The folder becomes a root of its own beside the compiler's.
if(QV4130_WINDOWS_QT STREQUAL "auto")
    execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-qt" --print-dir
                    OUTPUT_VARIABLE QV4130_WINDOWS_QT_DIR OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
elseif(QV4130_WINDOWS_QT)
    set(QV4130_WINDOWS_QT_DIR "${QV4130_WINDOWS_QT}")
endif()
if(QV4130_WINDOWS_QT_DIR)
    if(NOT EXISTS "${QV4130_WINDOWS_QT_DIR}/lib/cmake/Qt6/Qt6Config.cmake")
        message(FATAL_ERROR "No Qt for Windows in ${QV4130_WINDOWS_QT_DIR}: build it with scripts/windows-qt")
    endif()
    list(APPEND CMAKE_FIND_ROOT_PATH "${QV4130_WINDOWS_QT_DIR}")
    # Its moc, rcc and uic are Debian's host Qt of the same version.
    set(QT_HOST_PATH /usr CACHE PATH "The host Qt whose tools the cross-built Qt uses")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()
