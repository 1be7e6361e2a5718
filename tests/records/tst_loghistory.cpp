// The attendance history screen offscreen over the demo organisation: the tree, the search,
// the punch list and the commands' messages.

#include "records/FrmLogHistory.h"
#include "records/RecordsScreens.h"
#include "support/WindowFixture.h"

#include "shell/Clock.h"
#include "shell/MsgBox.h"
#include "shell/Settings.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

namespace {
const QDate kDay(2026, 3, 7);

struct Screen
{
    explicit Screen(WindowFixture& f) : screen(f.window.get())
    {
        screen.Form_Load();
        tree = screen.findChild<QTreeWidget*>("TreeView1");
        list = screen.findChild<QTreeWidget*>("lsv");
    }
    QTreeWidgetItem* node(const QString& text) const
    {
        const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.first() : nullptr;
    }
    // The operator clicks `text` in the tree after choosing the range.
    void click(const QString& text, const QDate& from = kDay, const QDate& to = kDay)
    {
        screen.findChild<QDateEdit*>("DTPicker1")->setDate(from);
        screen.findChild<QDateEdit*>("DTPicker2")->setDate(to);
        QTreeWidgetItem* n = node(text);
        QVERIFY2(n, qPrintable(text));
        tree->setCurrentItem(n);
        screen.TreeView1_Click();
    }
    QStringList listed() const
    {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(
                '|');
        }
        return rows;
    }
    // Node texts under `parent`, or the departments under the root.
    QStringList children(const QString& parent) const
    {
        QStringList texts;
        QTreeWidgetItem* p = node(parent);
        for (int i = 0; p && i < p->childCount(); ++i)
            texts << p->child(i)->text(0);
        return texts;
    }

    FrmLogHistory screen;
    QTreeWidget* tree;
    QTreeWidget* list;
};

void punch(Db& db, int emp, const QDate& day, const QString& time, const QVariant& verify,
           const QVariant& inOut)
{
    db.exec("insert into Tbl_DeviceAttenLog (Emp_ID, VerifyMode, InOutMode, LogDate, LogTime,"
            " ExtractedFrom, isnew, emp_name) values (?,?,?,?,?,1,1,'')",
            {emp, verify, inOut, day.toString(Qt::ISODate), time});
}
} // namespace

class TestLogHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Clock::reset(); }

    void tree()
    {
        WindowFixture f(true);
        // A department only an earlier office record points to stands without employees.
        f.db().exec("insert into tbl_Org_Dept (Dept_ID, Dept_Name) values (4, 'Archive')");
        f.db().exec("insert into Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID) values (0, 1, 4)");
        Screen s(f);
        QVERIFY(f.errors.calls.isEmpty());
        QCOMPARE(s.tree->topLevelItemCount(), 1);
        QCOMPARE(s.tree->topLevelItem(0)->text(0), QString("Harbourline Freight Ltd"));
        QCOMPARE(s.children("Harbourline Freight Ltd"),
                 QStringList({"Administration", "Archive", "Production", "Warehouse"}));
        QVERIFY(s.children("Archive").isEmpty());
        QCOMPARE(s.children("Administration"),
                 QStringList({"Amelia Jane Hart (1)", "Brian  Okafor (2)",
                              "Siobhan Mary O'Brien (3)", "Zoë  Lambert (4)"}));
        // The latest office record decides: Priya Raman moved to the Warehouse.
        QVERIFY(!s.children("Production").contains("Priya  Raman (7)"));
        QVERIFY(s.children("Warehouse").contains("Priya  Raman (7)"));
        QTreeWidgetItem* employee = s.node("Zoë  Lambert (4)");
        QCOMPARE(employee->data(0, FrmLogHistory::TagRole).toString(), QString("4"));
        QCOMPARE(employee->data(0, FrmLogHistory::PictureRole).toInt(), 3);
        QTreeWidgetItem* dept = s.node("Administration");
        dept->setExpanded(false);
        QCOMPARE(dept->data(0, FrmLogHistory::PictureRole).toInt(), 4);
        dept->setExpanded(true);
        QCOMPARE(dept->data(0, FrmLogHistory::PictureRole).toInt(), 2);
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("case of a letter outside ASCII") << "zoë"
                                                        << "Zoë  Lambert (4)";
        QTest::newRow("quote") << "o'brien"
                               << "Siobhan Mary O'Brien (3)";
        QTest::newRow("department") << "WARE"
                                    << "Warehouse";
        QTest::newRow("empty: the root") << ""
                                         << "Harbourline Freight Ltd";
        QTest::newRow("no match: selection kept") << "nobody"
                                                  << "Amelia Jane Hart (1)";
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, found);
        WindowFixture f(true);
        Screen s(f);
        s.tree->setCurrentItem(s.node("Amelia Jane Hart (1)"));
        auto* field = s.screen.findChild<QLineEdit*>("TxtSearch");
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(s.tree->currentItem()->text(0), found);
        QVERIFY(f.messages.shown.isEmpty());
        QTest::keyClick(s.tree, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(field->text(), text);
        QTest::keyClick(s.tree, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(field->text().isEmpty());
    }

    void emptyOrganisation_data()
    {
        QTest::addColumn<int>("signinout");
        QTest::newRow("Signinout 0") << 0;
        QTest::newRow("Signinout 1") << 1;
    }

    // The tree cannot be built, yet the list and the setting are still as they should be.
    void emptyOrganisation()
    {
        QFETCH(int, signinout);
        WindowFixture f(true);
        Settings::setValue(Settings::Signinout, signinout);
        f.db().exec("delete from Tbl_Org");
        Screen s(f);
        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(f.errors.calls[0].proc, QString("Form_Load()"));
        QCOMPARE(s.tree->topLevelItemCount(), 0);
        QCOMPARE(s.list->columnCount(), 4);
        QCOMPARE(s.screen.findChild<QPushButton*>("CmdMakeOut")->isEnabled(), signinout == 1);
        s.screen.TreeView1_Click(); // nothing to click: no error
        QCOMPARE(f.errors.calls.size(), 1);
    }

    void punchList()
    {
        WindowFixture f(true);
        Clock::setNow(QDateTime(kDay, QTime(9, 0)));
        punch(f.db(), 3, kDay, "17:00:00", 2, 1);
        punch(f.db(), 3, kDay, "08:00:00", 1, 0);
        punch(f.db(), 3, kDay, "08:00:00", 1, 0); // stored twice: listed once
        punch(f.db(), 3, kDay.addDays(-1), "12:00:00", QVariant(), QVariant());
        punch(f.db(), 3, kDay.addDays(1), "08:00:00", 4, 3); // outside the range
        Screen s(f);
        QCOMPARE(s.screen.findChild<QDateEdit*>("DTPicker1")->date(), kDay);
        QCOMPARE(s.screen.findChild<QLineEdit*>("NDtBox2")->text(),
                 QLocale().toString(kDay, QLocale::LongFormat));
        s.click("Siobhan Mary O'Brien (3)", kDay.addDays(-1), kDay);
        QVERIFY(f.errors.calls.isEmpty());
        QCOMPARE(s.screen.findChild<QLabel*>("LblEmployee")->text(),
                 QString("Siobhan Mary O'Brien "));
        QCOMPARE(s.listed(),
                 QStringList({"2026/03/06|12:00:00||", "2026/03/07|08:00:00|FPrint|On-Duty",
                              "2026/03/07|17:00:00|Password|Off-Duty"}));
        s.list->setCurrentItem(s.list->topLevelItem(0));
        s.screen.lsv_Click();
        QCOMPARE(s.screen.findChild<QDateEdit*>("DTPicker3")->date(), kDay.addDays(-1));
        s.list->topLevelItem(2)->setCheckState(0, Qt::Checked); // the box alone
        QCOMPARE(s.screen.findChild<QDateEdit*>("DTPicker3")->date(), kDay.addDays(-1));

        // A department click leaves the list alone; a reversed range lists nothing.
        s.click("Administration");
        QCOMPARE(s.listed().size(), 3);
        s.click("Siobhan Mary O'Brien (3)", kDay, kDay.addDays(-1));
        QVERIFY(s.listed().isEmpty());
    }

    void signInAndSignOutMessages()
    {
        WindowFixture f(true);
        punch(f.db(), 3, kDay, "06:00:00", 1, 0);
        punch(f.db(), 3, kDay, "08:00:00", 1, 0);
        punch(f.db(), 3, kDay, "17:00:00", 1, 1);
        punch(f.db(), 3, kDay.addDays(2), "17:00:00", 1, 1);
        Screen s(f);
        s.click("Siobhan Mary O'Brien (3)", kDay, kDay.addDays(2));
        const QRect text = s.list->visualItemRect(s.list->topLevelItem(1));
        QTest::mouseClick(s.list->viewport(), Qt::LeftButton, {}, text.center()); // not its box
        QTest::mouseClick(s.screen.findChild<QPushButton*>("CmdSignIn"), Qt::LeftButton);
        QCOMPARE(f.messages.shown.value(0),
                 qMakePair(QString("Sign in not assigned: no punch is ticked."), 48));
        QCOMPARE(f.db().scalar("select count(*) from Tbl_Emp_Attn_Log_General").toInt(), 0);
        s.list->topLevelItem(1)->setCheckState(0, Qt::Checked);
        // The arrow keys move the selection without listing: the punches stay Siobhan's.
        s.tree->setCurrentItem(s.node("Amelia Jane Hart (1)"));
        s.screen.CmdSignIn_Click();
        QCOMPARE(f.messages.shown.value(1).first,
                 QString("Sign in Time assigned for Siobhan Mary O'Brien (3)"));
        QCOMPARE(f.db().scalar("select count(*) from Tbl_Emp_Attn_Log_General where EMP_ID=3")
                     .toInt(),
                 1);
        s.list->setCurrentItem(s.list->topLevelItem(3), 0, QItemSelectionModel::Clear);
        QTest::keyClick(s.list, Qt::Key_Space); // no punch selected: the sign-out day follows
        QTest::mouseClick(s.screen.findChild<QPushButton*>("CmdSignOut"), Qt::LeftButton);
        QVERIFY(f.messages.texts().last().contains("no sign in on 2026/03/09."));
        s.list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        s.list->topLevelItem(2)->setCheckState(0, Qt::Checked);
        s.screen.findChild<QDateEdit*>("DTPicker3")->setDate(kDay);
        f.messages.clear();
        s.screen.CmdSignOut_Click();
        QCOMPARE(f.messages.texts(),
                 QStringList({"Sign Out Time Assigned To Siobhan Mary O'Brien (3)",
                              "Sign out not assigned to punches before the sign in of that day. "
                              "For a shift past midnight, set the day back.\nSign out not assigned "
                              "to punches more than a day after the sign in of that day."}));
        QCOMPARE(f.messages.shown[1].second, 48);
        QCOMPARE(s.list->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(s.list->topLevelItem(2)->checkState(0), Qt::Unchecked);
    }

    // The 22:00 punch of 7 March selected, the 06:10 punch of 8 March ticked: Sign Out
    // closes the night shift under 7 March.
    void nightShiftSignOut()
    {
        WindowFixture f(true);
        punch(f.db(), 3, kDay, "22:00:00", 1, 0);
        punch(f.db(), 3, kDay.addDays(1), "06:10:00", 1, 1);
        Screen s(f);
        s.click("Siobhan Mary O'Brien (3)", kDay, kDay.addDays(1));
        s.list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        s.screen.CmdSignIn_Click();
        s.list->setCurrentItem(s.list->topLevelItem(0));
        s.screen.lsv_Click();
        s.list->topLevelItem(1)->setCheckState(0, Qt::Checked);
        s.screen.CmdSignOut_Click();
        QCOMPARE(f.messages.texts().last(),
                 QString("Sign Out Time Assigned To Siobhan Mary O'Brien (3)"));
        QCOMPARE(f.db().scalar("select TDATE || ' ' || TDATE_OUT || ' ' || OUTTIME from "
                               "Tbl_Emp_Attn_Log_General where EMP_ID=3").toString(),
                 QString("2026-03-07 2026-03-08 06:10:00"));
    }

    // Mouse ticks, no punch selected: the sign-out day follows them; a late sign-in is refused.
    void signInAndOutByTicksAlone()
    {
        WindowFixture f(true);
        Clock::setNow(QDateTime(kDay.addDays(3), QTime()));
        for (const char* time : {"08:00:00", "17:00:00", "18:00:00"})
            punch(f.db(), 3, kDay, time, 1, 0);
        Screen s(f);
        s.screen.show();
        auto* from = s.screen.findChild<QDateEdit*>("DTPicker1");
        QApplication::setActiveWindow(&s.screen);
        from->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(from, kDay.toString("yyyy/MM/dd")); // a day typed whole
        QCOMPARE(from->date(), kDay);
        s.click("Siobhan Mary O'Brien (3)");
        for (auto [row, name] : {std::pair(0, "CmdSignIn"), {1, "CmdSignOut"}, {2, "CmdSignIn"}}) {
            const QRect box = s.list->visualItemRect(s.list->topLevelItem(row)); // its left end
            QTest::mouseClick(s.list->viewport(), Qt::LeftButton, {},
                              box.topLeft() + QPoint(box.height() / 2, box.height() / 2));
            QTest::mouseClick(s.screen.findChild<QPushButton*>(name), Qt::LeftButton);
        }
        QCOMPARE(f.messages.texts().value(2),
                 QString("Sign in not assigned to punches after the sign out of that day."));
        QCOMPARE(s.list->topLevelItem(2)->checkState(0), Qt::Checked);
        QCOMPARE(f.db().scalar("select INTIME || '-' || OUTTIME from Tbl_Emp_Attn_Log_General"),
                 QVariant("08:00:00-17:00:00"));
    }

    void clearLog_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("No") << int(vbNo) << 1;
        QTest::newRow("Yes") << int(vbYes) << 0;
    }

    void clearLog()
    {
        QFETCH(int, answer);
        QFETCH(int, left);
        WindowFixture f(true);
        punch(f.db(), 3, kDay, "08:00:00", 1, 0);
        Screen s(f);
        s.click("Siobhan Mary O'Brien (3)");
        f.messages.answers = {answer};
        s.screen.CmdClearLog_Click();
        QCOMPARE(f.messages.shown[0],
                 qMakePair(QString("Are you sure to clear log of Siobhan Mary O'Brien (3) ?"), 68));
        QCOMPARE(f.db().scalar("select count(*) from Tbl_DeviceAttenLog").toInt(), left);
        QCOMPARE(s.listed().size(), 1); // the list is not reloaded
    }

    void opensFromTheMenu()
    {
        WindowFixture f(true);
        f.load();
        registerRecordsScreens(*f.window);
        bool opened = false;
        bool escInSearchKeptIt = false;
        answerNextModal([&](QWidget* modal) {
            opened = modal->objectName() == "FrmLogHistory" &&
                     modal->windowTitle() == "Attendance Log History";
            // Esc closes from the Cancel button only.
            QTest::keyClick(modal->findChild<QLineEdit*>("TxtSearch"), Qt::Key_Escape);
            escInSearchKeptIt = modal->isVisible();
            QTest::keyClick(modal->findChild<QPushButton*>("CmdCancel"), Qt::Key_Escape);
        });
        f.window->findChild<QAction*>("MnuLogHistory")->trigger();
        QVERIFY(opened);
        QVERIFY(escInSearchKeptIt);
    }
};

QTEST_MAIN(TestLogHistory)
#include "tst_loghistory.moc"
