// Pictures on worker threads, reported in order: what is printed when, how
// many pictures are in flight, and which conversions must wait for others.
// Each conversion here waits for named events instead of taking time, so the
// orders asserted hold on any machine.
#include "png2ico/PictureQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <new>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>

using png2ico::PictureJob;
using png2ico::PictureQueue;

namespace {

// Everything that happened, in order: conversions starting and ending, and
// each flushed piece of console output.
class EventLog {
public:
    void Add(const std::string& event) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
        }
        changed_.notify_all();
    }
    void WaitFor(const std::vector<std::string>& wanted) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return Happened(wanted); });
    }
    // False when `limit` passed first.
    bool WaitFor(const std::vector<std::string>& wanted, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return Happened(wanted); });
    }
    // Events starting with `prefix`.
    size_t Count(const std::string& prefix) {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<size_t>(std::count_if(events_.begin(), events_.end(),
                                                 [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
    }
    // Position of an event; fails the test when it never happened.
    size_t At(const std::string& event) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = std::find(events_.begin(), events_.end(), event);
        EXPECT_NE(it, events_.end()) << event;
        return static_cast<size_t>(it - events_.begin());
    }

private:
    bool Happened(const std::vector<std::string>& wanted) const {
        return std::all_of(wanted.begin(), wanted.end(), [&](const std::string& w) {
            return std::find(events_.begin(), events_.end(), w) != events_.end();
        });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
};

// A console that logs each flush as one "print ..." event.
class LoggingBuffer : public std::streambuf {
public:
    explicit LoggingBuffer(EventLog& log) : log_(log) {}
    std::string text;  // all output

protected:
    int overflow(int c) override {
        if (c != traits_type::eof())
            pending_ += static_cast<char>(c);
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<size_t>(n));
        return n;
    }
    int sync() override {
        if (!pending_.empty())
            log_.Add("print " + pending_);
        text += pending_;
        pending_.clear();
        return 0;
    }

private:
    EventLog& log_;
    std::string pending_;
};

PictureJob Job(const std::string& name, const std::string& output = {}) {
    const std::string path = output.empty() ? name + ".ico" : output;
    return {name, path, name + " ..", path};
}

// A conversion that logs "start X", waits for the events listed for X, logs
// "done X" and fails for names starting with "bad".
PictureQueue::Convert Scripted(EventLog& log, std::map<std::string, std::vector<std::string>> waits) {
    return [&log, waits = std::move(waits)](const PictureJob& job) {
        log.Add("start " + job.inputPath);
        if (const auto it = waits.find(job.inputPath); it != waits.end())
            log.WaitFor(it->second);
        log.Add("done " + job.inputPath);
        return job.inputPath.rfind("bad", 0) != 0;
    };
}

} // namespace

TEST(PictureQueue, ResultsInHandOverOrderWhenDoneOutOfOrder) {
    EventLog log;
    LoggingBuffer buffer(log);
    std::ostream console(&buffer);
    {
        PictureQueue queue(2, Scripted(log, {{"first", {"done bad-second"}}}), false, console);
        queue.Add(Job("first"));
        queue.Add(Job("bad-second"));
    }
    EXPECT_EQ(buffer.text, "first ..[OK]\nbad-second ..[ERROR]\n");
    // The first name shows while it is worked on, before the second is even
    // handed over; the second shows only once the first is reported.
    EXPECT_LT(log.At("print first .."), log.At("start bad-second"));
    EXPECT_LT(log.At("done bad-second"), log.At("done first"));
    EXPECT_LT(log.At("print [OK]\n"), log.At("print bad-second .."));
}

// Two workers hold at most four unfinished pictures, but a slow one does not
// keep the others idle: p1 to p5 come and go while p0 is converted, each
// handed over only once an earlier one is done. The console keeps its order.
TEST(PictureQueue, AtMostTwoUnfinishedPicturesPerWorker) {
    EventLog log;
    LoggingBuffer buffer(log);
    std::ostream console(&buffer);
    {
        PictureQueue queue(2, Scripted(log, {{"p0", {"done p5"}}}), false, console);
        EXPECT_EQ(queue.capacity(), 4u);
        for (const char* name : {"p0", "p1", "p2", "p3", "p4", "p5", "p6"})
            queue.Add(Job(name));
    }
    EXPECT_LT(log.At("done p1"), log.At("start p4"));
    EXPECT_LT(log.At("done p2"), log.At("start p5"));
    EXPECT_LT(log.At("done p5"), log.At("done p0"));
    EXPECT_LT(log.At("print p0 .."), log.At("start p1"));
    EXPECT_EQ(buffer.text, "p0 ..[OK]\np1 ..[OK]\np2 ..[OK]\np3 ..[OK]\np4 ..[OK]\np5 ..[OK]\np6 ..[OK]\n");
}

