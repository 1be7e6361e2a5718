// The terminal settings screen over simulated terminals: Tools > Settings, the clock, the
// counts, the options, Restart, and the SQL script export as the operator runs it.

#include "SimTerminal.h"
#include "admin/AdminScreens.h"
#include "admin/FrmUtilities.h"
#include "shell/Clock.h"
#include "shell/Desktop.h"
#include "shell/Settings.h"
#include "shell/Shared.h"
#include "support/WindowFixture.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QtTest>

namespace {
SimState terminalWith(int admins, int users, int punches)
{
    SimState s;
    for (int i = 1; i <= users; ++i) {
        s.users.append(simUser(QString::number(i), QStringLiteral("User %1").arg(i)));
        s.users.last().privilege = i <= admins ? 2 : 0;
    }
    for (int i = 0; i < punches; ++i)
        s.punches.append(SimPunch::at(QStringLiteral("1"), QDate(2026, 3, 5), QTime(8, 0, i)));
    s.operations.resize(5);
    return s;
}

void setTerminalClock(SimThread& sim, const QDateTime& when)
{
    sim.run([&](SimTerminal& t) {
        t.state().clockOffsetSeconds = QDateTime::currentDateTime().secsTo(when);
    });
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestUtilities : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;
    QStringList opened;

    void attend(int emp, const QString& day, const QString& in, const QString& out)
    {
        f->db().exec(QStringLiteral("insert into Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, "
                                    "TDATE, INTIME, OUTTIME) values (?, 1, ?, ?, ?)"),
                     {emp, day, in, out});
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        f = std::make_unique<WindowFixture>();
        opened.clear();
        setOpenDocumentHandler([this](const QString& path) {
            opened << path;
            return QByteArray(QTest::currentDataTag()) != "no program";
        });
    }

    void cleanup()
    {
        setOpenDocumentHandler({});
        f.reset();
    }

    void settingsCommand_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("connection");
        QTest::newRow("no terminal") << "none"
                                     << "Cannot Find Any Devices , Please add Device from device "
                                        "master"
                                     << QString() << QString();
        QTest::newRow("not linked") << "unlinked"
                                    << "Device is not connected"
                                    << "Not Connnected To Device" << QString();
        QTest::newRow("network")
            << "network" << QString() << "Device : O'Brien Süd"
            << " Device ID : 5\r\n Descrption : O'Brien Süd\r\n Connection Mode : Ethernet\r\n IP "
               "Address : 127.0.0.1\r\n Port No : %1\r\n Firmware Version : Ver 6.60 Sim";
        QTest::newRow("serial")
            << "serial" << QString() << "Device : Back Office"
            << " Device ID : 3\r\n Descrption : Back Office\r\n Connection Mode : Serial Port\r\n "
               "Com No : 1\r\n Baud Rate : 9600\r\n Firmware Version : Ver 6.60 Sim";
    }

    // Opening shows the terminal's clock and the stored options, and changes neither.
    void settingsCommand()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(QString, status);
        QFETCH(QString, connection);
        const QDateTime terminalClock(QDate(2031, 3, 5), QTime(8, 5, 3));
        if (kind == QLatin1String("serial")) {
            f->sims.push_back(std::make_unique<SimThread>());
            Settings::setSerialDevice(1, f->sims.back()->openPty());
            f->registerTerminal(3, QStringLiteral("Back Office"), 0, QString(), QStringLiteral("1"),
                                QStringLiteral("9600"));
        } else if (kind != QLatin1String("none")) {
            f->addTerminal(5, QStringLiteral("O'Brien Süd"), SimState());
        }
        Settings::setValue(Settings::AutoStart, 0);
        Settings::setValue(Settings::Validate, 1);
        Settings::setValue(Settings::Signinout, 2);
        const QString ini = f->env.configDir() + QStringLiteral("/ZEMLIKA/ZEMLIKA.ini");
        const QByteArray options = fileBytes(ini);
        f->load();
        registerAdminScreens(*f->window);
        if (kind == QLatin1String("network") || kind == QLatin1String("serial")) {
            QVERIFY(f->connectRow(1));
            setTerminalClock(*f->sims.back(), terminalClock);
        }
        const qint64 offset = f->sims.empty() ? 0 : f->sims.back()->state().clockOffsetSeconds;

