/* Tells whether Wine runs programs of this build's pointer size here: the
   scripts start the 32-bit build of it with a time limit and test the Windows
   flavour that runs. */
#include <stdio.h>

int main(void) {
  printf("%u-bit Windows programs run\n", (unsigned)(sizeof(void*) * 8));
  return 0;
}
