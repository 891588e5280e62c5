# Cross toolchain: 64-bit Windows through MinGW-w64, tests run under Wine
# in a 64-bit prefix. x86-64 computes doubles in SSE2, as every build must.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(quillomet_file_alignment 4096) # page-aligned: its load is the tight target
include(${CMAKE_CURRENT_LIST_DIR}/mingw_common.cmake)
# The 64-bit loader itself: in a 64-bit prefix plain "wine" starts the
# 32-bit regsvr32, reg and cscript, which see the 32-bit registry view.
find_program(WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64})