        QString shownStatus, shownConnection, pickers;
        QList<Qt::CheckState> states;
        bool red = false;
        if (kind != QLatin1String("none")) {
            answerNextModal([&](QWidget* w) {
                auto* form = qobject_cast<FrmUtilities*>(w);
                if (form) {
                    shownStatus = form->LblStatus->text();
                    red = form->LblStatus->palette().color(QPalette::WindowText) == Qt::red;
                    shownConnection = form->TxtComSettingsText();
                    pickers = form->DtpDate->date().toString(Qt::ISODate) +
                              form->DtpTime->time().toString(QStringLiteral(" HH:mm"));
                    for (QCheckBox* box :
                         {form->ChkAutoStart, form->ChkValidate, form->ChkSignINOUT})
                        states << box->checkState();
                    form->ChkAutoStart->setChecked(true);
                }
                w->close();
            });
        }
        f->window->MnuSettings_Click();

        QCOMPARE(f->messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(f->errors.calls.isEmpty());
        if (kind == QLatin1String("none"))
            return;
        QCOMPARE(shownStatus, status);
        QCOMPARE(red, kind == QLatin1String("unlinked"));
        QCOMPARE(states, (QList<Qt::CheckState>{Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked}));
        QCOMPARE(fileBytes(ini), options);
        if (kind == QLatin1String("unlinked"))
            return;
        QCOMPARE(shownConnection,
                 connection.replace(QStringLiteral("%1"), QString::number(f->sims.back()->port())));
        QCOMPARE(pickers, QStringLiteral("2031-03-05 08:05"));
        const SimState after = f->sims.back()->state();
        QCOMPARE(after.displayText, QStringLiteral("Working........."));
        QCOMPARE(after.clockOffsetSeconds, offset);
    }

    void clockReadAndSet()
    {
        SimThread& sim = f->addTerminal(5, QStringLiteral("Gate"), SimState());
        f->load();
        FrmUtilities unlinked(*f->window);
        unlinked.Form_Load();
        unlinked.XPButton3_Click();
        QCOMPARE(unlinked.txtdate->text(), QStringLiteral("0/0/0"));
        QCOMPARE(unlinked.txtTime->text(), QStringLiteral("00:00:00"));

        QVERIFY(f->connectRow(1));
        setTerminalClock(sim, QDateTime(QDate(2031, 3, 5), QTime(8, 5, 3)));
        FrmUtilities form(*f->window);
        form.Form_Load();
        form.XPButton3_Click();
        QCOMPARE(form.txtdate->text(), QStringLiteral("2031/3/5"));
        QVERIFY(form.txtTime->text().startsWith(QLatin1String("08:05:0")));

        // The computer's clock read once at midnight: the new day with the new time.
        Clock::setNow(QDateTime(QDate(2026, 3, 6), QTime(0, 0, 0)));
        form.ChkSysDatetime->setChecked(true);
        QCOMPARE(form.DtpDate->date(), QDate(2026, 3, 6));
        QCOMPARE(form.DtpTime->time(), QTime(0, 0, 0));
        form.XPButton1_Click();
        QCOMPARE(form.txtdate->text(), QStringLiteral("2026/3/6"));
        QVERIFY(form.txtTime->text().startsWith(QLatin1String("00:00:0")));
        QCOMPARE(form.DtpDate->date(), QDate(2026, 3, 6));
        QVERIFY(f->errors.calls.isEmpty());
    }

    void deviceInfo()
    {
        SimThread& sim = f->addTerminal(5, QStringLiteral("Gate"), terminalWith(2, 150, 37));
        f->load();
        QVERIFY(f->connectRow(1));
        FrmUtilities form(*f->window);
        form.XPButton4_Click();
        QCOMPARE(form.txtDeviceDetailsText(),
                 QStringLiteral("Administrator in Device : 2\r\nRegistered User in Device : "
                                "150\r\nFingerprint in Device : 0\r\nPassword in Device : "
                                "0\r\nAttendance in Device : 37\r\n"));

        // The link drops after two counts: no line shows a count it did not read.
        sim.run([](SimTerminal& t) { t.setDropAfterAnswers(QStringLiteral("status"), 2); });
        form.XPButton4_Click();
        QCOMPARE(form.txtDeviceDetailsText(),
                 QStringLiteral("Administrator in Device : 2\r\nRegistered User in Device : "
                                "150\r\nFingerprint in Device : \r\nPassword in Device : "
                                "\r\nAttendance in Device : \r\n"));
    }

