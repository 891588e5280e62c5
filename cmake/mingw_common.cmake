# What both Windows cross toolchains share: MinGW-w64 with the native (win32)
# thread model, which brings no POSIX thread layer into the library, for
# the triple the including file sets, a static runtime (one file that imports
# system DLLs only), tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${triple}-g++-win32)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The including file sets quillomet_file_alignment. Sections page-aligned
# in the file as in memory (4096) let a loader map each section from the
# file instead of reading it into fresh pages (Wine's does): a large part of
# the load, for about 30 KB of padding. 512 packs them.
set(CMAKE_SHARED_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--file-alignment,${quillomet_file_alignment}")
