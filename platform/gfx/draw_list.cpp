#include "platform/gfx/draw_list.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::gfx {

void FillRows(const FillOp& op, int y0, int y1) {
    if (op.bits) {
        const int top = std::max(op.top, y0), bottom = std::min(op.bottom, y1);
        for (int y = top; y < bottom; ++y) {
            std::uint8_t* row = op.bits + static_cast<std::ptrdiff_t>(y) * op.pitch;
            if (op.bytesPerPixel == 4) {
                std::uint32_t v;
                std::memcpy(&v, op.pixel, 4);
                std::fill(reinterpret_cast<std::uint32_t*>(row) + op.left,
                          reinterpret_cast<std::uint32_t*>(row) + op.right, v);
            } else {
                for (int x = op.left; x < op.right; ++x) {
                    std::memcpy(row + x * op.bytesPerPixel, op.pixel, static_cast<std::size_t>(op.bytesPerPixel));
                }
            }
        }
    }
    if (op.depth) {
        const int top = std::max(op.top, y0), bottom = std::min(op.depthBottom, y1);
        for (int y = top; y < bottom; ++y) {
            auto* row = reinterpret_cast<std::uint16_t*>(reinterpret_cast<std::uint8_t*>(op.depth) +
                                                         static_cast<std::ptrdiff_t>(y) * op.depthPitch);
            std::fill(row + op.left, row + std::max(op.depthRight, op.left), op.depthValue);
        }
    }
}

void CopyRows(const CopyOp& op, int y0, int y1) {
    const int top = std::max(op.top, y0), bottom = std::min(op.bottom, y1);
    if (top >= bottom) return;
    const std::uint8_t* from =
        op.source + static_cast<std::ptrdiff_t>(top - op.top + op.sourceTop) * op.sourcePitch + op.sourceOffset;
    std::uint8_t* to = op.dest + static_cast<std::ptrdiff_t>(top) * op.destPitch + op.destOffset;
    if (op.sourcePitch == op.destPitch && static_cast<std::ptrdiff_t>(op.bytes) == op.destPitch) {
        // Whole rows of surfaces laid out alike: one block.
        std::memcpy(to, from, op.bytes * static_cast<std::size_t>(bottom - top));
        return;
    }
    for (int y = top; y < bottom; ++y, from += op.sourcePitch, to += op.destPitch) std::memcpy(to, from, op.bytes);
}

namespace {

// Rows of a band: small enough that the threads share out a frame evenly and
// a band of the target stays in the cache while every command draws into it,
// large enough that a primitive is set up in few of them.
constexpr int kBandRows = 32;

enum class OpKind : std::uint8_t { kDraw, kFill, kCopy };

struct Op {
    OpKind kind;
    std::uint32_t index;                 // into states_, fills_ or copies_
    std::uint32_t first = 0, count = 0;  // primitives of a draw
    int y0 = INT_MAX, y1 = INT_MIN;      // the rows it may touch
};

enum class PrimKind : std::uint8_t { kTriangle, kQuad, kLine, kPoint };

struct Prim {
    std::uint32_t vertex;  // the first of its vertices in vertices_
    PrimKind kind;
    bool perspective;
    int y0, y1;  // the rows it may touch
};

class DrawList {
public:
    bool Empty() const { return ops_.empty(); }
    int Rows() const { return rows_; }

    void BeginDraw(const raster::State& state) {
        Op op{OpKind::kDraw, static_cast<std::uint32_t>(states_.size())};
        op.first = static_cast<std::uint32_t>(prims_.size());
        states_.push_back(state);
        ops_.push_back(op);
        rows_ = std::max(rows_, state.target.height);
    }

