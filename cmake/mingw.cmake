# Cross-compiling the Windows programs with MinGW-w64 for the target that mingw_triple names;
# mingw-i686.cmake is the product's 32-bit build. KESTRINE_THREADS chooses the compilers'
# thread model: posix (the default) where the test programs are built, whose GoogleTest and
# tests need std::mutex and std::thread, which GCC 12 has only there; win32 for the two
# shipped programs, whose runtime then needs no winpthreads (see the top CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${mingw_triple}")
if(NOT KESTRINE_THREADS)
  set(KESTRINE_THREADS posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRINE_THREADS)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-${KESTRINE_THREADS})
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-${KESTRINE_THREADS})
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the Windows test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
