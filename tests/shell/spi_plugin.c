/* A stand-in picture plug-in for the loader tests. The build makes three
   libraries from it, each exporting a different set of the plug-in's
   functions (SPI_EXPORT_* definitions). The loader never calls them. */
#include <windows.h>

#ifdef SPI_EXPORT_IS_SUPPORTED
__declspec(dllexport) int IsSupported(const char* name, void* head) {
  (void)name;
  (void)head;
  return 0;
}
#endif

#ifdef SPI_EXPORT_GET_PICTURE
__declspec(dllexport) int GetPicture(const char* name, long length, unsigned flags, void* info, void* bits,
                                     void* progress, long data) {
  (void)name, (void)length, (void)flags, (void)info, (void)bits, (void)progress, (void)data;
  return -1;
}
#endif

#ifdef SPI_EXPORT_GET_PICTURE_INFO
__declspec(dllexport) int GetPictureInfo(const char* name, long length, unsigned flags, void* info) {
  (void)name, (void)length, (void)flags, (void)info;
  return -1;
}
#endif

/* Keeps the library non-empty whatever is exported. */
__declspec(dllexport) int SpiTestMarker(void) { return 1; }