    void Add(PrimKind kind, bool perspective, std::initializer_list<const raster::Vertex*> vertices) {
        Prim p{static_cast<std::uint32_t>(vertices_.size()), kind, perspective, INT_MIN, INT_MAX};
        float lo = INFINITY, hi = -INFINITY;
        for (const raster::Vertex* v : vertices) {
            vertices_.push_back(*v);
            lo = std::min(lo, v->y);
            hi = std::max(hi, v->y);
        }
        // A primitive touches rows within a pixel of its vertices (clipping
        // only cuts it down); one that is not finite gets every row.
        if (std::isfinite(lo) && std::isfinite(hi) && lo > -1.0e9f && hi < 1.0e9f) {
            p.y0 = static_cast<int>(std::floor(lo)) - 1;
            p.y1 = static_cast<int>(std::ceil(hi)) + 2;
        }
        Op& op = ops_.back();
        const raster::State& st = states_[op.index];
        p.y0 = std::max(p.y0, st.clipY0);
        p.y1 = std::min(p.y1, st.clipY1);
        if (p.y0 >= p.y1) return;
        prims_.push_back(p);
        ++op.count;
        op.y0 = std::min(op.y0, p.y0);
        op.y1 = std::max(op.y1, p.y1);
    }

    void Fill(const FillOp& f) {
        Op op{OpKind::kFill, static_cast<std::uint32_t>(fills_.size())};
        op.y0 = f.top;
        op.y1 = std::max(f.bottom, f.depth ? f.depthBottom : f.bottom);
        fills_.push_back(f);
        ops_.push_back(op);
        rows_ = std::max(rows_, op.y1);
    }

    void Copy(const CopyOp& c) {
        Op op{OpKind::kCopy, static_cast<std::uint32_t>(copies_.size())};
        op.y0 = c.top;
        op.y1 = c.bottom;
        copies_.push_back(c);
        ops_.push_back(op);
        rows_ = std::max(rows_, op.y1);
    }

    // Every command clipped to rows y0 <= y < y1.
    void DrawBand(int y0, int y1) const {
        for (const Op& op : ops_) {
            if (op.y1 <= y0 || op.y0 >= y1) continue;
            switch (op.kind) {
                case OpKind::kFill: FillRows(fills_[op.index], y0, y1); break;
                case OpKind::kCopy: CopyRows(copies_[op.index], y0, y1); break;
                case OpKind::kDraw: {
                    raster::Rasterizer rz(states_[op.index], y0, y1);
                    for (std::uint32_t i = op.first; i < op.first + op.count; ++i) {
                        const Prim& p = prims_[i];
                        if (p.y1 <= y0 || p.y0 >= y1) continue;
                        const raster::Vertex* v = &vertices_[p.vertex];
                        switch (p.kind) {
                            case PrimKind::kTriangle: rz.Triangle(v[0], v[1], v[2], p.perspective); break;
                            case PrimKind::kQuad: rz.Quad(v[0], v[1], v[2], v[3], p.perspective); break;
                            case PrimKind::kLine: rz.Line(v[0], v[1], p.perspective); break;
                            case PrimKind::kPoint: rz.Point(v[0]); break;
                        }
                    }
                    break;
                }
            }
        }
    }

    void Clear() {
        ops_.clear();
        states_.clear();
        prims_.clear();
        vertices_.clear();
        fills_.clear();
        copies_.clear();
        rows_ = 0;
        kept_.clear();
    }

    // Memory the list's commands use that nothing else holds any more.
    void Keep(std::shared_ptr<void> memory) { kept_.push_back(std::move(memory)); }

private:
    std::vector<Op> ops_;
    std::vector<raster::State> states_;
    std::vector<Prim> prims_;
    std::vector<raster::Vertex> vertices_;
    std::vector<FillOp> fills_;
    std::vector<CopyOp> copies_;
    std::vector<std::shared_ptr<void>> kept_;
    int rows_ = 0;
};

// The threads besides the caller's that draw bands. A run hands them the
// list, draws bands on the calling thread too and returns when every band is
// drawn. A band is claimed with its run's number, so a thread that wakes late
// (the machine busy with other work) finds its run over and claims nothing:
// the caller waits only for bands that are being drawn, never for a thread
// to wake up.
class BandThreads {
public:
    int Count() const { return static_cast<int>(threads_.size()); }

