/* A tiny image plug-in for the tests. It reads files of this layout:
 *   bytes 0-3   "TPIC" (or "TBAD": supported, but every decode fails)
 *   bytes 4-7   size of the bitmap-information block that follows (LE)
 *   bytes 8-11  size of the bits block that follows it (LE)
 *   then both blocks, handed back as they are.
 */
#include <stdlib.h>
#include <string.h>

static unsigned long ReadU32(const unsigned char* p) {
    return (unsigned long)p[0] | ((unsigned long)p[1] << 8) | ((unsigned long)p[2] << 16) |
           ((unsigned long)p[3] << 24);
}

__attribute__((visibility("default"))) int IsSupported(const char* fileName, const void* head) {
    (void)fileName;
    return memcmp(head, "TPIC", 4) == 0 || memcmp(head, "TBAD", 4) == 0;
}

__attribute__((visibility("default"))) int GetPicture(const char* buffer, long length, unsigned int flag,
                                                      void** bitmapInfo, void** bits,
                                                      int (*progress)(int, int, long), long data) {
    const unsigned char* p = (const unsigned char*)buffer;
    unsigned long infoSize, bitsSize;
    (void)progress;
    (void)data;
    if ((flag & 7) != 1 || length < 12 || memcmp(p, "TPIC", 4) != 0) return 1;
    infoSize = ReadU32(p + 4);
    bitsSize = ReadU32(p + 8);
    if (infoSize > (unsigned long)length - 12 || bitsSize > (unsigned long)length - 12 - infoSize) return 1;
    *bitmapInfo = malloc(infoSize ? infoSize : 1);
    *bits = malloc(bitsSize ? bitsSize : 1);
    if (!*bitmapInfo || !*bits) {
        free(*bitmapInfo);
        free(*bits);
        return 4;
    }
    memcpy(*bitmapInfo, p + 12, infoSize);
    memcpy(*bits, p + 12 + infoSize, bitsSize);
    return 0;
}
