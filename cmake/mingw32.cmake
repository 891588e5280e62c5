# Cross toolchain: 32-bit Windows through MinGW-w64, tests run under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)
# Packed: the 32-bit library's size budget is the tight one, and its load
# keeps within its target packed (measured against a reference server
# linked the same way); the 64-bit one's load is the tight target.
set(quillomet_file_alignment 512)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Double arithmetic in IEEE double, as x64 and every current x86 Windows
# compiler do: i686 GCC otherwise computes on the x87 unit with 80-bit
# intermediates, so a quotient compared with a parsed double, or a product
# rounded to a whole number, differs in the last bits from what the same
# source computes everywhere else.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
