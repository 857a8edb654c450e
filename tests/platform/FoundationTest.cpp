#include "platform/Clock.h"
#include "platform/ManualRunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/SystemLog.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

TEST(UserDefaults, KeepsTypesAcrossReloadAndMovesACorruptFileAside) {
    QTemporaryDir dir;
    auto path = (dir.path() + "/defaults.json").toStdString();
    {
        platform::UserDefaults d(path);
        d.set("displayBrightness.DELL", 1.0); // a whole-number Float must stay a Float
        d.set("volume_2", int64_t(40));
        d.set("automaticBrightnessSync", false);
        d.set("appLanguage", "en");
    }
    platform::UserDefaults again(path);
    EXPECT_EQ(again.doubleValue("displayBrightness.DELL"), 1.0);
    EXPECT_TRUE(std::holds_alternative<double>(*again.object("displayBrightness.DELL")))
        << "a whole-number Float stays a Float";
    EXPECT_EQ(again.integer("volume_2"), 40);
    EXPECT_EQ(again.boolValue("automaticBrightnessSync"), false);
    EXPECT_EQ(again.number("volume_2"), 40.0);
    // Neighbouring types read as macOS reads them.
    again.set("launchAtLogin", int64_t(1));
    again.set("hotkeyCode.DELL", 40.0);
    again.set("zenSoundEnabled", std::string("YES"));
    again.set("pomodoroAutoStart", int64_t(0));
    EXPECT_EQ(again.boolValue("launchAtLogin"), true);
    EXPECT_EQ(again.boolValue("pomodoroAutoStart"), false);
    EXPECT_EQ(again.boolValue("zenSoundEnabled"), true);
    EXPECT_EQ(again.boolValue("appLanguage"), false) << "\"en\" is no true";
    EXPECT_EQ(again.integer("hotkeyCode.DELL"), 40);
    EXPECT_EQ(again.integer("displayBrightness.DELL"), 1);
    EXPECT_EQ(again.doubleValue("volume_2"), 40.0);
    EXPECT_FALSE(again.boolValue("missing")) << "absent stays absent";

    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{ not json");
    f.close();
    platform::SystemLog log;
    platform::UserDefaults broken(path, &log);
    EXPECT_TRUE(broken.all().empty());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("moved to"), std::string::npos);
    auto aside = QDir(dir.path()).entryList({"defaults.json.corrupt-*"});
    ASSERT_EQ(aside.size(), 1);
}

TEST(UserDefaults, KeepsWhatItCannotReadAndNeverLosesAWriteSilently) {
    QTemporaryDir dir;
    auto path = (dir.path() + "/defaults.json").toStdString();
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"appLanguage": 5, "volume_2": {"type": "integer", "value": "40"}})");
    f.close();

    platform::SystemLog log;
    {
        platform::UserDefaults d(path, &log);
        EXPECT_FALSE(d.string("appLanguage"));
        EXPECT_EQ(d.integer("volume_2"), 40);
        d.set("appTheme", "dark");
        d.set("displayBrightness.DELL", std::nan(""));
        d.set("displayBrightness.LG", INFINITY);
        EXPECT_FALSE(d.number("displayBrightness.DELL")) << "non-finite values are refused";
        EXPECT_TRUE(log.contains("UserDefaults: refused a value that is not finite for "
                                 "displayBrightness.LG"));
    }
    platform::UserDefaults again(path, &log);
    EXPECT_EQ(again.string("appTheme"), "dark");
    EXPECT_EQ(again.undecodable().at("appLanguage"), "5") << "kept on disk through the write";
    again.set("appLanguage", "en");
    EXPECT_TRUE(again.undecodable().empty()) << "a new value replaces what could not be read";

    // Two corrupt files within the same second each get their own copy.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(i == 0 ? "{ first" : "{ second");
        f.close();
        platform::UserDefaults broken(path, &log);
    }
    auto aside = QDir(dir.path()).entryList({"defaults.json.corrupt-*"});
    ASSERT_EQ(aside.size(), 2);
    QStringList contents;
    for (const auto& name : aside) {
        QFile copy(dir.path() + "/" + name);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        contents << copy.readAll();
    }
    contents.sort();
    EXPECT_EQ(contents, (QStringList{"{ first", "{ second"}));

    // A path that cannot be written says so in the log, every time it fails.
    QDir(dir.path()).mkpath("folder.json");
    platform::UserDefaults blocked((dir.path() + "/folder.json").toStdString(), &log);
    log.clear();
    blocked.set("appTheme", "light");
    EXPECT_FALSE(blocked.synchronize());
    ASSERT_FALSE(log.lines().empty());
    EXPECT_NE(log.lines()[0].find("UserDefaults: cannot write"), std::string::npos);
}

TEST(UserDefaults, ChangesGoToDiskAtMostOnceASecond) {
    QTemporaryDir dir;
    auto path = (dir.path() + "/defaults.json").toStdString();
    platform::ManualRunLoop loop;
    {
        platform::UserDefaults d(path, nullptr, &loop);
        // Two seconds of a drag, sixty values a second: each new value seen on disk is a write.
        int writes = 0;
        std::optional<double> onDisk;
        for (int i = 1; i <= 120; ++i) {
            d.set("displayBrightness.DELL", i / 120.0);
            loop.advance(1.0 / 60);
            auto now = platform::UserDefaults(path).number("displayBrightness.DELL");
            if (now != onDisk) ++writes;
            onDisk = now;
        }
        loop.advance(1.0);
        EXPECT_EQ(platform::UserDefaults(path).number("displayBrightness.DELL"), 1.0)
            << "the last value is on disk a second later";
        EXPECT_LE(writes, 3);
        d.set("c", true);
        d.synchronize(); // a caller that needs it on disk now
        EXPECT_EQ(platform::UserDefaults(path).boolValue("c"), true);
        d.set("d", 4);
    }
    EXPECT_EQ(platform::UserDefaults(path).integer("d"), 4) << "and when the store goes";
}