    void Resize(int helpers) {
        if (helpers == Count()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
        threads_.clear();
        stop_ = false;
        for (int i = 0; i < helpers; ++i) threads_.emplace_back([this] { Serve(); });
    }

    // Hands the list to the threads and returns at once; Wait draws what is
    // left of it and returns when every band is drawn. The list must stay
    // as it is until then.
    void Start(const DrawList& list) {
        const int rows = list.Rows();
        const int bands = std::max(1, (rows + kBandRows - 1) / kBandRows);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            list_ = &list;
            bands_ = bands;
            ++run_;
            drawn_.store(0, std::memory_order_relaxed);
            claims_.store(static_cast<std::uint64_t>(run_) << 32, std::memory_order_relaxed);
        }
        if (Count() > 0) wake_.notify_all();
    }

    void Wait() {
        const std::uint32_t run = run_;
        const int bands = bands_;
        const int mine = DrawBands(*list_, run, bands);
        if (drawn_.fetch_add(mine, std::memory_order_acq_rel) + mine != bands) {
            std::unique_lock<std::mutex> lock(mutex_);
            done_.wait(lock, [&] { return drawn_.load(std::memory_order_acquire) == bands; });
        }
    }

    void Run(const DrawList& list) {
        Start(list);
        Wait();
    }

    std::uint64_t BandsDrawn() const { return bandsDrawn_.load(std::memory_order_relaxed); }

private:
    // Claims and draws bands of run `run` until none is left; returns how
    // many it drew.
    int DrawBands(const DrawList& list, std::uint32_t run, int bands) {
        int drawn = 0;
        std::uint64_t c = claims_.load(std::memory_order_relaxed);
        for (;;) {
            if (static_cast<std::uint32_t>(c >> 32) != run) break;
            const int band = static_cast<int>(c & 0xFFFFFFFFu);
            if (band >= bands) break;
            if (!claims_.compare_exchange_weak(c, c + 1, std::memory_order_relaxed)) continue;
            list.DrawBand(band * kBandRows, (band + 1) * kBandRows);
            ++drawn;
            c = claims_.load(std::memory_order_relaxed);
        }
        bandsDrawn_.fetch_add(static_cast<std::uint64_t>(drawn), std::memory_order_relaxed);
        return drawn;
    }

    void Serve() {
        std::uint32_t seen = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stop_ || run_ != seen; });
            if (stop_) return;
            seen = run_;
            const DrawList* list = list_;
            const int bands = bands_;
            lock.unlock();
            // The list stays until every band of its run is drawn, and this
            // thread draws only bands it claimed for that run.
            const int mine = DrawBands(*list, seen, bands);
            lock.lock();
            if (mine > 0 && drawn_.fetch_add(mine, std::memory_order_acq_rel) + mine == bands) done_.notify_one();
        }
    }

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    bool stop_ = false;
    std::uint32_t run_ = 0;
    const DrawList* list_ = nullptr;
    int bands_ = 0;
    // The run's number (high half) and its next band (low half).
    std::atomic<std::uint64_t> claims_{0};
    std::atomic<int> drawn_{0};
    std::atomic<std::uint64_t> bandsDrawn_{0};
};

// Two lists: the one being recorded and, when a frame is drawn ahead, the one
// the threads draw meanwhile. Serial numbers go up by one per list, so a
// surface marked with the serial of either list is pending.
struct Drawing {
    int threads = 1;
    DrawList lists[2];
    int recording = 0;         // the list being recorded
    bool inFlight = false;     // the other list is being drawn by the threads
    std::uint64_t serial = 1;  // the recorded list's
    std::uint64_t finishes = 0;
    std::uint64_t drawnAhead = 0;
    BandThreads helpers;

    DrawList& List() { return lists[recording]; }

