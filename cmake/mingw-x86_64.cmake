# The same sources as a 64-bit build, for running the Windows-side suites under 64-bit Wine
# on a machine whose kernel runs no 32-bit code.
set(mingw_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
