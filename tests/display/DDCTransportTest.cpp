#include "display/Arm64DDC.h"
#include "display/DisplayEngine.h"
#include "platform/Clock.h"
#include "support/VirtualMacTest.h"

using Bytes = std::vector<uint8_t>;

class DDCTransportTest : public VirtualMacTest {
  protected:
    platform::AVServiceRef serviceOf(DisplayID id) {
        auto& engine = DisplayEngine::shared();
        engine.refreshDisplays();
        for (const auto& d : engine.displays)
            if (d.id == id) return d.ddcService;
        return nullptr;
    }
};

TEST_F(DDCTransportTest, WriteAndReadFramesReachTheMonitorByteForByte) {
    auto service = serviceOf(2);
    ASSERT_TRUE(service);
    auto& m = monitor(2);
    m.resetCounters();

    EXPECT_TRUE(Arm64DDC::write(service, 0x10, 50));
    // Written twice (two write cycles), and succeeding on the first attempt.
    ASSERT_EQ(m.writes().size(), 2u);
    EXPECT_EQ(m.writes()[0],
              (Bytes{0x84, 0x03, 0x10, 0x00, 0x32, uint8_t(0x3F ^ 0x84 ^ 0x03 ^ 0x10 ^ 0x32)}));
    EXPECT_EQ(m.vcp(0x10)->current, 50);

    m.resetCounters();
    m.setVcp(0x10, {640, 1000});
    auto reply = Arm64DDC::read(service, 0x10);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->current, 640);
    EXPECT_EQ(reply->max, 1000);
    EXPECT_EQ(m.writes()[0], (Bytes{0x82, 0x01, 0x10, uint8_t(0x6E ^ 0x82 ^ 0x01 ^ 0x10)}));
    EXPECT_EQ(m.readCount(), 1);

    // A value above 255 travels as two bytes.
    m.resetCounters();
    EXPECT_TRUE(Arm64DDC::write(service, 0x62, 0x1234));
    EXPECT_EQ(m.valuesWritten(0x62), (std::vector<uint16_t>{0x1234, 0x1234}));

    EXPECT_EQ(Arm64DDC::checksum(0x6E, {0x82}, 0, 0), 0x6E ^ 0x82);
    EXPECT_FALSE(Arm64DDC::write(nullptr, 0x10, 1));
    EXPECT_FALSE(Arm64DDC::read(nullptr, 0x10));
}

TEST_F(DDCTransportTest, DeadLinksAndBadChecksumsAreRetriedAsOften_AsAllowed) {
    auto service = serviceOf(2);
    auto& m = monitor(2);
    m.resetCounters();
    m.setAnswers(false);
    auto before = mac().clock().sleptMicroseconds();
    EXPECT_FALSE(Arm64DDC::write(service, 0x10, 10));
    EXPECT_EQ(m.writeCount(), 10) << "5 attempts of 2 write cycles";
    // 5 × (2 × 10 ms + 20 ms) of sleeps, plus the bus time of each write.
    EXPECT_EQ(mac().clock().sleptMicroseconds() - before, 200000u + 10u * m.writeMicros());

    m.resetCounters();
    Arm64DDC::DDCSettings threeAttempts;
    threeAttempts.numOfRetryAttemps = 2;
    EXPECT_FALSE(Arm64DDC::read(service, 0x10, threeAttempts));
    EXPECT_EQ(m.readCount(), 3);

    m.setAnswers(true);
    m.resetCounters();
    m.setBadChecksums(2);
    auto reply = Arm64DDC::read(service, 0x10);
    ASSERT_TRUE(reply) << "the third reply is sound";
    EXPECT_EQ(m.readCount(), 3);

    m.resetCounters();
    m.setBadChecksums(10);
    EXPECT_FALSE(Arm64DDC::read(service, 0x10, threeAttempts));
    EXPECT_EQ(m.readCount(), 3);
}

TEST_F(DDCTransportTest, ARepliesThatCarryNoValueOfTheCodeAskedAreFailedReads) {
    auto service = serviceOf(2);
    auto& m = monitor(2);
    // Another kind of reply, "unsupported", a reply about another code: each is retried.
    m.resetCounters();
    m.setStrayReplies(3);
    auto reply = Arm64DDC::read(service, 0x10);
    ASSERT_TRUE(reply) << "the fourth reply is the value";
    EXPECT_EQ(reply->current, 50);
    EXPECT_EQ(m.readCount(), 4);

    Arm64DDC::DDCSettings threeAttempts;
    threeAttempts.numOfRetryAttemps = 2;
    m.setStrayReplies(3);
    EXPECT_FALSE(Arm64DDC::read(service, 0x10, threeAttempts));
    // A code the monitor does not support is no value of 0.
    EXPECT_FALSE(Arm64DDC::read(service, 0x99, threeAttempts));
}
