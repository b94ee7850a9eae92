/* The Ogg Vorbis decoder used by the music player (stb_vorbis, from the
   system's stb package, built here once). */
#include <stb/stb_vorbis.h>
