/* Links against libtolvane and calls entry points as plain C functions. */
#include <stdio.h>
#include <tolvane/host.h>

int main(void) {
  float version = Version(NULL, 0, NULL);
  float set = CropBMP_SetWidth(NULL, 64, NULL);
  printf("tolvane %.2f from C (CropBMP_SetWidth -> %g)\n", version, set);
  return version > 4.0f && version < 5.0f && set == 0.0f ? 0 : 1;
}
