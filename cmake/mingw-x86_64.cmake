# Cross build for 64-bit Windows: the same program for machines whose Wine (or
# Windows) runs only 64-bit programs; it loads 64-bit input plug-ins.
set(MELODEK_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
