// The scheduler behind every -j of velunda-cli: order, stops and
// failures, with jobs that take uneven times so that the workers answer out
// of order.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/scheduler.h"

namespace {

// Job "N" sleeps N milliseconds and answers "<N>"; "die" ends its worker.
jobResult answer(const std::string& input) {
    if (input == "die") _exit(3);
    usleep(static_cast<useconds_t>(std::stoi(input)) * 1000);
    jobResult result;
    result.out = "<" + input + ">";
    result.status = input == "7" ? 1 : 0;
    return result;
}

struct collected {
    std::string text;
    long expected = 0;  // the next index deliver should see
    bool inOrder = true;
};

resultFunction collector(collected* into, long stopAfter = -1) {
    return [into, stopAfter](long index, const jobResult& result) {
        if (index != into->expected++) into->inOrder = false;
        into->text += result.out + result.err;
        return stopAfter < 0 || index + 1 < stopAfter;
    };
}

bool noChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(WorkerStream, ResultsComeInInputOrderForAnyNumberOfWorkers) {
    std::string want;
    for (int workers : {1, 2, 5}) {
        collected got;
        jobStream stream(workers, answer, collector(&got));
        for (int i = 0; i < 300; i++) {
            // Mostly instant jobs, a slow one now and then, and messages made
            // here between them.
            const std::string input = std::to_string(i % 37 == 0 ? 20 : i % 3);
            ASSERT_TRUE(stream.queueJob(input));
            if (i % 50 == 0) {
                jobResult message;
                message.err = "[message " + std::to_string(i) + "]";
                ASSERT_TRUE(stream.queueResult(message));
            }
        }
        EXPECT_EQ(stream.finish(), 1) << workers;
        EXPECT_TRUE(got.inOrder) << workers;
        EXPECT_EQ(got.expected, 306) << workers;
        if (want.empty()) want = got.text;
        EXPECT_EQ(got.text, want) << workers;
        EXPECT_TRUE(noChildLeft()) << workers;
    }
    EXPECT_EQ(want.substr(0, 27), "<20>[message 0]<1><2><0><1>");
}

TEST(WorkerStream, ManyMessagesBehindASlowJobDoNotHangIt) {
    // More results made here than may wait, all behind one job that is
    // still in the batch no worker has been given yet.
    collected got;
    jobStream stream(2, answer, collector(&got));
    ASSERT_TRUE(stream.queueJob("30"));
    jobResult message;
    message.err = ".";
    for (int i = 0; i < 140000; i++) ASSERT_TRUE(stream.queueResult(message));
    EXPECT_EQ(stream.finish(), 1);
    EXPECT_TRUE(got.inOrder);
    EXPECT_EQ(got.text.substr(0, 6), "<30>..");
    EXPECT_EQ(got.expected, 140001);
}

TEST(WorkerStream, DeliverStopsTheRunAndTheWorkersEnd) {
    collected got;
    jobStream stream(2, answer, collector(&got, 100));
    bool accepted = true;
    for (int i = 0; i < 5000 && accepted; i++) accepted = stream.queueJob("0");
    EXPECT_FALSE(accepted);
    EXPECT_EQ(stream.finish(), 0);
    EXPECT_EQ(got.expected, 100);
    EXPECT_TRUE(noChildLeft());
}

TEST(WorkerStream, AWorkerThatDiesFailsTheRun) {
    collected got;
    jobStream stream(2, answer, collector(&got));
    testing::internal::CaptureStderr();
    for (int i = 0; i < 500; i++) stream.queueJob(i == 250 ? "die" : "0");
    EXPECT_EQ(stream.finish(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velunda-cli: a worker process ended before its work was done\n");
    EXPECT_LT(got.expected, 500);
    EXPECT_TRUE(noChildLeft());
}

}  // namespace
