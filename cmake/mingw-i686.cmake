# Cross build for 32-bit Windows: the input plug-ins Melodek hosts are 32-bit DLLs.
set(MELODEK_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
