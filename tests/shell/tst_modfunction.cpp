#include "TestSupport.h"

#include "shell/Clock.h"
#include "shell/FieldBehaviour.h"
#include "shell/FileDialog.h"
#include "shell/ModFunction.h"
#include "shell/Shared.h"

#include <QAbstractFileIconProvider>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

class TestModFunction : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MsgBoxRecorder> boxes;

    static Recordset threeRows()
    {
        return Recordset::fromRows({"id"}, {{1}, {2}, {3}});
    }

    QByteArray schedulerLog() const
    {
        QFile f(env->homeDir() + "/SchedulerLOG.txt");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        boxes = std::make_unique<MsgBoxRecorder>();
        resetShared();
    }

    void cleanup()
    {
        Clock::reset();
        boxes.reset();
        resetShared();
        env.reset();
    }

    void nextRecordStopsOnTheLastRow()
    {
        Recordset rs = threeRows();
        QVERIFY(MoveNextRecord(rs));
        QVERIFY(MoveNextRecord(rs));
        QCOMPARE(rs.value("id").toInt(), 3);
        QVERIFY(boxes->shown.isEmpty());
        // Past the last row: back on it, with the message, and the row is shown.
        QVERIFY(MoveNextRecord(rs));
        QCOMPARE(rs.value("id").toInt(), 3);
        QCOMPARE(boxes->texts(), QStringList{"This is the Last Record"});
        QCOMPARE(boxes->shown[0].second, 64);
    }

    void previousRecordStopsOnTheFirstRow()
    {
        Recordset rs = threeRows();
        QVERIFY(MovePreviousRecord(rs));
        QCOMPARE(rs.value("id").toInt(), 1);
        QCOMPARE(boxes->texts(), QStringList{"This is the First Record"});
        rs.MoveLast();
        boxes->clear();
        QVERIFY(MovePreviousRecord(rs));
        QCOMPARE(rs.value("id").toInt(), 2);
        QVERIFY(boxes->shown.isEmpty());
    }

    void endsOfTheRecordsetAreRefused()
    {
        Recordset rs = threeRows();
        rs.MoveLast();
        rs.MoveNext();  // at EOF
        QVERIFY(!MoveNextRecord(rs));
        QCOMPARE(boxes->texts(), QStringList{"This is the Last Record"});
        boxes->clear();
        rs.MoveFirst();
        rs.MovePrevious();  // at BOF
        QVERIFY(!MovePreviousRecord(rs));
        QCOMPARE(boxes->texts(), QStringList{"This is the First Record"});
        boxes->clear();
        QVERIFY(!MoveFirstRecord(rs));
        rs.MoveFirst();
        QVERIFY(MoveLastRecord(rs));
        QCOMPARE(rs.value("id").toInt(), 3);
        QVERIFY(MoveFirstRecord(rs));
        QCOMPARE(rs.value("id").toInt(), 1);
        QVERIFY(boxes->shown.isEmpty());
    }

    void emptyRecordsetHasNothingToDisplay()
    {
        Recordset rs = Recordset::fromRows({"id"}, {});
        QVERIFY(!MoveNextRecord(rs));
        QVERIFY(!MovePreviousRecord(rs));
        QVERIFY(!MoveFirstRecord(rs));
        QVERIFY(!MoveLastRecord(rs));
        QCOMPARE(boxes->texts(), QStringList(4, "No Record To Display"));
        // A filter that leaves no rows is just as empty.
        Recordset filtered = threeRows();
        filtered.setFilter("id=9");
        boxes->clear();
        QVERIFY(!MoveNextRecord(filtered));
        QCOMPARE(boxes->texts(), QStringList{"No Record To Display"});
    }

    void employeeNames()
    {
        TempDatabase database;
        database.openShared();
        Db& db = database.db();
        db.exec("insert into Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) "
                "values (?,?,?,?)",
                {1, "Seán", "O'Neil", "Dü;\"pont"});
        db.exec("insert into Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) "
                "values (?,?,?,?)",
                {2, "Ann", QVariant(), "Lee"});
        db.exec("insert into Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) "
                "values (?,?,?,?)",
                {3, "Bo", "", "Ek"});
        QCOMPARE(GetEmployeeName(1), QString("Seán O'Neil Dü;\"pont"));
        QCOMPARE(GetEmployeeName(2), QString(" "));
        QCOMPARE(GetEmployeeName(3), QString("Bo  Ek"));
        QCOMPARE(GetEmployeeName(99), QString());
    }

    void codeNames()
    {
        QCOMPARE(PrivilegeName(2), QString("2 - Administrator"));
        QCOMPARE(PrivilegeName(7), QString());
        QCOMPARE(SuperLogOperationName(15), SuperLogOperationName(16));
        QCOMPARE(SuperLogOperationName(0), QString());
        QCOMPARE(SuperLogOperationName(31), QString());
    }

    void comboAndListHelpers()
    {
        QComboBox combo;
        combo.addItem("Alpha", 10);
        combo.addItem("Beta", 20);
        combo.addItem("beta", 30);
        combo.setCurrentIndex(0);
        SelectComboItem(&combo, 99, "Beta");
        QCOMPARE(combo.currentIndex(), 0);
        SelectComboItem(&combo, 30, "Alpha");
        QCOMPARE(combo.currentIndex(), 2);
        // -1 matches the text, case and all, not the item data.
        SelectComboItem(&combo, -1, "Beta");
        QCOMPARE(combo.currentIndex(), 1);
        SelectComboItem(&combo, -1, "BETA");
        QCOMPARE(combo.currentIndex(), 1);

        QTreeWidget list;
        QCOMPARE(CountCheckedItems(&list), 0);
        for (int i = 0; i < 4; ++i) {
            auto* item = new QTreeWidgetItem(&list, {QString::number(i)});
            item->setCheckState(0, i % 2 ? Qt::Checked : Qt::Unchecked);
        }
        QCOMPARE(CountCheckedItems(&list), 2);
    }

    void timestampedNames_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("stem");
        QTest::newRow("afternoon") << QDateTime(QDate(2026, 12, 6), QTime(14, 26, 57))
                                   << "12.06.2026 02.26.57 Pm";
        QTest::newRow("just after midnight") << QDateTime(QDate(2026, 1, 2), QTime(0, 5, 0))
                                             << "01.02.2026 12.05.00 Am";
        QTest::newRow("noon") << QDateTime(QDate(2026, 7, 31), QTime(12, 0, 9))
                              << "07.31.2026 12.00.09 Pm";
        QTest::newRow("morning") << QDateTime(QDate(2026, 3, 7), QTime(9, 30, 0))
                                 << "03.07.2026 09.30.00 Am";
    }

    void timestampedNames()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, stem);
        QCOMPARE(timestampedFileStem(when), stem);
    }

    void timestampedFileWithinOneSecondIsANewOne()
    {
        Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(14, 26, 57)));
        QString folder = env->root();
        QVERIFY(WriteTimestampedFile("insert into attd values ('Zoë''s', 1);", folder));
        QCOMPARE(folder, env->root() + "/12.06.2026 02.26.57 Pm.txt");
        QCOMPARE(shared().LastTextFilePath, folder);
        Clock::advance(500);
        QString again = env->root();
        QVERIFY(WriteTimestampedFile("second", again));
        QCOMPARE(again, env->root() + "/12.06.2026 02.26.57 Pm (2).txt");
        QCOMPARE(shared().LastTextFilePath, again);
        QFile f(folder);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()),
                 QString("insert into attd values ('Zoë''s', 1);\r\n"));
        Clock::advance(1000);
        QString later = env->root();
        WriteTimestampedFile("third", later);
        QVERIFY(later.endsWith("02.26.58 Pm.txt"));
    }

    // A long text is written in pieces: a character past U+FFFF across a piece's end
    // still comes out as its four bytes.
    void timestampedFileLongTextExact()
    {
        const QString text =
            QStringLiteral("a") + QString::fromUtf8("\xF0\x9F\x98\x80").repeated(70000) + "ä";
        QString folder = env->root();
        QVERIFY(WriteTimestampedFile(text, folder));
        QFile f(folder);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == text.toUtf8() + "\r\n");
    }

    void schedulerLogCreatesThenAppends()
    {
        QVERIFY(!QFile::exists(env->homeDir() + "/SchedulerLOG.txt"));
        WriteSchedulerLog("first \"line\"; 'ä'");
        QCOMPARE(schedulerLog(), QString("first \"line\"; 'ä'\r\n").toUtf8());
        WriteSchedulerLog("second");
        QCOMPARE(schedulerLog(), QString("first \"line\"; 'ä'\r\nsecond\r\n").toUtf8());
    }

    void schedulerLogThatCannotBeWrittenIsDropped()
    {
        // A program folder that is a file: nothing can be created in it, even as root.
        const QString blocked = env->root() + "/not-a-folder";
        QFile f(blocked);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("QUORVANE_HOME", blocked.toUtf8());
        WriteSchedulerLog("lost");
        QVERIFY(boxes->shown.isEmpty());
        QString folder = blocked;
        QVERIFY(!WriteTimestampedFile("lost too", folder));
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(QFileInfo(blocked).size(), 0);
    }

    void enterMovesExactlyOneField()
    {
        QWidget form;
        auto* layout = new QVBoxLayout(&form);
        auto* first = new QLineEdit("one", &form);
        auto* second = new QLineEdit("two", &form);
        auto* third = new QComboBox(&form);
        third->addItems({"0 - User", "3 - Supervisor"});
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(third);
        auto* date = new QDateEdit(QDate(2031, 12, 7), &form);
        date->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
        layout->addWidget(date);
        installFieldBehaviour(date);
        int f1 = 0;
        installFieldBehaviour(first);
        installFieldBehaviour(second, true, [&f1] { ++f1; });
        installFieldBehaviour(third);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        first->setFocus();
        QTRY_VERIFY(first->hasFocus());
        QCOMPARE(first->palette().color(QPalette::Base), QColor(189, 211, 243));
        QTest::keyClick(first, Qt::Key_Return);
        QTRY_VERIFY(second->hasFocus());
        QCOMPARE(first->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(first->palette().color(QPalette::Disabled, QPalette::Base),
                 QApplication::palette(first).color(QPalette::Disabled, QPalette::Base));
        QCOMPARE(second->palette().color(QPalette::Base), QColor(189, 211, 243));
        QTRY_COMPARE(second->selectedText(), QString("two"));
        QTest::keyClick(second, Qt::Key_F1);
        QCOMPARE(f1, 1);
        QVERIFY(second->hasFocus());
        QTest::keyClick(second, Qt::Key_Enter);
        QTRY_VERIFY(third->hasFocus());
        // A drop-down list shows the focus colour too: it is drawn in the button colour.
        QCOMPARE(third->palette().color(QPalette::Button), QColor(189, 211, 243));
        QTest::keyClick(third, Qt::Key_Tab);
        QTest::keyClicks(date, QStringLiteral("03/05/2026"));
        QCOMPARE(date->date(), QDate(2026, 3, 5));
    }

    void typedDates_data()
    {
        QTest::addColumn<QString>("format");   // the history screen's has the date typing alone
        QTest::addColumn<QString>("typed");    // after each step of the reach, split at |
        QTest::addColumn<QList<int>>("reach"); // clicks (characters in), Tab -1, Shift+Tab -2
        QTest::addColumn<QString>("read");
        const QString us = "MM/dd/yyyy", iso = "yyyy/MM/dd", eu = "dd.MM.yyyy", clock = "hh:mm AP";
        QTest::newRow("second click") << us << "|11/30/2026" << QList{0, 8} << "2026-11-30 00:00";
        QTest::newRow("click mid") << iso << "2026/03/05" << QList{6} << "2026-03-05 00:00";
        QTest::newRow("Shift+Tab") << iso << "2026/03/05" << QList{-2} << "2026-03-05 00:00";
        QTest::newRow("leap day") << us << "02/29/2028" << QList{-1} << "2028-02-29 00:00";
        QTest::newRow("corrected") << us << "1\b11/30/2026" << QList{-1} << "2026-11-30 00:00";
        QTest::newRow("day first") << eu << "|29.02.2028" << QList{0, 4} << "2028-02-29 00:00";
        QTest::newRow("one section") << us << "|15" << QList{0, 4} << "2026-12-15 00:00";
        QTest::newRow("re-click") << iso << "15|2027/03/05" << QList{8, 0} << "2027-03-05 00:00";
        QTest::newRow("24-hour") << clock << "14:30" << QList{-1} << "2026-12-07 14:30";
        QTest::newRow("24-hour hour") << clock << "143" << QList{0} << "2026-12-07 14:03";
        QTest::newRow("12-hour hour") << clock << "11" << QList{0} << "2026-12-07 11:10";
        QTest::newRow("12-hour") << clock << "2:30PM" << QList{-1} << "2026-12-07 14:30";
        QTest::newRow("afternoon") << clock << "14|1:30" << QList{-1, 0} << "2026-12-07 13:30";
    }

    // Whole dates and times read as typed, whichever section the field was reached in.
    void typedDates()
    {
        QFETCH(QString, format);
        QFETCH(QString, typed);
        QFETCH(QList<int>, reach);
        QWidget form;
        auto* beside = new QLineEdit(&form); // before and after the field in tab order
        auto* field = new QDateTimeEdit(QDateTime({2026, 12, 7}, {9, 10}), &form);
        auto* text = field->findChild<QLineEdit*>(); // where the mouse meets the field
        field->setDisplayFormat(format);
        format == "yyyy/MM/dd" ? installDateTyping(field) : installFieldBehaviour(field);
        form.show();
        QApplication::setActiveWindow(&form); // the field beside it takes the focus
        for (int i = 0; i < reach.size(); ++i) {
            const int x = text->fontMetrics().horizontalAdvance(field->text().left(reach[i])) + 3;
            if (reach[i] < 0)
                QTest::keyClick(beside, reach[i] == -1 ? Qt::Key_Tab : Qt::Key_Backtab);
            else
                QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(x, text->height() / 2));
            QTest::keyClicks(field, typed.section('|', i, i));
        }
        QTest::mouseClick(beside, Qt::LeftButton); // and leaves the field
        QTEST(field->dateTime().toString("yyyy-MM-dd HH:mm"), "read");
    }

    // Telling a type from a file's content opens and closes the file, which drops this
    // process's locks on it: the open dialog must not do that to the database beside it.
    void openDialogReadsNoFileContent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("punches.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("SQLite format 3", 16) + QByteArray(100, '\0'));
        file.close();
        QString type;
        answerNextModal([&](QWidget* shown) {
            auto* dialog = qobject_cast<QFileDialog*>(shown);
            type = dialog && dialog->iconProvider() ? dialog->iconProvider()->type(QFileInfo(path))
                                                    : QStringLiteral("no dialog");
            shown->close();
        });
        QCOMPARE(GetOpenFileName(nullptr, QStringLiteral("Open"), dir.path(),
                                 QStringLiteral("*.dat (*.dat)")),
                 QString());
        QCOMPARE(type, QStringLiteral("DAT File"));
    }
};

QTEST_MAIN(TestModFunction)
#include "tst_modfunction.moc"
