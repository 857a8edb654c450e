#include "platform/ManualRunLoop.h"
#include "platform/SystemLog.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    EXPECT_FALSE(again.integer("displayBrightness.DELL"));
    EXPECT_EQ(again.integer("volume_2"), 40);
    EXPECT_EQ(again.boolValue("automaticBrightnessSync"), false);
    EXPECT_FALSE(again.boolValue("appLanguage")) << "a string is no Bool";
    EXPECT_EQ(again.number("volume_2"), 40.0);

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
