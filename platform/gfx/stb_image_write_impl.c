/* The one definition of the PNG writer used by the platform. */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
