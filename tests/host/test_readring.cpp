// The reader's ring on real threads: data cross it whole and in order, to
// each of several consumers, the producer stays within the ring's size of the
// slowest, the end and its error arrive after the last buffer, and a stop
// from any side or from a third thread releases whoever waits. Also run
// under ThreadSanitizer (the host-tsan preset).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "components/digestsink.h"
#include "components/readring.h"

namespace {

std::string Pattern(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 31 + (i >> 11));
    return s;
}

// Produces `data` into the ring in pieces of at most `piece` bytes, taking
// the CRC on the producing side as the file reader does, then finishes with
// `error`.
std::thread Produce(StdReadRing& ring, const std::string& data, std::size_t piece, int error, CrcSink& crc) {
    return std::thread([&ring, &data, piece, error, &crc] {
        std::size_t done = 0;
        while (done < data.size()) {
            StdReadRing::Slot* slot = ring.BeginFill();
            if (!slot) return;
            const std::size_t n = std::min({piece, ring.Capacity(), data.size() - done});
            std::memcpy(slot->data, data.data() + done, n);
            slot->size = n;
            crc.Update(slot->data, n);
            ring.EndFill();
            done += n;
        }
        ring.Finish(error);
    });
}

struct RingCase {
    std::size_t slots, capacity, piece, size;
};

class ReadRingData : public testing::TestWithParam<RingCase> {};

TEST_P(ReadRingData, CrossesWholeAndInOrderWithTheChecksumBeside) {
    const RingCase c = GetParam();
    const std::string data = Pattern(c.size);
    StdReadRing ring(c.slots, c.capacity);
    CrcSink crc(TdcFileCRCMethod::crc32);
    Md5Sink md5;
    std::thread producer = Produce(ring, data, c.piece, 0, crc);
    std::string got;
    for (;;) {
        const StdReadRing::Slot* slot = nullptr;
        const auto taken = ring.BeginTake(5, slot);
        if (taken == StdReadRing::Taken::Timeout) continue;
        if (taken != StdReadRing::Taken::Ready) {
            EXPECT_EQ(StdReadRing::Taken::End, taken);
            break;
        }
        got.append(reinterpret_cast<const char*>(slot->data), slot->size);
        md5.Update(slot->data, slot->size);
        ring.EndTake();
    }
    producer.join();
    EXPECT_EQ(0, ring.Error());
    EXPECT_TRUE(got == data);
    EXPECT_EQ(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()), crc.Value());
    EXPECT_EQ(MD5Hex(data.data(), data.size()), md5.Hex());
}

INSTANTIATE_TEST_SUITE_P(Shapes, ReadRingData,
                         testing::Values(RingCase{3, 4096, 4096, 0}, RingCase{3, 4096, 4096, 1},
                                         RingCase{3, 4096, 4096, 4096 * 10}, RingCase{4, 4096, 1000, 123457},
                                         RingCase{1, 64, 64, 6400}, RingCase{4, 1 << 20, 1 << 20, (5 << 20) + 3}));

TEST(ReadRing, TheErrorArrivesAfterTheLastBuffer) {
    StdReadRing ring(3, 16);
    CrcSink crc(TdcFileCRCMethod::crc32);
    const std::string data = Pattern(40);
    std::thread producer = Produce(ring, data, 16, 38, crc);
    std::size_t bytes = 0;
    StdReadRing::Taken taken;
    const StdReadRing::Slot* slot = nullptr;
    while ((taken = ring.BeginTake(kForever, slot)) == StdReadRing::Taken::Ready) {
        bytes += slot->size;
        ring.EndTake();
    }
    producer.join();
    EXPECT_EQ(StdReadRing::Taken::End, taken);
    EXPECT_EQ(data.size(), bytes);
    EXPECT_EQ(38, ring.Error());
}

TEST(ReadRing, NothingPublishedTimesOut) {
    StdReadRing ring(3, 16);
    const StdReadRing::Slot* slot = nullptr;
    EXPECT_EQ(StdReadRing::Taken::Timeout, ring.BeginTake(1, slot));
}

TEST(ReadRing, AStopReleasesAProducerWaitingOnAFullRing) {
    StdReadRing ring(3, 16);
    CrcSink crc(TdcFileCRCMethod::crc32);
    const std::string data = Pattern(16 * 100);
    std::thread producer = Produce(ring, data, 16, 0, crc);
    const StdReadRing::Slot* slot = nullptr;
    ASSERT_EQ(StdReadRing::Taken::Ready, ring.BeginTake(kForever, slot));
    ring.EndTake();
    ring.Stop();
    producer.join();  // returns only because the producer saw the stop
    EXPECT_EQ(StdReadRing::Taken::Stopped, ring.BeginTake(0, slot)) << "also with buffers still published";
    EXPECT_EQ(nullptr, ring.BeginFill());
}

