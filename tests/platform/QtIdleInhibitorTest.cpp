// The idle inhibition over a private session bus, against the stand-in services of the
// end-to-end tests, which log every call as it arrives.

#include "platform/QtIdleInhibitor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString Reason = QStringLiteral("Showing a self-hypnosis visual");
constexpr int Patience = 20000;

class StandIns {
public:
    explicit StandIns(const QStringList& flags) : log_(folder_.filePath(QStringLiteral("services.log")))
    {
        process_.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(FAKE_IDLE_SERVICES), log_} + flags);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !entries().isEmpty(); }, Patience)) << "the services start";
    }
    ~StandIns()
    {
        process_.terminate();
        process_.waitForFinished();
    }

    QList<QJsonObject> entries() const
    {
        QFile file(log_);
        QList<QJsonObject> read;
        if (!file.open(QIODevice::ReadOnly))
            return read;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty())
                read.append(QJsonDocument::fromJson(line).object());
        return read;
    }
    QList<QJsonObject> events(const char* kind) const
    {
        QList<QJsonObject> found;
        for (const QJsonObject& entry : entries())
            if (entry.value(QStringLiteral("event")).toString() == QLatin1String(kind))
                found.append(entry);
        return found;
    }
    int holding() const
    {
        const QList<QJsonObject> all = entries();
        return all.isEmpty() ? 0 : all.last().value(QStringLiteral("holding")).toInt();
    }

private:
    QTemporaryDir folder_;
    QString log_;
    QProcess process_;
};

struct WayCase {
    const char* name;
    QStringList flags;
    const char* via;
};

class EachWay : public ::testing::TestWithParam<WayCase> {};

TEST_P(EachWay, TheFirstServiceThatAnswersHoldsUntilReleased)
{
    StandIns services(GetParam().flags);
    platform::QtIdleInhibitor inhibitor(QStringLiteral("Somnara"));
    for (int round = 1; round <= 2; ++round) {
        inhibitor.hold(Reason);
        inhibitor.hold(Reason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return services.holding() == 1; }, Patience));
        const QJsonObject taken = services.events("inhibit").last();
        EXPECT_EQ(taken.value(QStringLiteral("via")).toString(), QLatin1String(GetParam().via));
        EXPECT_EQ(taken.value(QStringLiteral("reason")).toString(), Reason);
        inhibitor.release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return services.holding() == 0; }, Patience));
        EXPECT_EQ(services.events("inhibit").size(), round) << "a second hold while one is held asks nothing";
        EXPECT_TRUE(services.events("release").last().value(QStringLiteral("known")).toBool());
    }
}

TEST(PortalAnswer, ComingAfterTheReleaseIsLetGoAtOnce)
{
    StandIns services({QStringLiteral("--portal")});
    platform::QtIdleInhibitor inhibitor(QStringLiteral("Somnara"));
    inhibitor.hold(Reason);
    inhibitor.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.events("release").size() == 1; }, Patience));
    EXPECT_EQ(services.holding(), 0);
    EXPECT_EQ(services.events("inhibit").size(), 1);
}

TEST_P(EachWay, TheReleaseAtTheEndHasReachedTheServiceWhenItReturns)
{
    StandIns services(GetParam().flags);
    platform::QtIdleInhibitor inhibitor(QStringLiteral("Somnara"));
    inhibitor.hold(Reason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.holding() == 1; }, Patience));
    inhibitor.releaseAtEnd();
    EXPECT_EQ(services.holding(), 0);
    EXPECT_EQ(services.events("release").size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Services, EachWay,
    ::testing::Values(WayCase{"PortalBeforeScreenSaver", {QStringLiteral("--portal"), QStringLiteral("--screensaver")},
                              "portal"},
                      WayCase{"ScreenSaverAlone", {QStringLiteral("--screensaver")}, "screensaver"}),
    [](const ::testing::TestParamInfo<WayCase>& info) { return std::string(info.param.name); });

TEST(SilentServices, AreAskedInTurnAndNeverHoldUpTheCaller)
{
    StandIns services({QStringLiteral("--portal"), QStringLiteral("--screensaver"), QStringLiteral("--silent")});
    platform::QtIdleInhibitor inhibitor(QStringLiteral("Somnara"));
    QElapsedTimer took;
    took.start();
    inhibitor.hold(Reason);
    inhibitor.release();
    inhibitor.hold(Reason);
    EXPECT_LT(took.elapsed(), 500);
    // The portal is given up after a second, then the screen saver is asked.
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.events("unanswered").size() == 2; }, Patience));
    const QList<QJsonObject> asked = services.events("unanswered");
    EXPECT_EQ(asked.first().value(QStringLiteral("via")).toString(), QStringLiteral("portal"));
    EXPECT_EQ(asked.last().value(QStringLiteral("via")).toString(), QStringLiteral("screensaver"));
    // The portal's request is closed once given up: the portal may carry it out late.
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.holding() == 0; }, Patience));
    EXPECT_EQ(services.events("release").size(), 1);
    // The end waits for the screen saver's request no longer than its second, far from
    // the bus's own 25 s.
    took.restart();
    inhibitor.releaseAtEnd();
    EXPECT_LT(took.elapsed(), 2000);
}

} // namespace
