// The two settings the host keeps in the library between calls.
#pragma once

// Crop width of CropBMPfile, set by CropBMP_SetWidth. Initially 50.
extern float imgW;
// Packed colour matched by MakeStencilPSD and SwapColorsPSD, set by
// SetInColor. Initially 0.
extern float colIn;
