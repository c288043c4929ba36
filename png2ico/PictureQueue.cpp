#include "png2ico/PictureQueue.h"

#include "png2ico/Console.h"
#include "png2ico/CpuCount.h"

#include <exception>
#include <ostream>
#include <utility>

namespace png2ico {

struct PictureQueue::Entry {
    explicit Entry(PictureJob j) : job(std::move(j)) {}
    const PictureJob job;
    bool announced = false;  // the caller's thread only
    bool ok = false;         // guarded by mutex_, like done
    bool done = false;
};

PictureQueue::PictureQueue(unsigned workers, Convert convert, bool silent, std::ostream& console)
    : workers_(workers), convert_(std::move(convert)), silent_(silent), console_(console) {}

PictureQueue::~PictureQueue() {
    Drain();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    workReady_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

bool PictureQueue::RunConvert(const PictureJob& job) const {
    try {
        return convert_(job);
    } catch (const std::exception&) {
        return false;  // out of memory for one picture fails that picture only
    }
}

void PictureQueue::StartWorkers() {
    if (started_)
        return;
    started_ = true;
    if (workers_ == 0)
        workers_ = UsableCpuCount();
    if (workers_ > 1) {
        threads_.reserve(workers_);
        for (unsigned i = 0; i < workers_; ++i)
            threads_.emplace_back(&PictureQueue::Work, this);
    }
}

void PictureQueue::Add(PictureJob job) {
    StartWorkers();
    if (threads_.empty()) {
        auto entry = std::make_shared<Entry>(std::move(job));
        Announce(*entry);
        entry->ok = RunConvert(entry->job);
        Report(*entry);
        return;
    }
    while (inFlight_.size() >= unreportedLimit())
        RetireHead();
    auto entry = std::make_shared<Entry>(std::move(job));
    std::shared_ptr<Entry>& lastWriter = lastWriters_[entry->job.outputKey];
    const std::shared_ptr<Entry> sameIcon = std::exchange(lastWriter, entry);
    inFlight_.push_back(entry);
    {
        // A finished picture holds nothing but its result, so only the
        // unfinished ones count: a slow picture at the head does not keep
        // the other workers idle.
        std::unique_lock<std::mutex> lock(mutex_);
        while (unfinished_ >= capacity() || (sameIcon && !sameIcon->done)) {
            workDone_.wait(lock);
            lock.unlock();
            ReportFinished();  // results still appear as they come
            lock.lock();
        }
        ++unfinished_;
        waiting_.push_back(entry);
    }
    workReady_.notify_one();
    ReportFinished();
}

void PictureQueue::AddAlone(PictureJob job) {
    Drain();
    Add(std::move(job));
    Drain();
}

void PictureQueue::Drain() {
    while (!inFlight_.empty())
        RetireHead();
}

void PictureQueue::Announce(Entry& entry) {
    if (entry.announced)
        return;
    entry.announced = true;
    if (!silent_) {
        console_ << entry.job.progress;
        console_.flush();
    }
}

void PictureQueue::Report(const Entry& entry) {
    if (!silent_)
        PrintLine(console_, entry.ok ? "[OK]" : "[ERROR]");
}

void PictureQueue::RetireHead() {
    const std::shared_ptr<Entry> head = inFlight_.front();
    Announce(*head);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        workDone_.wait(lock, [&] { return head->done; });
    }
    PopHead();
    if (!inFlight_.empty())
        Announce(*inFlight_.front());
}

void PictureQueue::PopHead() {
    const std::shared_ptr<Entry> head = inFlight_.front();
    Report(*head);
    inFlight_.pop_front();
    const auto writer = lastWriters_.find(head->job.outputKey);
    if (writer != lastWriters_.end() && writer->second == head)
        lastWriters_.erase(writer);
}

void PictureQueue::ReportFinished() {
    while (!inFlight_.empty()) {
        Announce(*inFlight_.front());
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!inFlight_.front()->done)
                return;
        }
        PopHead();
    }
}

void PictureQueue::Work() {
    for (;;) {
        std::shared_ptr<Entry> entry;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            workReady_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
            if (waiting_.empty())
                return;
            entry = std::move(waiting_.front());
            waiting_.pop_front();
        }
        const bool ok = RunConvert(entry->job);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            entry->ok = ok;
            entry->done = true;
            --unfinished_;
        }
        workDone_.notify_all();
    }
}

} // namespace png2ico
