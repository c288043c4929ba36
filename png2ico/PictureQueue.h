#pragma once
// Pictures converted on worker threads and reported in the order they were
// handed in, so that the console reads the same for any number of workers:
// a picture's progress text (its name and the dots) appears when its turn
// comes, its result when it is done. At most two pictures per worker are
// being converted or waiting for a worker, whatever the folder holds.

#include <condition_variable>
#include <deque>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace png2ico {

struct PictureJob {
    std::string inputPath;
    std::string outputPath;
    std::string progress;   // printed before the result unless silent
    std::string outputKey;  // the same for pictures that write the same file
};

class PictureQueue {
public:
    // Converts one picture; true for success. Runs on the workers, so it
    // shares nothing with other calls but what it only reads.
    using Convert = std::function<bool(const PictureJob&)>;

    // With one worker each picture is converted on the calling thread as it
    // is handed in, one after another. No worker starts before the first
    // picture; 0 workers means as many as the process may run on, counted
    // then, so that a run without pictures pays for neither.
    PictureQueue(unsigned workers, Convert convert, bool silent, std::ostream& console);
    // Converts and reports what is still in flight, then ends the workers.
    ~PictureQueue();
    PictureQueue(const PictureQueue&) = delete;
    PictureQueue& operator=(const PictureQueue&) = delete;

    // Hands a picture over, first waiting while the queue is full. A picture
    // whose output key another picture in flight has (a.png and a.PNG both
    // write a.ico) waits for that one, so that the later icon is the one left.
    // Results wait for the ones before them to be printed; past
    // unreportedLimit() of those, the queue waits for the oldest.
    void Add(PictureJob job);
    // The same with nothing else in flight before or during its conversion.
    void AddAlone(PictureJob job);
    // Returns when every picture handed in is converted and reported.
    void Drain();

    // Both known from the first picture on.
    size_t capacity() const { return 2 * static_cast<size_t>(workers_); }
    size_t unreportedLimit() const { return 64 * static_cast<size_t>(workers_); }

private:
    struct Entry;

    void StartWorkers();
    bool RunConvert(const PictureJob& job) const;
    void Announce(Entry& entry);
    void Report(const Entry& entry);
    void RetireHead();
    void PopHead();
    void ReportFinished();
    void Work();

    unsigned workers_;    // 0 until counted
    bool started_ = false;
    const Convert convert_;
    const bool silent_;
    std::ostream& console_;

    std::deque<std::shared_ptr<Entry>> inFlight_;  // in order; the caller's thread only
    // The latest of inFlight_ per output key; the caller's thread only.
    std::unordered_map<std::string, std::shared_ptr<Entry>> lastWriters_;

    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable workDone_;
    std::deque<std::shared_ptr<Entry>> waiting_;   // not yet taken by a worker; guarded by mutex_
    size_t unfinished_ = 0;                        // handed over, not done; guarded by mutex_
    bool stopping_ = false;                        // guarded by mutex_
    std::vector<std::thread> threads_;
};

} // namespace png2ico
