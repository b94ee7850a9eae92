#pragma once
// Decoding ahead: archive entries read and decoded on a worker thread before
// the program asks for them. Image::ImageLoadLag without a progress callback
// takes an entry's pixels from here when it was decoded ahead (waiting for it
// when it is still being decoded) instead of reading the archive again: the
// same pixels either way, and the same order of everything the caller does.
// An entry that failed ahead is loaded again as usual (its error then comes
// from that load), and so is one whose archive file changed in between.
#include <memory>
#include <string>
#include <vector>

#include "engine/core/types.h"

// Queues entries of `archivePath` (names in any case) in this order. The path
// is taken relative to the current folder as it is now.
void ImagePrefetchLag(const char* archivePath, const std::vector<std::string>& entryNames);

// Waits until every queued entry is decoded (a program that starts straight
// into a scene lets its first pictures decode before the first frame).
void ImageFinishPrefetch();

// Forgets every entry queued or decoded ahead that was not taken.
void ImageDropPrefetched();

// Whether decoding ahead is used (the default); off, ImagePrefetchLag queues
// nothing and loads read the archives themselves.
void ImageUsePrefetch(bool on);

// Entries taken from the decoded-ahead ones so far (tests).
u64 ImagePrefetchedTaken();

// The loader's side: the pixels of `entryName` (lower case) of `archivePath`
// when they were decoded ahead; false when not (nothing is changed then).
bool ImageTakePrefetched(const char* archivePath, const char* entryName, std::unique_ptr<u8[]>& pixels, i32& width,
                         i32& height);
