/* stb's image reader, resampler and font rasteriser for the browser build: on the desktop they
   come compiled in Debian's libstb, here they are compiled from the same headers. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
