// The effective system version: the version order, the speech-service
// judgement behind the desktop's version, and the probe that corrects a
// reported 6.2 or a newer system to 6.3. Every expected value is written out.

#include "app/MyForm.h"
#include "platform/SystemVersion.h"
#include "settings/SettingsController.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A system that reports one version and passes the version test for a fixed
// list of versions only.
class FixedVersion : public SystemVersion
{
public:
    FixedVersion(OsVersionInfo reported, QList<QPair<int, int>> passes) : reported_(reported), passes_(std::move(passes)) {}
    OsVersionInfo Reported() const override { return reported_; }
    bool VerifyVersionInfo(const OsVersionInfo& atLeast) const override
    {
        return passes_.contains(QPair<int, int>(atLeast.major, atLeast.minor));
    }

private:
    OsVersionInfo reported_;
    QList<QPair<int, int>> passes_;
};

using Passes = QList<QPair<int, int>>;

} // namespace

class TestSystemVersion : public QObject
{
    Q_OBJECT

private slots:
    void versionAtLeast_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("servicePack");
        QTest::addColumn<bool>("atLeast63");   // against 6.3 service pack 1
        QTest::newRow("same") << 6 << 3 << 1 << true;
        QTest::newRow("older service pack") << 6 << 3 << 0 << false;
        QTest::newRow("newer minor, no service pack") << 6 << 4 << 0 << true;
        QTest::newRow("older minor, newer service pack") << 6 << 2 << 9 << false;
        QTest::newRow("newer major, older minor") << 10 << 0 << 0 << true;
        QTest::newRow("older major, newer minor") << 5 << 9 << 9 << false;
    }

    void versionAtLeast()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, servicePack);
        QFETCH(bool, atLeast63);
        const OsVersionInfo version{std::uint16_t(major), std::uint16_t(minor), std::uint16_t(servicePack)};
        QCOMPARE(VersionAtLeast(version, {6, 3, 1}), atLeast63);
    }

    void speechServiceJudgement_data()
    {
        QTest::addColumn<QStringList>("engines");
        QTest::addColumn<bool>("socket");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("usable");
        const QStringList both{u"flite"_s, u"speechd"_s};
        QTest::newRow("running") << both << true << false << true;
        QTest::newRow("installed, not running") << both << false << true << true;
        QTest::newRow("neither running nor installed") << both << false << false << false;
        QTest::newRow("no speechd engine, service running") << QStringList{u"flite"_s} << true << true << false;
        QTest::newRow("no engines at all") << QStringList() << false << true << false;
    }

    void speechServiceJudgement()
    {
        QFETCH(QStringList, engines);
        QFETCH(bool, socket);
        QFETCH(bool, installed);
        QFETCH(bool, usable);
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        if (socket) {
            QVERIFY(QDir(runtime.path()).mkdir(u"speech-dispatcher"_s));
            QFile f(runtime.filePath(u"speech-dispatcher/speechd.sock"_s));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(LinuxSystemVersion::SpeechServiceUsable(engines, runtime.path(), installed), usable);
    }

    void desktopVersion_data()
    {
        QTest::addColumn<bool>("usable");
        QTest::addColumn<int>("reportedMinor");
        QTest::addColumn<bool>("passes63");
        QTest::addColumn<int>("probedMinor");
        // Like an older program on a newer system: 6.2 reported, 6.3 tested.
        QTest::newRow("speech service") << true << 2 << true << 3;
        QTest::newRow("no speech service") << false << 1 << false << 1;
    }

    void desktopVersion()
    {
        QFETCH(bool, usable);
        QFETCH(int, reportedMinor);
        QFETCH(bool, passes63);
        QFETCH(int, probedMinor);
        const LinuxSystemVersion version(usable);
        QCOMPARE(version.Reported().major, std::uint16_t(6));
        QCOMPARE(version.Reported().minor, std::uint16_t(reportedMinor));
        QCOMPARE(version.VerifyVersionInfo({6, 3, 0}), passes63);
        QVERIFY(version.VerifyVersionInfo({6, 1, 0}));
        QVERIFY(!version.VerifyVersionInfo({10, 0, 0}));

        ScriptedPrompter prompter;
        MyForm form(prompter);
        form.settings().setSystemVersion(std::make_shared<LinuxSystemVersion>(usable));
        form.settings().SystemVersionProbe();
        QCOMPARE(form.state().OsMajor, std::int16_t(6));
        QCOMPARE(form.state().OsMinor, std::int16_t(probedMinor));
    }

    // The test machine has the service (the set-up installs it).
    void thisDesktopHasTheSpeechService()
    {
        const bool usable = LinuxSystemVersion::SpeechServiceUsable();
        if (!usable && qEnvironmentVariable("CI") != u"true"_s)
            QSKIP("speech-dispatcher or Qt's speechd engine is not installed here");
        QVERIFY(usable);
        QCOMPARE(LinuxSystemVersion().Reported().minor, std::uint16_t(2));
    }

    void versionProbe_data()
    {
        QTest::addColumn<int>("reportedMajor");
        QTest::addColumn<int>("reportedMinor");
        QTest::addColumn<Passes>("passes");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::newRow("6.2 on 6.3") << 6 << 2 << Passes{{6, 3}} << 6 << 3;
        QTest::newRow("6.2 on 6.2") << 6 << 2 << Passes{} << 6 << 2;
        // A reported 6.2 asks only for 6.3, never for 10.0.
        QTest::newRow("6.2 passing only 10.0") << 6 << 2 << Passes{{10, 0}} << 6 << 2;
        QTest::newRow("6.1") << 6 << 1 << Passes{{6, 3}} << 6 << 1;
        QTest::newRow("10.0 counts as 6.3") << 6 << 1 << Passes{{10, 0}} << 6 << 3;
        QTest::newRow("5.1") << 5 << 1 << Passes{} << 5 << 1;
        QTest::newRow("reported 10.0") << 10 << 0 << Passes{{10, 0}} << 6 << 3;
    }

    void versionProbe()
    {
        QFETCH(int, reportedMajor);
        QFETCH(int, reportedMinor);
        QFETCH(Passes, passes);
        QFETCH(int, major);
        QFETCH(int, minor);
        ScriptedPrompter prompter;
        MyForm form(prompter);
        SettingsController& settings = form.settings();
        settings.setSystemVersion(std::make_shared<FixedVersion>(
            OsVersionInfo{std::uint16_t(reportedMajor), std::uint16_t(reportedMinor), 0}, passes));
        settings.SystemVersionProbe();
        QCOMPARE(form.state().OsMajor, std::int16_t(major));
        QCOMPARE(form.state().OsMinor, std::int16_t(minor));
    }
};

QTEST_MAIN(TestSystemVersion)
#include "tst_systemversion.moc"