// Two workers, four places: the fourth picture is taken while none is done,
// the fifth only once one is. Conversions wait for "added" events logged as
// Add returns; a wait that runs out logs "gave up" instead of hanging.
TEST(PictureQueue, ExactlyFullTakesTheLastAndNotOneMore) {
    for (const char* release : {"added p3", "added p4"}) {
        SCOPED_TRACE(release);
        EventLog log;
        std::ostringstream console;
        const auto limit = std::string(release) == "added p3" ? std::chrono::seconds(20) : std::chrono::seconds(1);
        {
            PictureQueue queue(2, [&](const PictureJob& job) {
                if (!log.WaitFor({release}, limit))
                    log.Add("gave up " + job.inputPath);
                log.Add("done " + job.inputPath);
                return true;
            }, true, console);
            for (const char* name : {"p0", "p1", "p2", "p3", "p4"}) {
                queue.Add(Job(name));
                log.Add(std::string("added ") + name);
            }
        }
        const size_t firstDone = std::min(log.At("done p0"), log.At("done p1"));
        if (std::string(release) == "added p3") {
            EXPECT_LT(log.At("added p3"), firstDone);
            EXPECT_EQ(log.Count("gave up"), 0u);
        } else {
            EXPECT_LT(firstDone, log.At("added p4"));   // here p0 and p1 give up waiting
        }
    }
}

// Finished results wait behind a slow picture only up to a limit; past it
// the queue waits for the slow one.
TEST(PictureQueue, UnreportedResultsAreBounded) {
    EventLog log;
    LoggingBuffer buffer(log);
    std::ostream console(&buffer);
    const size_t limit = PictureQueue(2, [](const PictureJob&) { return true; }, true, console).unreportedLimit();
    ASSERT_GE(limit, 8u);
    const std::string last = "p" + std::to_string(limit - 1);
    {
        PictureQueue queue(2, Scripted(log, {{"p0", {"done " + last}}}), true, console);
        for (size_t i = 0; i <= limit; ++i)
            queue.Add(Job("p" + std::to_string(i)));
    }
    EXPECT_LT(log.At("done " + last), log.At("done p0"));
    EXPECT_LT(log.At("done p0"), log.At("start p" + std::to_string(limit)));
}

// a.png and a.PNG both write a.ico: the later one starts only when the
// earlier is done, so that its icon is the one left, as one at a time.
TEST(PictureQueue, SameIconWaitsForTheEarlierWriter) {
    EventLog log;
    LoggingBuffer buffer(log);
    std::ostream console(&buffer);
    {
        PictureQueue queue(3, Scripted(log, {{"a.PNG", {"done other"}}}), false, console);
        queue.Add(Job("a.PNG", "out/a.ico"));
        queue.Add(Job("other"));
        queue.Add(Job("a.png", "out/a.ico"));
    }
    EXPECT_LT(log.At("done a.PNG"), log.At("start a.png"));
    EXPECT_EQ(buffer.text, "a.PNG ..[OK]\nother ..[OK]\na.png ..[OK]\n");
}

TEST(PictureQueue, AloneMeansNothingElseInFlight) {
    EventLog log;
    LoggingBuffer buffer(log);
    std::ostream console(&buffer);
    {
        PictureQueue queue(3, Scripted(log, {}), true, console);
        queue.Add(Job("before1"));
        queue.Add(Job("before2"));
        queue.AddAlone(Job("alone"));
        queue.Add(Job("after"));
    }
    EXPECT_LT(log.At("done before1"), log.At("start alone"));
    EXPECT_LT(log.At("done before2"), log.At("start alone"));
    EXPECT_LT(log.At("done alone"), log.At("start after"));
}

// A conversion that throws (out of memory) fails its picture only, and the
// console is the same with one worker and with several (0: one per usable CPU).
TEST(PictureQueue, FailuresStayWithTheirPictureForAnyNumberOfWorkers) {
    auto convert = [](const PictureJob& job) {
        if (job.inputPath == "throws")
            throw std::bad_alloc();
        return job.inputPath != "fails";
    };
    std::string first;
    for (unsigned workers : {1u, 2u, 5u, 0u}) {
        std::ostringstream console;
        {
            PictureQueue queue(workers, convert, false, console);
            for (const char* name : {"a", "throws", "b", "fails", "c", "d", "e", "f", "g"})
                queue.Add(Job(name));
        }
        if (workers == 1) {
            first = console.str();
            EXPECT_EQ(first, "a ..[OK]\nthrows ..[ERROR]\nb ..[OK]\nfails ..[ERROR]\nc ..[OK]\nd ..[OK]\n"
                             "e ..[OK]\nf ..[OK]\ng ..[OK]\n");
        }
        EXPECT_EQ(console.str(), first) << workers << " workers";
    }
}
