/* The one definition of the image file reader used by the platform. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
