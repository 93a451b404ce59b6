// The worker pool. Workers start on first use and wait on one queue of jobs; a job is a number of
// bands taken one at a time from a shared counter. The caller of a job works through its bands
// too, so a job finishes even while every worker is busy with another caller's job (the desktop
// program's preview thread and its main thread may both be inside the library), and a band may
// itself start a job without waiting on a worker.
#include "pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "qrix.h"

namespace qrix {
namespace {

struct Job {
  const std::function<void(int32_t)>* band;
  int32_t bands;
  std::atomic<int32_t> next{0};
  int32_t done = 0;   // bands finished; guarded by the pool's mutex
  int32_t users = 0;  // workers holding the job; guarded by the pool's mutex
  std::condition_variable finished;
};

class Pool {
 public:
  Pool() : threads_(defaultThreads()) {}

  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
  }

  int32_t threads() const { return threads_.load(std::memory_order_relaxed); }
  int64_t bandBytes() const { return bandBytes_.load(std::memory_order_relaxed); }

  int32_t set(int32_t count, int32_t bandBytes) {
    threads_.store(count > 0 ? std::min(count, kMaxThreads) : defaultThreads(), std::memory_order_relaxed);
    bandBytes_.store(bandBytes > 0 ? bandBytes : kDefaultBandBytes, std::memory_order_relaxed);
    return threads();
  }

  void run(int32_t bands, const std::function<void(int32_t)>& band) {
    Job job;
    job.band = &band;
    job.bands = bands;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      try {
        while (static_cast<int32_t>(workers_.size()) < std::min(bands, threads()) - 1) {
          workers_.emplace_back([this] { work(); });
        }
      } catch (const std::exception&) {
        // No more threads to be had: the caller and the workers there are do the bands.
      }
      queue_.push_back(&job);
    }
    wake_.notify_all();
    const int32_t mine = work(job);
    std::unique_lock<std::mutex> lock(mutex_);
    // Unqueue the job if no worker took it up, then wait for the bands others took and for
    // every worker to let go of it.
    unqueue(&job);
    job.done += mine;
    job.finished.wait(lock, [&] { return job.done == job.bands && job.users == 0; });
  }

 private:
  static constexpr int32_t kMaxThreads = 256;

  static int32_t defaultThreads() {
    if (const char* text = std::getenv("QRIX_THREADS")) {
      char* end = nullptr;
      const long n = std::strtol(text, &end, 10);
      if (end != text && *end == '\0' && n >= 1) return static_cast<int32_t>(std::min<long>(n, kMaxThreads));
    }
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int32_t>(std::min<unsigned>(n, kMaxThreads));
  }

  // Takes bands of the job until none is left; returns how many this thread did.
  static int32_t work(Job& job) {
    int32_t did = 0;
    for (int32_t k; (k = job.next.fetch_add(1, std::memory_order_relaxed)) < job.bands; ++did) (*job.band)(k);
    return did;
  }

  void work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      Job* job = queue_.front();
      ++job->users;
      lock.unlock();
      const int32_t did = work(*job);
      lock.lock();
      unqueue(job);  // every band is spoken for: nobody else need look
      job->done += did;
      if (--job->users == 0 && job->done == job->bands) job->finished.notify_all();
    }
  }

  // Called with the mutex held.
  void unqueue(Job* job) {
    const auto at = std::find(queue_.begin(), queue_.end(), job);
    if (at != queue_.end()) queue_.erase(at);
  }

  std::atomic<int32_t> threads_;
  std::atomic<int64_t> bandBytes_{kDefaultBandBytes};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job*> queue_;
  std::vector<std::thread> workers_;
  bool stopping_ = false;
};

Pool& pool() {
  static Pool instance;
  return instance;
}

}  // namespace

int32_t threadCount() { return pool().threads(); }

int32_t bandsFor(int64_t bytes) {
  Pool& p = pool();
  const int64_t most = bytes / p.bandBytes();
  return static_cast<int32_t>(std::max<int64_t>(1, std::min<int64_t>(p.threads(), most)));
}

void runBands(int32_t bands, const std::function<void(int32_t)>& band) {
  if (bands <= 1) {
    if (bands == 1) band(0);
    return;
  }
  pool().run(bands, band);
}

}  // namespace qrix

extern "C" {

int32_t dllsetthreads(int32_t count, int32_t minimumBandBytes) {
  return qrix::pool().set(count, minimumBandBytes);
}

}  // extern "C"
