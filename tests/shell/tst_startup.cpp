#include "TestSupport.h"

#include "shell/Settings.h"
#include "shell/Shared.h"
#include "shell/Startup.h"

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QtTest>

#include <memory>

// Every start-up path, each in a private environment: the configuration file, the
// settings, the autostart entry and the instance lock live in temporary folders.
class TestStartup : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<TempDatabase> database;
    std::unique_ptr<MsgBoxRecorder> boxes;
    std::unique_ptr<ErrorDialogRecorder> errors;
    int windowsShown = 0;

    bool runMain()
    {
        return Main([this] { ++windowsShown; });
    }

    QString autostartText() const
    {
        QFile f(autostartEntryPath());
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(f.readAll());
    }

    void writeSetting(const QString& key, const QString& value)
    {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "ZEMLIKA", "ZEMLIKA");
        s.setValue(key, value);
        s.sync();
    }

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        database = std::make_unique<TempDatabase>();
        boxes = std::make_unique<MsgBoxRecorder>();
        errors = std::make_unique<ErrorDialogRecorder>();
        resetShared();
        windowsShown = 0;
    }

    void cleanup()
    {
        releaseInstanceLock();
        errors.reset();
        boxes.reset();
        resetShared();
        database.reset();
        env.reset();
    }

    void startsAndShowsTheMainWindow()
    {
        env->writeConfigurationFile({database->server(), "sa", "secret", "attendance"});
        QVERIFY(runMain());
        QCOMPARE(windowsShown, 1);
        QVERIFY(boxes->shown.isEmpty());
        QVERIFY(errors->calls.isEmpty());
        QVERIFY(shared().Cnxn.isOpen());
        QCOMPARE(shared().ProcessModes.size(), 5);
        QCOMPARE(shared().ProcessModes[1], QString("Convert all data to Sign In."));
        QCOMPARE(shared().ProcessModes[4], QString("All In as Sign In and All Out as Sign Out."));
        QCOMPARE(shared().FocusColour, QColor(189, 211, 243));
        QCOMPARE(Settings::text(Settings::UrlName), shared().ReportURL);
        QVERIFY(!shared().ReportURL.isEmpty());
    }

    void connectionStringText()
    {
        env->writeConfigurationFile({"srv01\\SQLEXPRESS", "sa", "p;w'd\"é", "Attendance DB"});
        QCOMPARE(GetConnectionString(),
                 QString("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;"
                         "Password=p;w'd\"é;Initial Catalog=Attendance DB;"
                         "Data Source=srv01\\SQLEXPRESS"));
        QCOMPARE(shared().CnxnString, GetConnectionString());
        // The fields come back whole whatever the password holds.
        const ConnectionConfig c = ConnectionConfig::parse(shared().CnxnString);
        QCOMPARE(c.server, QString("srv01\\SQLEXPRESS"));
        QCOMPARE(c.user, QString("sa"));
        QCOMPARE(c.password, QString("p;w'd\"é"));
        QCOMPARE(c.database, QString("Attendance DB"));
    }

    void linesAreTakenWholeButWindowsLineEndsDropped()
    {
        QFile f(env->systemDir() + "/degest.dll");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(" server \r\nuser\r\n pass \r\ndb\r\n");
        f.close();
        QCOMPARE(GetConnectionString(),
                 QString("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=user;"
                         "Password= pass ;Initial Catalog=db;Data Source= server "));
    }

    void missingConfigurationFileShowsTheErrorDialog()
    {
        QVERIFY(!runMain());
        QCOMPARE(windowsShown, 0);
        QCOMPARE(errors->calls.size(), 1);
        QCOMPARE(errors->calls[0].form, QString("Sub Main"));
        QCOMPARE(errors->calls[0].proc, QString("Main()"));
        QVERIFY(!errors->calls[0].error.description.isEmpty());
        QVERIFY(boxes->shown.isEmpty());
    }

    void threeLineFileShowsTheErrorDialog()
    {
        env->writeConfigurationFile({database->server(), "sa", "secret"});
        QVERIFY(!runMain());
        QCOMPARE(windowsShown, 0);
        QCOMPARE(errors->calls.size(), 1);
        QCOMPARE(errors->calls[0].proc, QString("Main()"));
        QVERIFY(!shared().Cnxn.isOpen());
    }

    void unreachableServerShowsItsOwnMessage_data()
    {
        QTest::addColumn<QString>("server");  // "silent" : a port that never answers
        QTest::newRow("missing sqlite file") << "sqlite:/nonexistent/folder/quorvane.db";
        // A refused SQL Server login through FreeTDS: nothing listens on port 1.
        QTest::newRow("refused sql server") << "127.0.0.1,1";
        // Takes the connection and never answers: the login times out (after 5 s).
        QTest::newRow("silent sql server") << "silent";
    }

    void unreachableServerShowsItsOwnMessage()
    {
        QFETCH(QString, server);
        QTcpServer silent;
        if (server == "silent") {
            QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
            server = QStringLiteral("127.0.0.1,%1").arg(silent.serverPort());
        }
        env->writeConfigurationFile({server, "sa", "secret", "attendance"});
        QVERIFY(!runMain());
        QCOMPARE(windowsShown, 0);
        QVERIFY2(errors->calls.isEmpty(), errors->calls.isEmpty() ? "" : qPrintable(errors->calls[0].error.number + " " + errors->calls[0].error.description));
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].first,
                 QString("Database Server Couldnot Be Found. Configure MS-SQL Server"));
        QCOMPARE(boxes->shown[0].second, 64);
    }

    void fileThatIsNoDatabaseIsRefused()
    {
        const QString path = env->root() + "/notes.db";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Server list, to be filled in.\n");
        f.close();
        env->writeConfigurationFile({"sqlite:" + path, "sa", "secret", "attendance"});
        QVERIFY(!runMain());
        QCOMPARE(windowsShown, 0);
        QCOMPARE(errors->calls.size(), 1);
        const QString said = errors->calls[0].error.description;
        QVERIFY2(said.contains(path) && said.contains("not a database"), qPrintable(said));
        QVERIFY(!shared().Cnxn.isOpen());
    }

    void noDisplayEndsWithOneLine_data()
    {
        QTest::addColumn<QString>("platform");  // "" leaves it unset
        QTest::addColumn<bool>("deadDisplay");  // DISPLAY names one no server serves
        QTest::newRow("no platform named") << "" << false;
        QTest::newRow("x11") << "xcb" << false;
        QTest::newRow("wayland, then x11") << "wayland;xcb" << false;
        QTest::newRow("dead display") << "" << true;
        QTest::newRow("x11, dead display") << "xcb" << true;
    }

    void noDisplayEndsWithOneLine()
    {
        QFETCH(QString, platform);
        QFETCH(bool, deadDisplay);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        if (!platform.isEmpty())
            environment.insert("QT_QPA_PLATFORM", platform);
        for (int n = 4242; deadDisplay; ++n)
            if (!QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)) &&
                !QFile::exists(QString("/tmp/.X%1-lock").arg(n))) {
                environment.insert("DISPLAY", QString(":%1").arg(n));
                break;
            }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUORVANE_APP_EXECUTABLE), {});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(said.count('\n'), 1);
        QVERIFY2(said.startsWith("quorvane: ") && said.contains("display"), qPrintable(said));
    }

    void secondInstanceEndsBeforeTheDatabase()
    {
        env->writeConfigurationFile({database->server(), "sa", "secret", "attendance"});
        QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        QLockFile other(dir + "/quorvane.lock");
        // Another process's lock; this process's own lock would count as stale-free too.
        QVERIFY(other.tryLock(0));
        QVERIFY(!runMain());
        QCOMPARE(boxes->texts(), QStringList{"Another Instance is Running"});
        QCOMPARE(boxes->shown[0].second, 64);
        QCOMPARE(windowsShown, 0);
        QVERIFY(!shared().Cnxn.isOpen());
        // The steps before the test have run: the endpoint and the autostart entry.
        QVERIFY(!Settings::text(Settings::UrlName).isEmpty());
        QVERIFY(autostartText().contains("Hidden=true"));
        other.unlock();
        QVERIFY(runMain());
    }

    void autoStartSetting_data()
    {
        QTest::addColumn<QString>("value");  // "<missing>" leaves the key out
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << "<missing>" << "Hidden=true";
        QTest::newRow("0") << "0" << "Hidden=true";
        QTest::newRow("1") << "1" << "Exec=" + QCoreApplication::applicationFilePath();
        QTest::newRow("2") << "2" << "untouched";
    }

    void autoStartSetting()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        env->writeConfigurationFile({database->server(), "sa", "secret", "attendance"});
        if (value != "<missing>")
            writeSetting("Auto Start/Auto Start", value);
        QDir().mkpath(QFileInfo(autostartEntryPath()).absolutePath());
        {
            QFile f(autostartEntryPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("untouched");
        }
        QVERIFY(runMain());
        const QString text = autostartText();
        if (expected == "untouched") {
            QCOMPARE(text, QString("untouched"));
        } else {
            QVERIFY2(text.contains(expected), qPrintable(text));
            QVERIFY(text.startsWith("[Desktop Entry]"));
        }
        if (value == "1")
            QVERIFY(!text.contains("Hidden=true"));
    }

    void settingsThatAreNotNumbersShowTheErrorDialog_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("auto start") << "Auto Start/Auto Start" << "yes";
        QTest::newRow("signinout") << "Auto Start/Signinout" << "maybe";
    }

    void settingsThatAreNotNumbersShowTheErrorDialog()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        env->writeConfigurationFile({database->server(), "sa", "secret", "attendance"});
        writeSetting(key, value);
        QVERIFY(!runMain());
        QCOMPARE(errors->calls.size(), 1);
        QCOMPARE(errors->calls[0].form, QString("Sub Main"));
        QCOMPARE(windowsShown, 0);
    }

    void signInOutIsRead()
    {
        env->writeConfigurationFile({database->server(), "sa", "secret", "attendance"});
        writeSetting("Auto Start/Signinout", "1");
        QVERIFY(runMain());
        QVERIFY(shared().SignInOutSetting);
    }

    void maxIdOfAColumn()
    {
        Db& db = database->db();
        QCOMPARE(get_MaxId("Tbl_Task", "TaskID", db), 1);
        db.exec("insert into tbl_attendancelog (Emp_ID, LogDate, LogTime, ExtractedFrom) "
                "values (1, '2026-12-01', '08:00:00', NULL)");
        // A column whose maximum is NULL counts as empty.
        QCOMPARE(get_MaxId("tbl_attendancelog", "ExtractedFrom", db), 1);
        db.exec("insert into tbl_attendancelog (Emp_ID, LogDate, LogTime, ExtractedFrom) "
                "values (1, '2026-12-01', '08:00:01', 41)");
        QCOMPARE(get_MaxId("tbl_attendancelog", "ExtractedFrom", db), 42);
        db.exec("insert into tbl_attendancelog (Emp_ID, LogDate, LogTime, ExtractedFrom) "
                "values (1, '2026-12-01', '08:00:02', 32767)");
        QVERIFY_THROWS_EXCEPTION(DbError, get_MaxId("tbl_attendancelog", "ExtractedFrom", db));
        QVERIFY_THROWS_EXCEPTION(DbError, get_MaxId("Tbl_Task; drop table x", "TaskID", db));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
