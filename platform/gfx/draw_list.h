#pragma once
// Drawing on several threads. With more than one drawing thread the device
// does not draw its draws, clears and copies at once: it keeps them in a list
// and draws the list when something needs the pixels (Present, a lock, a read
// of a surface the list draws into, a write to one it reads). The rows of the
// targets are cut into bands and each thread draws whole bands, every command
// of the list in its order clipped to the band: every pixel is drawn by one
// thread, by the same commands in the same order, with the values the
// rasterizer gives it however the rows are cut, so the pixels are those of
// drawing at once.
//
// The list belongs to the thread that draws (the device's); the other
// threads only draw bands while it waits for them, or, when a frame nobody
// looks at yet is drawn ahead, while it records the next frame into a second
// list.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gfx/raster.h"

namespace platform::gfx {

// The number of threads that draw, 1 to kMaxDrawThreads. 1 (the default)
// draws every command at once on the calling thread. Draws what is pending
// first.
constexpr int kMaxDrawThreads = 16;
void SetDrawThreads(int threads);
int DrawThreads();

// A rectangle of a colour target and/or of a depth buffer filled with one
// value (a clear): rows top <= y < bottom, the depth's columns up to its own
// width.
struct FillOp {
    std::uint8_t* bits = nullptr;  // null: no colour fill
    std::int32_t pitch = 0;
    int bytesPerPixel = 0;
    std::uint8_t pixel[4] = {};
    std::uint16_t* depth = nullptr;  // null: no depth fill
    std::int32_t depthPitch = 0;
    int depthRight = 0, depthBottom = 0;
    std::uint16_t depthValue = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};
// Fills the op's rows y0 <= y < y1.
void FillRows(const FillOp& op, int y0, int y1);

// A copy of a block of rows: destination rows top <= y < bottom, each from
// the source row y - top + sourceTop.
struct CopyOp {
    const std::uint8_t* source = nullptr;
    std::int32_t sourcePitch = 0;
    int sourceTop = 0;
    std::ptrdiff_t sourceOffset = 0;  // bytes into each row
    std::uint8_t* dest = nullptr;
    std::int32_t destPitch = 0;
    std::ptrdiff_t destOffset = 0;
    std::size_t bytes = 0;  // per row
    int top = 0, bottom = 0;
};
// Copies the op's destination rows y0 <= y < y1.
void CopyRows(const CopyOp& op, int y0, int y1);

namespace drawlist {

// Whether the device keeps its commands in the list (more than one thread).
bool Recording();
// The list's number: it changes whenever the list is drawn and emptied, so a
// surface marked with it is read or written by what the list holds.
std::uint64_t Serial();
// Whether a surface marked with serial `mark` is read or written by a list
// not yet drawn: the one recorded, or the one in flight.
bool Pending(std::uint64_t mark);
// Draws everything the lists hold and empties them (waiting for the one in
// flight first); nothing when they are empty.
void Finish();
// Starts drawing the recorded list on the threads and returns at once (after
// the list in flight before it is drawn); recording goes on into the other
// list. With one thread it is Finish. For frames nobody looks at right away
// (a headless run): everything that needs the pixels waits through Pending
// and Finish.
void FinishAhead();

// Keeps `memory` (the pixels of a surface being released) until the list
// that `mark` names is drawn, when that list is still to be drawn, so that a
// release does not wait for the drawing; else lets it go at once.
void KeepUntilDrawn(std::uint64_t mark, std::shared_ptr<void> memory);

// Recording. A draw starts with its state (targets, scissor, textures and
// pipeline states, copied) and its primitives follow.
void BeginDraw(const raster::State& state);
void Triangle(const raster::Vertex& a, const raster::Vertex& b, const raster::Vertex& c, bool perspective);
void Quad(const raster::Vertex& a, const raster::Vertex& b, const raster::Vertex& c, const raster::Vertex& d,
          bool perspective);
void Line(const raster::Vertex& a, const raster::Vertex& b, bool perspective);
void Point(const raster::Vertex& a);
void Fill(const FillOp& op);
void Copy(const CopyOp& op);

// The times the list was drawn, and the bands drawn (tests).
std::uint64_t Finishes();
std::uint64_t BandsDrawn();
// The lists started by FinishAhead, and whether one is being drawn now.
std::uint64_t DrawnAhead();
bool InFlight();

}  // namespace drawlist
}  // namespace platform::gfx