TEST(ManualRunLoop, RunsTasksInDueOrderAndTimersUntilInvalidated) {
    platform::ManualRunLoop loop;
    std::vector<std::string> ran;
    loop.asyncAfter(0.35, [&] { ran.push_back("reload"); });
    loop.asyncAfter(0.15, [&] { ran.push_back("second send"); });
    loop.async([&] {
        ran.push_back("now");
        loop.async([&] { ran.push_back("queued by now"); });
    });
    int ticks = 0;
    auto timer = loop.scheduleRepeating(1.0, [&](platform::Timer& t) {
        if (++ticks == 3) t.invalidate();
    });
    loop.advance(0.2);
    EXPECT_EQ(ran, (std::vector<std::string>{"now", "queued by now", "second send"}));
    EXPECT_DOUBLE_EQ(loop.now(), 0.2);
    loop.advance(10);
    EXPECT_EQ(ran.back(), "reload");
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer->isValid());
}

namespace {

// A system preferences domain: what was saved, and whether the next save fails.
class FakeDomain : public platform::DefaultsDomain {
  public:
    std::map<std::string, Stored>* saved;
    bool* failing;
    FakeDomain(std::map<std::string, Stored>* saved, bool* failing)
        : saved(saved), failing(failing) {}
    std::map<std::string, Stored> load() override { return *saved; }
    bool save(const std::map<std::string, Stored>& values, std::string& error) override {
        if (*failing) {
            error = "the domain is locked";
            return false;
        }
        *saved = values;
        return true;
    }
};

} // namespace

TEST(UserDefaults, ASystemDomainGetsTheWholeStoreOnceASecondAndAFailedSaveIsRetried) {
    std::map<std::string, platform::DefaultsDomain::Stored> saved{{"language", std::string("ko")},
                                                                  {"old", int64_t(1)}};
    bool failing = false;
    platform::ManualRunLoop loop;
    platform::SystemLog log;
    platform::UserDefaults d(std::make_unique<FakeDomain>(&saved, &failing), &log, &loop);
    EXPECT_EQ(d.string("language"), "ko") << "read from the domain at start";

    d.set("displayBrightness.DELL", 0.5);
    d.remove("old");
    EXPECT_EQ(saved.count("displayBrightness.DELL"), 0u) << "not before the second is over";
    loop.advance(1.0);
    EXPECT_EQ(std::get<double>(saved.at("displayBrightness.DELL")), 0.5);
    EXPECT_EQ(saved.count("old"), 0u) << "a removed key leaves the domain";

    failing = true;
    d.set("language", "en");
    loop.advance(1.0);
    EXPECT_TRUE(log.contains("UserDefaults: cannot write the preferences: the domain is locked"));
    failing = false;
    EXPECT_TRUE(d.synchronize()) << "the change was kept for the next try";
    EXPECT_EQ(std::get<std::string>(saved.at("language")), "en");
}

TEST(VirtualClock, AMachineGoingAwayEndsTheSleepsOfItsRealTimeDevices) {
    // The interactive machine sleeps for real (a slow profiler, a monitor that never answers);
    // quitting must not wait those sleeps out.
    platform::VirtualClock clock;
    clock.setRealTime(true);
    auto sleeper = std::async(std::launch::async, [&] { clock.sleepMicroseconds(120000000u); });
    auto later = std::async(std::launch::async, [&] {
        sleeper.wait();
        clock.sleepMicroseconds(120000000u);
    });
    clock.ungate();
    EXPECT_EQ(sleeper.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "a two-minute sleep ends with the machine";
    EXPECT_EQ(later.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "and a sleep begun afterwards returns at once";
}

TEST(VirtualClock, DeviceQueuesTakeTurnsWithTheMainThreadTheSameWayEveryRun) {
    // However busy the host, work on the device queues runs only while the main thread waits,
    // one at a time, in the order it became ready and then of the moments its sleeps end.
    for (int run = 0; run < 20; ++run) {
        platform::VirtualClock clock;
        clock.setGated(true);
        std::vector<std::string> order;
        std::mutex orderMutex;
        auto note = [&](const char* what) {
            std::lock_guard lock(orderMutex);
            order.push_back(what);
        };
        {
            platform::SerialQueue ddc("ddc");
            platform::ConcurrentQueue global(2);
            ddc.setGate(&clock);
            global.setGate(&clock);
            ddc.async([&] {
                note("write begins");
                clock.sleepMicroseconds(10000);
                note("write acknowledged");
            });
            global.async([&] {
                note("read asked");
                ddc.sync([&] { note("read answered"); });
            });
            global.async([&] {
                note("second read asked");
                clock.sleepMicroseconds(1000);
                note("second read done");
            });
            // The main thread going on with its events: no worker runs meanwhile.
            std::this_thread::sleep_for(std::chrono::milliseconds(run == 0 ? 50 : 1));
            {
                std::lock_guard lock(orderMutex);
                ASSERT_TRUE(order.empty()) << "a worker ran while the main thread was busy";
            }
            clock.waitOnMain([&] { return ddc.isIdle() && global.isIdle(); });
        }
        const std::vector<std::string> expected = {"write begins",       "read asked",
                                                   "write acknowledged", "read answered",
                                                   "second read asked",  "second read done"};
        ASSERT_EQ(order, expected) << "run " << run;
        EXPECT_EQ(clock.nowMicroseconds(), 11000u) << "run " << run;
    }
}