TEST(ReadRing, AStopFromAThirdThreadReleasesAWaitingConsumer) {
    StdReadRing ring(3, 16);
    CancelToken token;
    std::thread stopper([&] {
        token.Stop();
        ring.Stop();
    });
    const StdReadRing::Slot* slot = nullptr;
    EXPECT_EQ(StdReadRing::Taken::Stopped, ring.BeginTake(kForever, slot));
    stopper.join();
    EXPECT_TRUE(token.Stopped());
}

// Takes every buffer as consumer `c` into `got` until the end or a stop;
// the answer that ended it.
StdReadRing::Taken Consume(StdReadRing& ring, std::size_t c, std::string& got) {
    for (;;) {
        const StdReadRing::Slot* slot = nullptr;
        const StdReadRing::Taken taken = ring.BeginTake(kForever, slot, c);
        if (taken == StdReadRing::Taken::Timeout) continue;  // woken early
        if (taken != StdReadRing::Taken::Ready) return taken;
        got.append(reinterpret_cast<const char*>(slot->data), slot->size);
        ring.EndTake(c);
    }
}

TEST(ReadRingConsumers, EachOfSeveralGetsTheWholeDataInOrder) {
    for (const RingCase& c :
         {RingCase{1, 64, 64, 6400}, RingCase{4, 4096, 1000, 123457}, RingCase{3, 16, 16, 0}}) {
        SCOPED_TRACE(c.size);
        const std::string data = Pattern(c.size);
        StdReadRing ring(c.slots, c.capacity, 3);
        CrcSink crc(TdcFileCRCMethod::crc32);
        std::string got[3];
        StdReadRing::Taken ends[3];
        std::vector<std::thread> consumers;
        for (std::size_t i = 1; i < 3; ++i)
            consumers.emplace_back([&, i] { ends[i] = Consume(ring, i, got[i]); });
        std::thread producer = Produce(ring, data, c.piece, 0, crc);
        ends[0] = Consume(ring, 0, got[0]);
        producer.join();
        for (std::thread& t : consumers) t.join();
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(StdReadRing::Taken::End, ends[i]) << i;
            EXPECT_TRUE(got[i] == data) << i;
        }
    }
}

// The producer waits for the slowest consumer: with one consumer taking
// nothing, it fills the ring once and no more, however fast the other takes;
// once that one is retired, the rest flows.
TEST(ReadRingConsumers, TheProducerStaysWithinTheRingOfTheSlowestUntilItRetires) {
    const std::size_t slots = 3;
    StdReadRing ring(slots, 16, 2);
    std::atomic<std::size_t> filled{0};
    const std::string data = Pattern(16 * 50);
    std::thread producer([&] {
        for (std::size_t done = 0; done < data.size(); done += 16) {
            StdReadRing::Slot* slot = ring.BeginFill();
            if (!slot) return;
            std::memcpy(slot->data, data.data() + done, 16);
            slot->size = 16;
            ring.EndFill();
            ++filled;
        }
        ring.Finish(0);
    });
    // Consumer 0 takes all it can while consumer 1 takes nothing.
    std::string got;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < until) {
        const StdReadRing::Slot* slot = nullptr;
        if (ring.BeginTake(5, slot) != StdReadRing::Taken::Ready) continue;
        got.append(reinterpret_cast<const char*>(slot->data), slot->size);
        ring.EndTake();
    }
    EXPECT_EQ(slots, filled.load());
    EXPECT_EQ(16 * slots, got.size());
    ring.Retire(1);
    EXPECT_EQ(StdReadRing::Taken::End, Consume(ring, 0, got));
    producer.join();
    EXPECT_TRUE(got == data);
}

TEST(ReadRingConsumers, AStopReleasesEveryWaitingConsumer) {
    StdReadRing ring(3, 16, 4);
    std::string got[4];
    StdReadRing::Taken ends[4];
    std::vector<std::thread> consumers;
    for (std::size_t i = 0; i < 4; ++i)
        consumers.emplace_back([&, i] { ends[i] = Consume(ring, i, got[i]); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ring.Stop();
    for (std::thread& t : consumers) t.join();  // returns only because each saw the stop
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(StdReadRing::Taken::Stopped, ends[i]) << i;
}

}  // namespace
