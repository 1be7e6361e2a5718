#include "TestSupport.h"

#include "shell/Clock.h"
#include "shell/DateText.h"
#include "shell/FrmTagList.h"
#include "shell/Shared.h"
#include "shell/TagList.h"
#include "terminals/FrmScheduler.h"
#include "terminals/TaskStore.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

// The task editor against a temporary database holding three terminals.
class TestTaskEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<TempDatabase> database;
    std::unique_ptr<MsgBoxRecorder> boxes;
    std::unique_ptr<ErrorDialogRecorder> errors;

    Db& db() { return shared().Cnxn; }

    int taskCount() { return db().scalar("select count(*) from Tbl_Task").toInt(); }

    void addTerminal(int id, const QString& description)
    {
        db().exec("insert into Tbl_DeviceMaster (DeviceID, DeviceDescription, ConMode, "
                  "IPAddress, PortNo, Log_Mode) values (?,?,1,'127.0.0.1','4370',3)",
                  {id, description});
    }

    void addTask(int deviceId, int task, const QString& date, const QString& time,
                 const QString& eachDay = "0")
    {
        TaskRecord t;
        t.DeviceID = deviceId;
        t.Task = task;
        t.TaskDate = date;
        t.TaskTime = time;
        t.TaskEachDay = eachDay;
        t.Remarks = "stored";
        TaskStore::insert(db(), t);
    }

    // Picks the row of the terminal with this DeviceID in the picker. Shown, the picker
    // takes the focus while it is open, as its modal window does.
    static void pickTerminal(const QString& deviceId, bool shown = false)
    {
        setTagListHandler([deviceId, shown](FrmTagList& picker) {
            if (shown) {
                QApplication::setActiveWindow(&picker);
                picker.lsv->setFocus();
            }
            for (int i = 0; i < picker.lsv->topLevelItemCount(); ++i)
                if (picker.lsv->topLevelItem(i)->text(0) == deviceId)
                    picker.lsv->setCurrentItem(picker.lsv->topLevelItem(i));
            picker.CmdOk_Click();
        });
    }

    template <class T> static T* child(QWidget& form, const char* name)
    {
        T* w = form.findChild<T*>(QLatin1String(name));
        Q_ASSERT(w);
        return w;
    }

    // A NEW task filled in as the operator would.
    void fillNew(FrmScheduler& form, const QString& deviceId, int task, const QDate& date,
                 const QTime& time, bool eachDay, const QString& remarks = "r")
    {
        form.CmdNew_Click();
        child<QComboBox>(form, "CboTask")->setCurrentIndex(task);
        pickTerminal(deviceId);
        form.DumpMachine_Click();
        child<QLineEdit>(form, "TxtRemarks")->setText(remarks);
        auto* picker = child<QTimeEdit>(form, "DTPicker1"); // the time typed after a click
        QTest::mouseClick(picker->findChild<QLineEdit*>(), Qt::LeftButton);
        QTest::keyClicks(picker, time.toString("HH:mm"));
        child<QCalendarWidget>(form, "MonthView1")->setSelectedDate(date);
        child<QCheckBox>(form, "ChkPerform")->setChecked(eachDay);
    }

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        database = std::make_unique<TempDatabase>();
        resetShared();
        database->openShared();
        boxes = std::make_unique<MsgBoxRecorder>();
        errors = std::make_unique<ErrorDialogRecorder>();
        addTerminal(5, "Gate");
        addTerminal(2, "Store");
        addTerminal(9, "Yard");
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    }

    void cleanup()
    {
        setTagListHandler({});
        Clock::reset();
        errors.reset();
        boxes.reset();
        resetShared();
        database.reset();
        env.reset();
    }

    void newTaskStoresTimeDateAndElement()
    {
        // The stored date does not follow the operator's date format.
        const QLocale saved;
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        const auto restore = qScopeGuard([saved] { QLocale::setDefault(saved); });
        FrmScheduler form;
        form.Form_Load();
        QCOMPARE(boxes->texts(), QStringList{"No Record To Display"});
        boxes->clear();
        const QString remarks = "O'Neil \"x\"; ü" + QString(300, 'r'); // beyond its column
        fillNew(form, "5", 3, QDate(2026, 12, 24), QTime(14, 5), false, remarks);
        QCOMPARE(form.TaskDeviceID(), 5L);
        QCOMPARE(child<QLineEdit>(form, "TxtDevice")->text(), QString("Gate"));
        form.CmdSave_Click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(boxes->shown.isEmpty());
        QSqlQuery q = db().exec("select DeviceIndex, Task, TaskDate, TaskTime, Remarks, "
                                "TaskEachDay, DeviceID, Performed from Tbl_Task");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2); // machines 2, 5, 9: machine 5 is the second row
        QCOMPARE(q.value(1).toInt(), 3);
        QCOMPARE(q.value(2).toString(), QString("2026-12-24"));
        QCOMPARE(q.value(3).toString(), QString("14:05"));
        QCOMPARE(q.value(4).toString(), remarks.left(200));
        QCOMPARE(q.value(5).toString(), QString("0"));
        QCOMPARE(q.value(6).toInt(), 5);
        QVERIFY(q.value(7).isNull());
    }

    void morningTimeKeepsItsLeadingZero()
    {
        FrmScheduler form;
        form.Form_Load();
        fillNew(form, "9", 1, QDate(2026, 12, 8), QTime(9, 30), true);
        form.CmdSave_Click();
        QCOMPARE(db().scalar("select TaskTime from Tbl_Task").toString(), QString("09:30"));
        QCOMPARE(db().scalar("select TaskEachDay from Tbl_Task").toString(), QString("1"));
        QCOMPARE(db().scalar("select DeviceIndex from Tbl_Task").toInt(), 3);
    }

    void duplicateRule_data()
    {
        QTest::addColumn<QString>("deviceId");
        QTest::addColumn<int>("task");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("eachDay");
        QTest::addColumn<bool>("refused");
        const QDate day(2026, 12, 10);
        QTest::newRow("same four") << "5" << 1 << day << QTime(7, 15) << false << true;
        QTest::newRow("same four, each day") << "5" << 1 << day << QTime(7, 15) << true << true;
        QTest::newRow("other terminal") << "2" << 1 << day << QTime(7, 15) << false << false;
        QTest::newRow("other task") << "5" << 2 << day << QTime(7, 15) << false << false;
        QTest::newRow("other date") << "5" << 1 << day.addDays(1) << QTime(7, 15) << false << false;
        QTest::newRow("other time") << "5" << 1 << day << QTime(7, 16) << false << false;
    }

    void duplicateRule()
    {
        QFETCH(QString, deviceId);
        QFETCH(int, task);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(bool, eachDay);
        QFETCH(bool, refused);
        addTask(5, 1, TaskStore::dateText(QDate(2026, 12, 10)), "07:15");
        FrmScheduler form;
        form.Form_Load();
        fillNew(form, deviceId, task, date, time, eachDay, "different remarks");
        form.CmdSave_Click();
        if (refused) {
            QCOMPARE(boxes->texts(), QStringList{"Task Schedule Already Exists at This Date Time"});
            QCOMPARE(boxes->shown[0].second, 16);
            QCOMPARE(taskCount(), 1);
            QCOMPARE(form.Tag(), QString("NEW"));
            QCOMPARE(form.result(), 0); // still open
        } else {
            QVERIFY(boxes->shown.isEmpty());
            QCOMPARE(taskCount(), 2);
            QCOMPARE(form.result(), int(QDialog::Accepted));
        }
    }

    void browsingShowsStoredRows()
    {
        addTask(2, 4, TaskStore::dateText(QDate(2026, 12, 25)), "18:45", "1");
        addTask(77, 0, TaskStore::dateText(QDate(2026, 12, 26)), "06:00", "0");
        FrmScheduler form;
        form.Form_Load();
        QCOMPARE(child<QLineEdit>(form, "TxtDevice")->text(), QString("Store"));
        QCOMPARE(child<QComboBox>(form, "CboTask")->currentText(), QString("Extract Data"));
        QCOMPARE(child<QTimeEdit>(form, "DTPicker1")->time(), QTime(18, 45));
        QCOMPARE(child<QCalendarWidget>(form, "MonthView1")->selectedDate(), QDate(2026, 12, 25));
        QVERIFY(child<QCheckBox>(form, "ChkPerform")->isChecked());
        QCOMPARE(child<QLabel>(form, "LblDate")->text(),
                 "Date : 2026" + dateSeparator() + "25" + dateSeparator() + "12");
        form.CmdNext_Click();
        // Its terminal is no longer registered.
        QCOMPARE(child<QLineEdit>(form, "TxtDevice")->text(), QString());
        QCOMPARE(form.TaskDeviceID(), 77L);
        QVERIFY(!child<QCheckBox>(form, "ChkPerform")->isChecked());
        QVERIFY(boxes->shown.isEmpty());
        form.CmdNext_Click();
        QCOMPARE(boxes->texts(), QStringList{"This is the Last Record"});
        QCOMPARE(form.TaskDeviceID(), 77L);
    }

    void editAndDelete()
    {
        addTask(2, 4, TaskStore::dateText(QDate(2026, 12, 25)), "18:45", "1");
        addTask(9, 0, TaskStore::dateText(QDate(2026, 12, 26)), "06:00", "0");
        {
            FrmScheduler form;
            form.Form_Load();
            form.CmdEdit_Click();
            QCOMPARE(form.windowTitle(), QString("Task Scheduler [EDIT]"));
            child<QTimeEdit>(form, "DTPicker1")->setTime(QTime(19, 0));
            form.CmdSave_Click();
            QCOMPARE(form.result(), int(QDialog::Accepted));
        }
        QCOMPARE(db().scalar("select TaskTime from Tbl_Task where DeviceID=2").toString(),
                 QString("19:00"));
        // Editing without the picker keeps the shown row's terminal and its element.
        QCOMPARE(db().scalar("select DeviceIndex from Tbl_Task where DeviceID=2").toInt(), 1);
        {
            FrmScheduler form;
            form.Form_Load();
            form.CmdLast_Click();
            form.CmdDelete_Click();
            QCOMPARE(form.windowTitle(), QString("Task Scheduler [DELETE]"));
            form.CmdSave_Click();
            QCOMPARE(form.result(), int(QDialog::Accepted));
        }
        QCOMPARE(taskCount(), 1);
        QCOMPARE(db().scalar("select DeviceID from Tbl_Task").toInt(), 2);
        QVERIFY(boxes->shown.isEmpty());
    }

    void blankTerminalIsRefused()
    {
        FrmScheduler form;
        form.Form_Load();
        boxes->clear();
        form.CmdNew_Click();
        form.CmdSave_Click();
        QCOMPARE(boxes->texts(),
                 QStringList{"Device Cannot Left Blank\r\nPress F1 For Existing Device List"});
        QCOMPARE(boxes->shown[0].second, 16);
        QCOMPARE(taskCount(), 0);
        QCOMPARE(form.result(), 0);
    }

    // The blank check runs when the operator leaves the Device field for another field,
    // not when the picker opens; Ok answers a blank field once.
    void leavingABlankDeviceField_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("device");
        QTest::newRow("F1") << "F1" << 0 << "Yard";
        QTest::newRow("...") << "..." << 0 << "Yard";
        QTest::newRow("Tab") << "Tab" << 1 << "";
        QTest::newRow("Ok") << "Ok" << 1 << "";
    }

    void leavingABlankDeviceField()
    {
        QFETCH(QString, how);
        QFETCH(int, messages);
        QFETCH(QString, device);
        FrmScheduler form;
        form.Form_Load();
        form.CmdNew_Click();
        form.show();
        QApplication::setActiveWindow(&form);
        auto* field = child<QLineEdit>(form, "TxtDevice");
        field->setFocus();
        QCOMPARE(QApplication::focusWidget(), field);
        boxes->clear();
        pickTerminal("9", true);
        if (how == "F1")
            QTest::keyClick(field, Qt::Key_F1);
        else if (how == "...")
            QTest::mouseClick(child<QToolButton>(form, "DumpMachine"), Qt::LeftButton);
        else if (how == "Tab")
            QTest::keyClick(field, Qt::Key_Tab);
        else
            QTest::mouseClick(child<QPushButton>(form, "CmdSave"), Qt::LeftButton);
        QCOMPARE(boxes->shown.size(), messages);
        QCOMPARE(field->text(), device);
        if (messages > 0) {
            QCOMPARE(boxes->texts()[0],
                     QString("Device Cannot Left Blank\r\nPress F1 For Existing Device List"));
            QCOMPARE(form.focusWidget(), field);
        }
        QCOMPARE(taskCount(), 0);
    }

    // A NEW task goes to the terminal the Device field names, not to the terminal of the
    // row browsed before.
    void newTaskGoesToTheTerminalTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("deviceId"); // 0: refused
        QTest::addColumn<int>("element");
        QTest::newRow("description") << "Yard" << 9 << 3;
        QTest::newRow("letter case, blanks") << " yARD " << 9 << 3;
        QTest::newRow("number") << "2" << 2 << 1;
        QTest::newRow("no such terminal") << "Nowhere" << 0 << 0;
        QTest::newRow("unregistered number") << "77" << 0 << 0;
    }

    void newTaskGoesToTheTerminalTyped()
    {
        QFETCH(QString, typed);
        QFETCH(int, deviceId);
        QFETCH(int, element);
        addTask(5, 1, TaskStore::dateText(QDate(2026, 12, 10)), "07:15");
        FrmScheduler form;
        form.Form_Load();
        QCOMPARE(form.TaskDeviceID(), 5L);
        form.CmdNew_Click();
        child<QLineEdit>(form, "TxtDevice")->setText(typed);
        child<QLineEdit>(form, "TxtRemarks")->setText("typed");
        form.CmdSave_Click();
        if (deviceId == 0) {
            QCOMPARE(boxes->texts(),
                     QStringList{"Device Cannot Left Blank\r\nPress F1 For Existing Device List"});
            QCOMPARE(taskCount(), 1);
            QCOMPARE(form.result(), 0);
            return;
        }
        QVERIFY(boxes->shown.isEmpty());
        QSqlQuery q = db().exec("select DeviceID, DeviceIndex from Tbl_Task where Remarks='typed'");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), deviceId);
        QCOMPARE(q.value(1).toInt(), element);
    }

    void unknownTaskCodeIsSavedBackUnchanged()
    {
        addTask(9, 7, TaskStore::dateText(QDate(2026, 12, 26)), "06:00");
        FrmScheduler form;
        form.Form_Load();
        form.CmdEdit_Click();
        child<QLineEdit>(form, "TxtRemarks")->setText("edited");
        form.CmdSave_Click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(db().scalar("select Task from Tbl_Task").toInt(), 7);
        QCOMPARE(db().scalar("select Remarks from Tbl_Task").toString(), QString("edited"));
    }

    void cancelledPickEmptiesTheTerminal()
    {
        FrmScheduler form;
        form.Form_Load();
        form.CmdNew_Click();
        pickTerminal("2");
        form.DumpMachine_Click();
        QCOMPARE(child<QLineEdit>(form, "TxtDevice")->text(), QString("Store"));
        setTagListHandler([](FrmTagList& picker) { picker.CmdCancel_Click(); });
        form.DumpMachine_Click();
        QCOMPARE(child<QLineEdit>(form, "TxtDevice")->text(), QString());
        QCOMPARE(form.TaskDeviceID(), 0L);
    }

    void dateLabelPutsTheDayBeforeTheMonth()
    {
        FrmScheduler form;
        form.Form_Load();
        form.MonthView1_DateClick(QDate(2026, 3, 17));
        QCOMPARE(child<QLabel>(form, "LblDate")->text(),
                 "Date : 2026" + dateSeparator() + "17" + dateSeparator() + "03");
    }

    void shortDatesReadBack_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << "C";
        QTest::newRow("en_US") << "en_US";
        QTest::newRow("de_DE") << "de_DE";
    }

    void shortDatesReadBack()
    {
        QFETCH(QString, locale);
        const QLocale saved;
        QLocale::setDefault(QLocale(locale));
        // Two-digit years come back in this century.
        const QDate date(2026, 12, 7);
        QCOMPARE(dateFromShortText(shortDateText(date)), date);
        QLocale::setDefault(saved);
    }
};

QTEST_MAIN(TestTaskEditor)
#include "tst_taskeditor.moc"