    // Waits for the list in flight, drawing its unclaimed bands on this
    // thread meanwhile.
    void Land() {
        if (!inFlight) return;
        helpers.Wait();
        lists[1 - recording].Clear();
        inFlight = false;
    }
};

// Made once and kept to the end of the program: surfaces may ask for it while
// the program's statics go.
Drawing& TheDrawing() {
    static Drawing* drawing = new Drawing;
    return *drawing;
}

// The threads may still be drawing a list into surfaces when the program
// ends: it is drawn before the program's statics go.
void LandAtExit() { TheDrawing().Land(); }

}  // namespace

void SetDrawThreads(int threads) {
    Drawing& d = TheDrawing();
    drawlist::Finish();
    d.threads = std::clamp(threads, 1, kMaxDrawThreads);
    d.helpers.Resize(d.threads - 1);
    if (d.threads > 1) {
        // From now on a list may be in flight when the program ends.
        static const bool registered = (std::atexit(LandAtExit), true);
        (void)registered;
    }
}

int DrawThreads() { return TheDrawing().threads; }

namespace drawlist {

bool Recording() { return TheDrawing().threads > 1; }
std::uint64_t Serial() { return TheDrawing().serial; }

bool Pending(std::uint64_t mark) {
    const Drawing& d = TheDrawing();
    return mark == d.serial || (d.inFlight && mark == d.serial - 1);
}

void Finish() {
    Drawing& d = TheDrawing();
    // The list in flight comes first: the recorded one may draw over what it
    // drew, and whoever asks for the pixels needs both.
    d.Land();
    if (d.List().Empty()) return d.List().Clear();
    d.helpers.Run(d.List());
    d.List().Clear();
    ++d.serial;
    ++d.finishes;
}

void FinishAhead() {
    Drawing& d = TheDrawing();
    if (d.threads < 2) return Finish();
    // One list in flight at a time: the one before this is drawn first.
    d.Land();
    if (d.List().Empty()) return d.List().Clear();
    d.helpers.Start(d.List());
    d.recording = 1 - d.recording;
    d.inFlight = true;
    ++d.serial;
    ++d.finishes;
    ++d.drawnAhead;
}

void KeepUntilDrawn(std::uint64_t mark, std::shared_ptr<void> memory) {
    Drawing& d = TheDrawing();
    if (mark == d.serial) d.List().Keep(std::move(memory));
    else if (d.inFlight && mark == d.serial - 1) d.lists[1 - d.recording].Keep(std::move(memory));
}

void BeginDraw(const raster::State& state) { TheDrawing().List().BeginDraw(state); }

void Triangle(const raster::Vertex& a, const raster::Vertex& b, const raster::Vertex& c, bool perspective) {
    TheDrawing().List().Add(PrimKind::kTriangle, perspective, {&a, &b, &c});
}

void Quad(const raster::Vertex& a, const raster::Vertex& b, const raster::Vertex& c, const raster::Vertex& d,
          bool perspective) {
    TheDrawing().List().Add(PrimKind::kQuad, perspective, {&a, &b, &c, &d});
}

void Line(const raster::Vertex& a, const raster::Vertex& b, bool perspective) {
    TheDrawing().List().Add(PrimKind::kLine, perspective, {&a, &b});
}

void Point(const raster::Vertex& a) { TheDrawing().List().Add(PrimKind::kPoint, false, {&a}); }

void Fill(const FillOp& op) { TheDrawing().List().Fill(op); }
void Copy(const CopyOp& op) { TheDrawing().List().Copy(op); }

std::uint64_t Finishes() { return TheDrawing().finishes; }
std::uint64_t BandsDrawn() { return TheDrawing().helpers.BandsDrawn(); }
std::uint64_t DrawnAhead() { return TheDrawing().drawnAhead; }
bool InFlight() { return TheDrawing().inFlight; }

}  // namespace drawlist
}  // namespace platform::gfx
