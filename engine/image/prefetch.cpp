#include "engine/image/prefetch.h"

#include <sys/stat.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/image/lag_archive.h"

namespace {

// The identity of an archive file when it was queued: its absolute path, size
// and modification time.
struct FileStamp {
    std::string path;
    long long size = -1;
    long long modified = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const char* archivePath) {
    FileStamp stamp;
    std::error_code ec;
    stamp.path = std::filesystem::absolute(archivePath, ec).lexically_normal().string();
    struct stat st {};
    if (ec || ::stat(stamp.path.c_str(), &st) != 0) return stamp;
    stamp.size = static_cast<long long>(st.st_size);
    stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return stamp;
}

struct Entry {
    FileStamp file;
    std::string name;  // lower case
    bool done = false;
    bool ok = false;
    std::unique_ptr<u8[]> pixels;
    i32 width = 0;
    i32 height = 0;
};

class Prefetcher {
public:
    ~Prefetcher() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        if (worker_.joinable()) worker_.join();
    }

    void Queue(const FileStamp& file, const std::vector<std::string>& names) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!on_ || file.size < 0) return;
        for (const std::string& n : names) {
            auto e = std::make_shared<Entry>();
            e->file = file;
            e->name = Lower(n);
            entries_.push_back(e);
            queue_.push_back(e);
        }
        if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
        wake_.notify_all();
    }

    void Drop() {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
        entries_.clear();
    }

    void Use(bool on) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            on_ = on;
        }
        if (!on) Drop();
    }

    bool Take(const char* archivePath, const char* name, std::unique_ptr<u8[]>& pixels, i32& width, i32& height) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (entries_.empty()) return false;
        lock.unlock();
        const FileStamp file = StampOf(archivePath);
        lock.lock();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            std::shared_ptr<Entry> e = *it;
            if (e->name != name || !(e->file.path == file.path)) continue;
            entries_.erase(it);
            // Still queued: decode it here rather than wait behind the others.
            for (auto q = queue_.begin(); q != queue_.end(); ++q) {
                if (*q == e) {
                    queue_.erase(q);
                    return false;
                }
            }
            done_.wait(lock, [&] { return e->done; });
            if (!e->ok || !(e->file == file)) return false;
            pixels = std::move(e->pixels);
            width = e->width;
            height = e->height;
            ++taken_;
            return true;
        }
        return false;
    }

    void Finish() {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return queue_.empty() && !busy_; });
    }

    u64 Taken() {
        std::lock_guard<std::mutex> lock(mutex_);
        return taken_;
    }

private:
    static std::string Lower(const std::string& s) {
        std::string out = s;
        for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return out;
    }

    void Work() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            std::shared_ptr<Entry> e = queue_.front();
            queue_.pop_front();
            busy_ = true;
            lock.unlock();
            LagEntryInfo info;
            std::unique_ptr<u8[]> pixels;
            const LagResult r = LagLoadPixels8888(e->file.path.c_str(), e->name.c_str(), info, pixels, nullptr);
            // The file as it was read: a change since it was queued shows.
            const FileStamp after = StampOf(e->file.path.c_str());
            lock.lock();
            e->ok = r.ok() && after == e->file;
            e->pixels = std::move(pixels);
            e->width = info.width;
            e->height = info.height;
            e->done = true;
            busy_ = false;
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::shared_ptr<Entry>> queue_;    // not started yet, in order
    std::deque<std::shared_ptr<Entry>> entries_;  // every entry not taken or dropped
    std::thread worker_;
    bool stop_ = false;
    bool busy_ = false;
    bool on_ = true;
    u64 taken_ = 0;
};

Prefetcher& ThePrefetcher() {
    static Prefetcher prefetcher;
    return prefetcher;
}

}  // namespace

void ImagePrefetchLag(const char* archivePath, const std::vector<std::string>& entryNames) {
    if (!archivePath || entryNames.empty()) return;
    ThePrefetcher().Queue(StampOf(archivePath), entryNames);
}

void ImageDropPrefetched() { ThePrefetcher().Drop(); }

void ImageFinishPrefetch() { ThePrefetcher().Finish(); }

void ImageUsePrefetch(bool on) { ThePrefetcher().Use(on); }

u64 ImagePrefetchedTaken() { return ThePrefetcher().Taken(); }

bool ImageTakePrefetched(const char* archivePath, const char* entryName, std::unique_ptr<u8[]>& pixels, i32& width,
                         i32& height) {
    return ThePrefetcher().Take(archivePath, entryName, pixels, width, height);
}
