// The USB import against a temporary database: what is stored, what replaces what, and
// what survives a database that stops taking writes half-way.

#include "records/UsbImport.h"
#include "records/frmUSBDataImport.h"
#include "shell/FileDialog.h"
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace {
const QStringList kTables{QStringLiteral("Tbl_DeviceAttenLog"),
                          QStringLiteral("tbl_attendancelog")};

// `lines` distinct punches of ten users, a minute apart from 1 March 2026 on, CR LF.
QByteArray punchFile(int lines)
{
    QByteArray bytes;
    const QDateTime start(QDate(2026, 3, 1), QTime(6, 0));
    for (int i = 0; i < lines; ++i)
        bytes +=
            QStringLiteral("%1\t%2\t1\t%3\t0\r\n")
                .arg(i % 10 + 1)
                .arg(start.addSecs(qint64(i) * 60).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                .arg(i % 2)
                .toLatin1();
    return bytes;
}
} // namespace

class TestUsbImport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;
    Db& db() { return f->db(); }

    QString writeFile(const QByteArray& bytes, const QString& name = QStringLiteral("log.dat"))
    {
        const QString path = f->env.root() + QLatin1Char('/') + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return path;
    }

private Q_SLOTS:
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup()
    {
        setOpenFileNameHandler({});
        f.reset();
    }

    void storesListsAndReplaces()
    {
        // A punch stored from a terminal, which the file's punch of the same key replaces.
        for (const QString& table : kTables)
            db().exec(QStringLiteral("insert into %1 (Emp_ID, VerifyMode, InOutMode, LogDate, "
                                     "LogTime, ExtractedFrom, isnew, emp_name) "
                                     "values (42, 2, 1, '2026-03-07', '08:05:03', 9, 1, '')")
                          .arg(table));
        const QString path = writeFile("   00042\t2026-03-07 08:05:03\t1\t0\textra\r\n"
                                       "7\t2026/3/7 5:00 PM\t15\t9\r\n"
                                       "7\t2026-03-07 17:00:00\t0\t5\r\n" // the later line wins
                                       "bad line\r\n",
                                       QStringLiteral("Porte d'Entrée ü.dat"));
        UsbPunchList list;
        const UsbImport::Result result = UsbImport::extract(db(), path, 5, list);
        QCOMPARE(result.punches, 3);
        QCOMPARE(result.stored, 3);
        QCOMPARE(result.malformed, 1);
        QCOMPARE(result.firstMalformed, QStringList{"line 4: it has 1 field; four are needed"});
        QCOMPARE(list.rowCount(), 3);
        const auto cell = [&](int r, int c) { return list.data(list.index(r, c)).toString(); };
        QCOMPARE((QStringList{cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3), cell(0, 4)}),
                 (QStringList{"42", "", "FPrint", "On-Duty", "2026-03-07 08:05:03"}));
        QCOMPARE((QStringList{cell(1, 2), cell(1, 3), cell(1, 4), cell(2, 2), cell(2, 3)}),
                 (QStringList{"Face", "", "2026/3/7 5:00 PM", "Password", "OT Out"}));

        for (const QString& table : kTables) {
            QSqlQuery q = db().exec(QStringLiteral("select Emp_ID, VerifyMode, InOutMode, LogDate, "
                                                   "LogTime, ExtractedFrom, isnew, emp_name "
                                                   "from %1 order by Emp_ID desc")
                                        .arg(table));
            QStringList rows;
            while (q.next()) {
                QStringList cells;
                for (int c = 0; c < 8; ++c)
                    cells << q.value(c).toString();
                rows << cells.join(QLatin1Char(' '));
            }
            QCOMPARE(rows, (QStringList{"42 1 0 2026-03-07 08:05:03 5 1 USB",
                                        "7 0 5 2026-03-07 17:00:00 5 1 USB"}));
        }

        // Importing again leaves each punch once.
        UsbImport::extract(db(), path, 5, list);
        for (const QString& table : kTables)
            QCOMPARE(countRows(db(), table), 2);
    }

    void viewStoresNothing()
    {
        UsbPunchList list;
        const UsbImport::Result result = UsbImport::view(writeFile(punchFile(10000)), list);
        QCOMPARE(result.punches, 10000);
        QCOMPARE(list.rowCount(), 10000);
        QCOMPARE(countRows(db(), kTables[0]), 0);
    }

    void refusedAndUnreadableFiles()
    {
        UsbPunchList list;
        QVERIFY(UsbImport::view(writeFile(QByteArray("1\0\t\0", 4)), list).refused);
        QVERIFY(!UsbImport::view(writeFile(QByteArray()), list).anyRecord());
        try {
            UsbImport::view(f->env.root(), list);
            QFAIL("a folder must not read as a file");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), UsbImport::FileError);
        }
    }

    void failingDatabaseKeepsWholePunches_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("failAt");
        QTest::newRow("first chunk") << 1000 << 500;
        QTest::newRow("later chunk") << 9000 << 8500;
    }

    void failingDatabaseKeepsWholePunches()
    {
        QFETCH(int, lines);
        QFETCH(int, failAt);
        const QString path = writeFile(punchFile(lines));
        // The second table refuses once it holds failAt rows, after the first took the punch.
        refuseInsertsFrom(db(), QStringLiteral("tbl_attendancelog"), failAt);
        UsbPunchList list;
        try {
            UsbImport::extract(db(), path, 1, list, [&] { QVERIFY(!db().inTransaction()); });
            QFAIL("a failing database must end the run");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("Line %1 ").arg(failAt + 1)) &&
                         e.text().contains(QStringLiteral("The %1 punches").arg(failAt)),
                     qPrintable(e.text()));
        }
        QCOMPARE(countRows(db(), kTables[0]), failAt);
        QCOMPARE(countRows(db(), kTables[1]), failAt);
        QCOMPARE(unmatchedPunches(db()), 0);

        allowInsertsAgain(db());
        QCOMPARE(UsbImport::extract(db(), path, 1, list).stored, lines);
        for (const QString& table : kTables)
            QCOMPARE(countRows(db(), table), lines);
    }

    // The screen: file checks and closing messages, each shown once with its style.
    void screenMessages_data()
    {
        QTest::addColumn<QByteArray>("file"); // "" : no file at all; "/" : a folder
        QTest::addColumn<bool>("extract");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        const QString noFile = QStringLiteral(
            "The selected file is not a valid one or the file path is not readable.");
        QTest::newRow("empty path") << QByteArray() << true << "Invalid File" << 48;
        QTest::newRow("folder") << QByteArray("/") << false << noFile << 0;
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE"
                                              "1\0\t\0",
                                              6)
                                << true << noFile << 0;
        QTest::newRow("no record")
            << QByteArray("\r\n,\r\n") << true << "No data to download" << 48;
        QTest::newRow("viewed") << punchFile(3) << false << "Data Successfully Viewed" << 64;
        QTest::newRow("extracted") << punchFile(3) << true << "Data Extracted Successfully" << 64;
        QTest::newRow("skipped")
            << QByteArray("1\t2026-03-07 08:00\t1\t0\r\n1\t2026-02-29 08:00\t1\t0\r\n"
                          "-5\t2026-03-07 08:00\t1\t0\r\n1\t1700-03-07 08:00\t1\t0\r\n")
            << true
            << "Some data could not be saved\n\n3 record(s) could not be read and were skipped:\n"
               "line 2: the date and time \"2026-02-29 08:00\" cannot be read\n"
               "line 3: the user number -5 is below 0\nline 4: the year is out of range"
            << 48;
    }

    void screenMessages()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, extract);
        QFETCH(QString, message);
        QFETCH(int, style);
        f->registerTerminal(3, QStringLiteral("Gate"), 1, QStringLiteral("4370"));
        frmUSBDataImport screen(nullptr);
        auto* txtfile = screen.findChild<QLineEdit*>(QStringLiteral("txtfile"));
        if (file == "/")
            txtfile->setText(f->env.root());
        else if (message != QLatin1String("Invalid File"))
            txtfile->setText(writeFile(file));
        if (extract)
            screen.cmdExtract_Click();
        else
            screen.cmdView_Click();
        QCOMPARE(f->messages.shown, (QVector<QPair<QString, int>>{{message, style}}));
        QVERIFY(f->errors.calls.isEmpty());
        if (style == 64) // the file's three punch lines, each listed once
            QCOMPARE(screen.findChild<QTreeView*>("lsv")->model()->rowCount(), 3);
    }

    void screenExtractsToTheChosenTerminal()
    {
        f->registerTerminal(3, QStringLiteral("Gate"), 1, QStringLiteral("4370"));
        f->registerTerminal(5, QStringLiteral("Porte d'Entrée"), 1, QStringLiteral("4371"));
        const QString folder = f->env.root() + QStringLiteral("/O'Hara's ü stick");
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/punch log ü.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(punchFile(10));
        file.close();

        frmUSBDataImport screen(nullptr);
        auto* combo = screen.findChild<QComboBox*>(QStringLiteral("cboExtractedFrom"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Porte d'Entrée"));
        combo->setCurrentIndex(1);
        // A second browse that is cancelled keeps the path chosen before.
        QStringList answers{file.fileName(), QString()};
        setOpenFileNameHandler([&](const QString&, const QString&, const QString& filter) {
            return filter == QLatin1String("*.dat (*.dat)") ? answers.takeFirst() : QString();
        });
        screen.cmdBrowse_Click();
        screen.cmdBrowse_Click();
        QCOMPARE(screen.findChild<QLineEdit*>(QStringLiteral("txtfile"))->text(), file.fileName());
        screen.cmdExtract_Click();
        QCOMPARE(f->messages.texts(), QStringList{"Data Extracted Successfully"});
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from tbl_attendancelog where "
                                            "ExtractedFrom=5 and emp_name='USB'"))
                     .toInt(),
                 10);
    }

    void screenWithoutTerminalDeletesNothing()
    {
        for (const QString& table : kTables)
            db().exec(QStringLiteral("insert into %1 (Emp_ID, VerifyMode, InOutMode, LogDate, "
                                     "LogTime, ExtractedFrom, isnew, emp_name) "
                                     "values (1, 1, 0, '2026-03-01', '06:00:00', 9, 1, '')")
                          .arg(table));
        frmUSBDataImport screen(nullptr);
        QVERIFY(!screen.findChild<QPushButton*>(QStringLiteral("cmdExtract"))->isEnabled());
        screen.findChild<QLineEdit*>(QStringLiteral("txtfile"))->setText(writeFile(punchFile(5)));
        screen.cmdExtract_Click();
        QVERIFY(f->messages.shown.isEmpty());
        QCOMPARE(screen.list().rowCount(), 0);
        QCOMPARE(db().scalar(QStringLiteral("select ExtractedFrom from tbl_attendancelog")).toInt(),
                 9);
    }

    // While Extract yields, the main window is busy and the screen neither closes nor starts
    // again; a failing database then ends the run with the error dialog and no success.
    void screenRunGuardsAndFailure()
    {
        f->registerTerminal(3, QStringLiteral("Gate"), 1, QStringLiteral("4370"));
        f->load();
        const QString path = writeFile(punchFile(9000));
        refuseInsertsFrom(db(), QStringLiteral("tbl_attendancelog"), 8500);
        frmUSBDataImport screen(f->window.get());
        screen.show();
        screen.findChild<QLineEdit*>(QStringLiteral("txtfile"))->setText(path);
        bool checked = false;
        QTimer::singleShot(0, &screen, [&] {
            checked = true;
            QVERIFY(f->window->isBusy());
            QVERIFY(screen.isRunning());
            QVERIFY(!screen.findChild<QPushButton*>(QStringLiteral("cmdView"))->isEnabled());
            QVERIFY(!screen.findChild<QComboBox*>(QStringLiteral("cboExtractedFrom"))->isEnabled());
            screen.close();
            QVERIFY(screen.isVisible());
            screen.cmdView_Click();
        });
        screen.cmdExtract_Click();
        QVERIFY(checked);
        QVERIFY(!f->window->isBusy());
        QVERIFY(screen.findChild<QPushButton*>(QStringLiteral("cmdView"))->isEnabled());
        QVERIFY(f->messages.shown.isEmpty());
        QCOMPARE(f->errors.calls.size(), 1);
        QCOMPARE(f->errors.calls[0].proc, QStringLiteral("cmdExtract_Click()"));
        QVERIFY2(f->errors.calls[0].error.description.contains(QLatin1String("Line 8501 ")),
                 qPrintable(f->errors.calls[0].error.description));
        for (const QString& table : kTables)
            QCOMPARE(countRows(db(), table), 8500);
        QVERIFY(screen.list().rowCount() >= 8500);
        // The close asked for during the run happened at its end.
        QVERIFY(!screen.isVisible());
    }
};

QTEST_MAIN(TestUsbImport)
#include "tst_usbimport.moc"