    void optionThatIsNoNumber()
    {
        Settings::setValue(Settings::Validate, QStringLiteral("yes"));
        f->load();
        FrmUtilities form(*f->window);
        form.Form_Load();
        QCOMPARE(f->errors.calls.size(), 1);
        QCOMPARE(f->errors.calls.first().form, QStringLiteral("FrmUtilities"));
        QCOMPARE(f->errors.calls.first().proc, QStringLiteral("Form_Load()"));
    }

    void restart_data()
    {
        QTest::addColumn<bool>("passMovedTheCurrentTerminal");
        QTest::addColumn<bool>("clickedAgainInTheYield");
        QTest::addColumn<QString>("fault");
        QTest::newRow("current terminal") << false << false << QString();
        QTest::newRow("after a pass chose another") << true << false << QString();
        QTest::newRow("clicked again while disconnecting") << false << true << QString();
        QTest::newRow("disconnected before") << false << false << "unlinked";
        QTest::newRow("terminal refuses") << false << false << "refused";
    }

    void restart()
    {
        QFETCH(bool, passMovedTheCurrentTerminal);
        QFETCH(bool, clickedAgainInTheYield);
        QFETCH(QString, fault);
        SimThread& gate = f->addTerminal(5, QStringLiteral("Gate"), SimState());
        SimThread& yard = f->addTerminal(6, QStringLiteral("Yard"), SimState());
        f->load();
        QVERIFY(f->connectRow(2));
        QVERIFY(f->connectRow(1));
        if (fault == QLatin1String("unlinked"))
            f->window->MnuDisConnect_Click();
        else if (!fault.isEmpty())
            gate.run([](SimTerminal& t) { t.garbleNext(QStringLiteral("restart")); });
        FrmUtilities form(*f->window);
        form.show();
        if (passMovedTheCurrentTerminal) {
            f->window->SelectedItem = 2;
            f->window->MachineID = QStringLiteral("6");
        }
        if (clickedAgainInTheYield)
            QTimer::singleShot(0, &form, [&] { form.XPButton2->click(); });
        form.XPButton2_Click();

        QCOMPARE(form.isVisible(), !fault.isEmpty());
        QCOMPARE(gate.state().restarts, fault.isEmpty() ? 1 : 0);
        QCOMPARE(yard.state().restarts, 0);
        QCOMPARE(f->window->ListItemText(1, 7), QStringLiteral("Disconnected"));
        QCOMPARE(f->window->PanelText(3), QStringLiteral(" Disconnected"));
        QCOMPARE(f->window->ListItemText(2, 7), QStringLiteral("Connected"));
        QVERIFY(!IsDeviceConnected(*f->window->TermCtl1.at(1)));
        QCOMPARE(f->window->SelectedItem, 1);
        QCOMPARE(f->messages.texts(), QStringList(fault == "unlinked", "Device is not connected"));
        QCOMPARE(f->errors.calls.value(0).proc,
                 QString(fault == "refused" ? "XPButton2_Click()" : ""));
    }

