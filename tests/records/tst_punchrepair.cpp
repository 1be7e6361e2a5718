// Punch repair: which punches the query lists with which names, how clicks queue rows, and
// what Execute changes, against a temporary database and a simulated terminal.

#include "records/frmDataRepair.h"
#include "shell/MsgBox.h"
#include "support/WindowFixture.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QComboBox>
#include <QSqlQuery>
#include <QtTest>

namespace {
// One punch in tbl_attendancelog.
void punch(Db& db, int user, const QString& date, const QString& time, const QVariant& verify = 1,
           const QVariant& inOut = 0)
{
    db.exec(QStringLiteral("insert into tbl_attendancelog (Emp_ID, VerifyMode, InOutMode, LogDate, "
                           "LogTime, ExtractedFrom, isnew, emp_name) "
                           "values (?, ?, ?, ?, ?, 1, 1, '')"),
            {user, verify, inOut, date, time});
}

QStringList stored(Db& db)
{
    QSqlQuery q = db.exec(QStringLiteral("select Emp_ID, LogDate, LogTime, InOutMode from "
                                         "tbl_attendancelog order by Emp_ID, LogDate, LogTime"));
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1 %2 %3 %4")
                    .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                         q.value(3).toString());
    return rows;
}
} // namespace

class TestPunchRepair : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;
    Db& db() { return f->db(); }

    // Five punches: users 7 (two on 7 March, given out of time order), 40000, 3 and 9.
    void fill()
    {
        punch(db(), 7, QStringLiteral("2026-03-07"), QStringLiteral("17:00:00"), 15, 9);
        punch(db(), 7, QStringLiteral("2026-03-07"), QStringLiteral("08:00:00"), 1, -1);
        punch(db(), 40000, QStringLiteral("2026-03-07"), QStringLiteral("09:00:00"), 0, 6);
        punch(db(), 3, QStringLiteral("2026-03-08"), QStringLiteral("10:00:00"), 2, 1);
        punch(db(), 9, QStringLiteral("2026-03-06"), QStringLiteral("11:00:00"), 1, 0);
    }

    // The main window with a terminal holding two of the users, linked when asked.
    std::unique_ptr<frmDataRepair> screen(bool linked)
    {
        SimState state;
        state.machine = 5;
        state.users = {simUser(QStringLiteral("7"), QStringLiteral("O'Brien")),
                       simUser(QStringLiteral("40000"), QStringLiteral("Zoë"))};
        f->addTerminal(5, QStringLiteral("Gate"), state);
        f->load();
        if (linked)
            [&] { QVERIFY(f->connectRow(1)); }();
        else
            f->select(1);
        return std::make_unique<frmDataRepair>(f->window.get());
    }

    static QStringList grid(const frmDataRepair& s)
    {
        QStringList rows;
        for (int r = 0; r < s.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c <= frmDataRepair::ColX; ++c)
                cells << s.TextMatrix(r, c);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    void query(frmDataRepair& s, const QString& user, const QDate& first, const QDate& last)
    {
        s.findChild<QComboBox*>(QStringLiteral("cboUserID"))->setEditText(user);
        s.setSelection(first, last);
        s.cmdShow_Click();
    }

private Q_SLOTS:
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup() { f.reset(); }

    void userNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("number");
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("no number") << "abc" << qint64(0);
        QTest::newRow("leading number") << " 42abc" << qint64(42);
        QTest::newRow("half to even, down") << "2.5" << qint64(2);
        QTest::newRow("half to even, up") << "3.5" << qint64(4);
        QTest::newRow("past 16 bits") << "40000" << qint64(40000);
        QTest::newRow("negative") << "-3" << qint64(-3);
    }

    void userNumber()
    {
        QFETCH(QString, text);
        QFETCH(qint64, number);
        QCOMPARE(PunchRepair::userNumber(text), number);
    }

    void queryListsWithNames_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("rows");
        const QString o = QStringLiteral("O'Brien"), z = QStringLiteral("Zoë");
        QTest::newRow("all users, one day")
            << true << ""
            << QStringList{"7|" + o + "|2026-03-07|08:00:00|1|FPrint|-1|Check In|[X]",
                           "7|" + o + "|2026-03-07|17:00:00|15|15|9|9|[X]",
                           "40000|" + z + "|2026-03-07|09:00:00|0|Card|6||[X]",
                           "40001||2026-03-07|07:00:00|||||[X]"};
        QTest::newRow("user 0 is all users")
            << true << "0"
            << QStringList{"7|" + o + "|2026-03-07|08:00:00|1|FPrint|-1|Check In|[X]",
                           "7|" + o + "|2026-03-07|17:00:00|15|15|9|9|[X]",
                           "40000|" + z + "|2026-03-07|09:00:00|0|Card|6||[X]",
                           "40001||2026-03-07|07:00:00|||||[X]"};
        QTest::newRow("user 40000")
            << true << "40000" << QStringList{"40000|" + z + "|2026-03-07|09:00:00|0|Card|6||[X]"};
        QTest::newRow("link down: no names")
            << false << ""
            << QStringList{"7||2026-03-07|08:00:00|1|FPrint|-1|Check In|[X]",
                           "7||2026-03-07|17:00:00|15|15|9|9|[X]",
                           "40000||2026-03-07|09:00:00|0|Card|6||[X]",
                           "40001||2026-03-07|07:00:00|||||[X]"};
    }

    void queryListsWithNames()
    {
        QFETCH(bool, linked);
        QFETCH(QString, user);
        QFETCH(QStringList, rows);
        fill();
        // Modes that are NULL show as nothing, not as the names of mode 0.
        punch(db(), 40001, QStringLiteral("2026-03-07"), QStringLiteral("07:00:00"), {}, {});
        auto s = screen(linked);
        query(*s, user, QDate(2026, 3, 7), QDate(2026, 3, 7));
        QCOMPARE(grid(*s), rows);
        QVERIFY(f->errors.calls.isEmpty());
    }

    void shiftClickExtendsTheDays()
    {
        fill();
        auto s = screen(false);
        s->mvw_Click(QDate(2026, 3, 8), Qt::NoModifier);
        s->mvw_Click(QDate(2026, 3, 6), Qt::ShiftModifier);
        QCOMPARE(s->SelStart(), QDate(2026, 3, 6));
        QCOMPARE(s->SelEnd(), QDate(2026, 3, 8));
        s->cmdShow_Click();
        QCOMPARE(s->rowCount(), 5);
        // The arrow keys move the day the query takes, Shift extends the range.
        s->mvw_Click(QDate(2026, 3, 6), Qt::NoModifier);
        auto* days = s->findChild<QCalendarWidget*>(QStringLiteral("mvw"))
                         ->findChild<QAbstractItemView*>();
        QTest::keyClick(days, Qt::Key_Right);
        s->cmdShow_Click();
        QCOMPARE(s->rowCount(), 3);
        QTest::keyClick(days, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(s->SelStart(), QDate(2026, 3, 7));
        QCOMPARE(s->SelEnd(), QDate(2026, 3, 8));
    }

    void clicksQueueAndExecuteChanges()
    {
        fill();
        auto s = screen(false);
        query(*s, QString(), QDate(2026, 3, 6), QDate(2026, 3, 8));
        // Rows: 3, 7 08:00, 7 17:00, 9, 40000.
        QCOMPARE(s->TextMatrix(0, 0), QStringLiteral("3"));
        s->cmdExecute_Click();
        QCOMPARE(f->messages.shown.takeLast(),
                 qMakePair(QStringLiteral("No data changes made."), 48));

        // [X] twice on an unchanged row leaves it unchanged.
        s->GridLogData_Click(0, frmDataRepair::ColX);
        s->GridLogData_Click(0, frmDataRepair::ColX);
        QCOMPARE(s->rowState(0), 1);
        // A mode chosen for a row queues it for that mode.
        auto* modes = s->findChild<QComboBox*>(QStringLiteral("cboLogType"));
        s->FillLogTypeCombo();
        QCOMPARE(modes->count(), 6);
        s->GridLogData_Click(1, frmDataRepair::ColLogMode);
        QCOMPARE(modes->currentText(), QStringLiteral("Check In"));
        modes->setCurrentIndex(5);
        s->cboLogType_Click();
        QCOMPARE(s->TextMatrix(1, frmDataRepair::ColLM), QStringLiteral("5"));
        QCOMPARE(s->TextMatrix(1, frmDataRepair::ColLogMode), QStringLiteral("OT Out"));
        QCOMPARE(s->rowState(1), 2);
        // Deleting a modified row asks first; No keeps the mode.
        f->messages.answers = {vbNo};
        s->GridLogData_Click(1, frmDataRepair::ColX);
        QCOMPARE(s->rowState(1), 2);
        // Modified, then queued for deletion (Yes), then unmarked: left alone by Execute,
        // though it still shows the mode chosen.
        s->GridLogData_Click(2, frmDataRepair::ColLogMode);
        modes->setCurrentIndex(3);
        s->cboLogType_Click();
        f->messages.answers = {vbYes};
        s->GridLogData_Click(2, frmDataRepair::ColX);
        QCOMPARE(s->rowState(2), -1);
        s->GridLogData_Click(2, frmDataRepair::ColX);
        QCOMPARE(s->rowState(2), 1);
        QCOMPARE(s->TextMatrix(2, frmDataRepair::ColLogMode), QStringLiteral("Break In"));
        s->GridLogData_Click(3, frmDataRepair::ColX);
        s->GridLogData_Click(4, frmDataRepair::ColX);
        QCOMPARE(s->rowState(4), -1);

        f->messages.clear();
        f->messages.answers = {vbNo, vbYes};
        s->cmdExecute_Click();
        const QString question =
            QStringLiteral("There are 2 item(s) queued for deletion and 1 "
                           "item(s) for modification. Do you want to proceed?");
        QCOMPARE(f->messages.shown.size(), 1);
        QCOMPARE(stored(db()).size(), 5);
        s->cmdExecute_Click();
        QCOMPARE(f->messages.shown,
                 (QVector<QPair<QString, int>>{
                     {question, 36}, {question, 36}, {"Commands executed successfully", 64}}));
        QCOMPARE(stored(db()), (QStringList{"3 2026-03-08 10:00:00 1", "7 2026-03-07 08:00:00 5",
                                            "7 2026-03-07 17:00:00 9"}));
        // The states stay after Execute.
        QCOMPARE(s->rowState(4), -1);
    }

    void refusedChangeEndsExecute()
    {
        for (int user = 1; user <= 5; ++user)
            punch(db(), user, QStringLiteral("2026-03-07"), QStringLiteral("08:00:00"));
        // The third change is refused.
        db().execDirect(QStringLiteral("create trigger refuse before delete on tbl_attendancelog "
                                       "when old.Emp_ID = 3 begin select raise(abort, 'attempt "
                                       "to write a readonly database'); end"));
        auto s = screen(false);
        query(*s, QString(), QDate(2026, 3, 7), QDate(2026, 3, 7));
        for (int row = 0; row < 5; ++row)
            s->GridLogData_Click(row, frmDataRepair::ColX);
        s->cmdExecute_Click();
        QCOMPARE(f->messages.texts(), QStringList{"There are 5 item(s) queued for deletion. Do "
                                                  "you want to proceed?"});
        QCOMPARE(f->errors.calls.size(), 1);
        QCOMPARE(f->errors.calls[0].form, QStringLiteral("frmDataRepair"));
        QCOMPARE(f->errors.calls[0].proc, QStringLiteral("cmdExecute_Click()"));
        QCOMPARE(stored(db()), (QStringList{"3 2026-03-07 08:00:00 0", "4 2026-03-07 08:00:00 0",
                                            "5 2026-03-07 08:00:00 0"}));
    }
};

QTEST_MAIN(TestPunchRepair)
#include "tst_punchrepair.moc"