    void exportScript_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("showOutput");
        QTest::addColumn<QString>("message");
        QTest::newRow("shown") << QString() << true << QString();
        QTest::newRow("not shown") << QString() << false << QString();
        QTest::newRow("empty range")
            << "empty" << true << "No Records Found To Display : Change Your Criteria";
        QTest::newRow("from after to")
            << "reversed" << true << "No Records Found To Display : Change Your Criteria";
        QTest::newRow("no program") << QString() << true << "Cannot Open Script File : %1";
        QTest::newRow("folder is a file") << "file" << true << "Cannot Write Script File : %1";
        QTest::newRow("table dropped") << "dropped" << true << QString();
    }

    // Two exports in one second (a double click): a file for each, or nothing where one fails.
    void exportScript()
    {
        QFETCH(QString, fault);
        QFETCH(bool, showOutput);
        QFETCH(QString, message);
        attend(5, QStringLiteral("2026-03-02"), QStringLiteral("08:00:00"), QString());
        attend(7, QStringLiteral("2026-03-03"), QStringLiteral("09:00:00"),
               QStringLiteral("17:00:00"));
        Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(14, 26, 57)));
        QTemporaryDir dir;
        QString folder = dir.path();
        if (fault == QLatin1String("file")) {
            folder += QStringLiteral("/plain.txt");
            QFile plain(folder);
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
        if (fault == QLatin1String("dropped"))
            f->db().execDirect(QStringLiteral("drop table Tbl_Emp_Attn_Log_General"));
        f->load();
        FrmUtilities form(*f->window);
        form.Form_Load();
        const bool reversed = fault == QLatin1String("reversed");
        form.DtFrom->setDate(reversed ? QDate(2026, 3, 31)
                                      : QDate(2026, 3, fault == QLatin1String("empty") ? 4 : 1));
        form.DtTo->setDate(reversed ? QDate(2026, 3, 1) : QDate(2026, 3, 31));
        form.TxtPath->setText(folder);
        form.ChkOutPut->setChecked(showOutput);
        QTest::mouseClick(form.CmdGenerate, Qt::LeftButton);
        QTest::mouseClick(form.CmdGenerate, Qt::LeftButton);

        const QString file = folder + QStringLiteral("/12.06.2026 02.26.57 Pm.txt");
        const QString second = file.chopped(4) + " (2).txt";
        const bool written = fault.isEmpty();
        const QByteArray script =
            "Insert Into attd (Employee_Id,Attd_Date,InTime,OutTime) values "
            "('7','3/3/2026','09:00:00','17:00:00')\r\nInsert Into attd "
            "(Employee_Id,Attd_Date,InTime,OutTime) values ('5','3/2/2026','08:00:00','')\r\n\r\n";
        QCOMPARE(fileBytes(file) + '|' + fileBytes(second), written ? script + '|' + script : "|");
        QCOMPARE(form.FrmSQL->title(), written ? QStringLiteral("Generate SQL Scripts Completed")
                                               : QStringLiteral("Generate SQL Scripts"));
        const QString expected = message.replace(QStringLiteral("%1"), file);
        QCOMPARE(f->messages.texts().replaceInStrings(second, file),
                 expected.isEmpty() ? QStringList() : QStringList(2, expected));
        QCOMPARE(opened, written && showOutput ? QStringList({file, second}) : QStringList());
        Settings::sync();
        QCOMPARE(Settings::text(Settings::ScriptFolder),
                 written && showOutput ? dir.path() : QString());
        QCOMPARE(f->errors.calls.size(), fault == QLatin1String("dropped") ? 2 : 0);
        if (!f->errors.calls.isEmpty())
            QCOMPARE(f->errors.calls.first().proc, QStringLiteral("CmdGenerate_Click()"));
    }

    // While the export yields, the window is busy and the screen refuses a second export
    // and being closed.
    void exportRefusesWhileYielding()
    {
        for (int day = 1; day <= 28; ++day)
            attend(5, QDate(2026, 2, day).toString(Qt::ISODate), QStringLiteral("08:00:00"),
                   QString());
        f->load();
        FrmUtilities form(*f->window);
        form.Form_Load();
        form.show();
        QTemporaryDir dir;
        form.TxtPath->setText(dir.path());
        form.DtFrom->setDate(QDate(2026, 2, 1));
        form.DtTo->setDate(QDate(2026, 2, 28));
        bool busy = false;
        QTimer::singleShot(0, &form, [&] {
            busy = f->window->isBusy() && form.isExporting();
            form.CmdGenerate_Click();
            form.Form_KeyDown(27);
            form.CmdCancel_Click();
            form.close();
        });
        form.CmdGenerate_Click();

        QVERIFY(busy);
        QVERIFY(form.isVisible());
        QVERIFY(!f->window->isBusy());
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QCOMPARE(fileBytes(dir.path() + QLatin1Char('/') + files.first()).count("Insert Into"), 28);
    }
};

QTEST_MAIN(TestUtilities)
#include "tst_utilities.moc"
