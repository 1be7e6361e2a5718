// The terminal register editor offscreen, over the main window, a temporary database and
// simulated terminals: what each mode writes, what the field tests refuse, and how the main
// window's list and links follow a change of the register.

#include "admin/FrmDeviceMaster.h"
#include "shell/FrmTagList.h"
#include "shell/Shared.h"
#include "shell/TagList.h"
#include "support/WindowFixture.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

namespace {
const QString kBlank = QStringLiteral("Machine No Cannot Left Blank");
const QString kInUse = QStringLiteral("Machine No Already in Use");

QLineEdit* edit(QWidget& screen, const char* name)
{
    return screen.findChild<QLineEdit*>(QLatin1String(name));
}

// Every column of the register's rows, in DeviceID order, as one text per row.
QStringList registerRows(Db& db)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "Select DeviceID, ComNo, DeviceDescription, PortNo, IPAddress, BaudRate, ConMode, "
        "Log_Mode From Tbl_DeviceMaster Order By DeviceID"));
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < 8; ++c)
            cells << q.value(c).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Fills the fields of a network terminal.
void fill(QWidget& screen, const QString& number, const QString& description, const QString& port)
{
    edit(screen, "TxtMacNo")->setText(number);
    edit(screen, "txtDescription")->setText(description);
    edit(screen, "TxtIpAdd")->setText(QStringLiteral("127.0.0.1"));
    edit(screen, "TxtPortNo")->setText(port);
}

// The operator clicks the screen's own row `index` (0-based).
void clickOwnRow(FrmDeviceMaster& screen, int index)
{
    auto* list = screen.findChild<QTreeWidget*>(QStringLiteral("lvX"));
    list->setCurrentItem(list->topLevelItem(index));
    screen.lvX_Click();
}
} // namespace

class TestDeviceMaster : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { setTagListHandler({}); }

    void opensOnAnEmptyRegister()
    {
        WindowFixture f;
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        QCOMPARE(screen.windowTitle(), QStringLiteral(" Device Setting"));
        QVERIFY(screen.findChild<QRadioButton*>(QStringLiteral("optNetconncet"))->isChecked());
        QVERIFY(edit(screen, "TxtIpAdd")->isEnabled());
        QVERIFY(!edit(screen, "TxtComNo")->isEnabled());
        QCOMPARE(screen.findChild<QTreeWidget*>(QStringLiteral("lvX"))->columnCount(), 9);
        for (const char* name : {"TxtMacNo", "txtDescription", "TxtIpAdd", "TxtPortNo"})
            QVERIFY(edit(screen, name)->text().isEmpty());

        // Ok with no mode writes nothing, even with filled fields.
        fill(screen, QStringLiteral("4"), QStringLiteral("Gate"), QStringLiteral("4370"));
        screen.CmdSave_Click();
        QVERIFY(registerRows(f.db()).isEmpty());
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(f.errors.calls.isEmpty());
    }

    // An untouched EDIT writes every column back; the option follows the stored address, so a
    // serial row stored with ConMode 1 comes back as 0. The number comes from the row's key,
    // also in large-icon view, where the main list's text is "Name (2)".
    void untouchedEditRoundTrips_data()
    {
        QTest::addColumn<QString>("link"); // ComNo|PortNo|IPAddress|BaudRate
        QTest::addColumn<bool>("ownList"); // shown from the screen's own list
        QTest::newRow("serial, main list") << "3|||9600" << false;
        QTest::newRow("network, main list") << "4|4370|10.0.0.7|19200" << false;
        QTest::newRow("network, own list") << "4|4370|10.0.0.7|19200" << true;
    }

    void untouchedEditRoundTrips()
    {
        QFETCH(QString, link);
        QFETCH(bool, ownList);
        WindowFixture f;
        const QString name = QStringLiteral("O'Brien \"B\" Łódź");
        QStringList cells = link.split(QLatin1Char('|'));
        f.db().exec(QStringLiteral("insert into Tbl_DeviceMaster values (2, ?, ?, ?, ?, ?, 1, 1)"),
                    {cells[0], name, cells[1], cells[2], cells[3]});
        f.load();
        f.window->Toolbar1_ButtonMenuClick(QStringLiteral("L"));
        QCOMPARE(f.window->ListItemText(1), name + QStringLiteral(" (2)"));

        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        if (ownList)
            clickOwnRow(screen, 0);
        QCOMPARE(edit(screen, "TxtMacNo")->text(), QStringLiteral("2"));
        QCOMPARE(edit(screen, "TxtComNo")->isEnabled(), cells[2].isEmpty());
        screen.CmdEdit_Click();
        QCOMPARE(screen.windowTitle(), QStringLiteral("Device Master - [Edit]"));
        edit(screen, "TxtMacNo")->setFocus(); // Ok by its key: the focus stays where it was
        screen.CmdSave_Click();
        cells.insert(1, name);
        QCOMPARE(registerRows(f.db()),
                 QStringList{"2|" + cells.join('|') + (cells[3].isEmpty() ? "|0|3" : "|1|3")});
        QVERIFY(edit(screen, "TxtMacNo")->text().isEmpty());
        QVERIFY(screen.focusWidget() != edit(screen, "TxtMacNo"));
        QCOMPARE(screen.Tag(), QStringLiteral("EDIT"));
        QCOMPARE(f.window->ListItemText(1, 1), name);

        // A second Ok finds the fields cleared: refused, nothing written.
        screen.CmdSave_Click();
        QCOMPARE(f.messages.texts(), QStringList{kBlank});
        QCOMPARE(registerRows(f.db()).size(), 1);
        QVERIFY(f.errors.calls.isEmpty());
    }

    // Leaving Machine No while it holds a registered number is refused in every mode, save the
    // edited terminal's own in EDIT; with no mode nothing is refused.
    void machineNumberTests_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("new, registered") << "NEW"
                                         << "5" << kInUse;
        QTest::newRow("new, free") << "NEW"
                                   << "6" << QString();
        QTest::newRow("edit, loaded") << "EDIT"
                                      << "5" << QString();
        QTest::newRow("delete, loaded") << "DELETE"
                                        << "5" << kInUse;
        QTest::newRow("no mode, registered") << ""
                                             << "5" << QString();
        QTest::newRow("no mode, blank") << ""
                                        << "" << QString();
    }

    void machineNumberTests()
    {
        QFETCH(QString, mode);
        QFETCH(QString, number);
        QFETCH(QString, message);
        WindowFixture f;
        f.registerTerminal(5, QStringLiteral("Front Gate"), 1, QStringLiteral("4370"));
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        if (mode == QLatin1String("NEW"))
            screen.CmdNew_Click();
        else if (mode == QLatin1String("EDIT"))
            screen.CmdEdit_Click();
        else if (mode == QLatin1String("DELETE"))
            screen.CmdDelete_Click();
        edit(screen, "TxtMacNo")->setText(number);
        QCOMPARE(screen.TxtMacNo_Validate(), message.isEmpty());
        QCOMPARE(f.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(f.messages.shown.value(0).second, message.isEmpty() ? 0 : 64);
    }

    // Enter on a refused number: one refusal, and the blank field the focus had reached is not
    // tested when the focus goes back. A row clicked while the number refuses is not shown.
    void refusalTakesTheFocusBack()
    {
        WindowFixture f;
        f.registerTerminal(5, QStringLiteral("Front Gate"), 1, QStringLiteral("4370"));
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        screen.show();
        QApplication::setActiveWindow(&screen);
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        screen.CmdNew_Click();
        QLineEdit* number = edit(screen, "TxtMacNo");
        number->setText(QStringLiteral("5"));
        QTest::keyClick(number, Qt::Key_Return);
        QCOMPARE(f.messages.texts(), QStringList{kInUse});
        QCOMPARE(QApplication::focusWidget(), number);
        auto* list = screen.findChild<QTreeWidget*>(QStringLiteral("lvX"));
        const QPoint row = list->visualItemRect(list->topLevelItem(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(f.messages.texts(), (QStringList{kInUse, kInUse}));
        QVERIFY(edit(screen, "txtDescription")->text().isEmpty());
        list->setFocus(Qt::TabFocusReason); // refused again, by key: the mended click goes through
        number->setText(QStringLiteral("6"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(edit(screen, "txtDescription")->text(), QStringLiteral("Front Gate"));
    }

    // On an empty register the focus starts in a blank Machine No: New still works.
    void newFromABlankNumber()
    {
        WindowFixture f;
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        screen.show();
        QApplication::setActiveWindow(&screen);
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        edit(screen, "TxtMacNo")->setFocus();
        QTest::mouseClick(screen.findChild<QPushButton*>(QStringLiteral("CmdNew")), Qt::LeftButton);
        QCOMPARE(screen.Tag(), QStringLiteral("NEW"));
        QVERIFY(f.messages.shown.isEmpty());
        QTest::mouseClick(screen.findChild<QWidget*>("optCom"), Qt::LeftButton);
        edit(screen, "TxtComNo")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // blank: refused
        QTest::mouseClick(screen.findChild<QWidget*>("optNetconncet"), Qt::LeftButton);
        QVERIFY(!edit(screen, "TxtComNo")->isEnabled());
        QCOMPARE(f.messages.texts(), QStringList{"Com No Cannot Left Blank"});
        edit(screen, "txtDescription")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // blank, onto a mode: refused
        QCOMPARE(QApplication::focusWidget(), edit(screen, "txtDescription"));
    }

    // NEW adds a terminal the main window can connect; its Ok tests the fields again, so a
    // number already registered, or one that is no number, writes nothing.
    void newTerminal()
    {
        WindowFixture f;
        f.addTerminal(1, QStringLiteral("Front Gate"), SimState());
        SimThread gate4{SimState()};
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        screen.CmdNew_Click();
        QCOMPARE(screen.windowTitle(), QStringLiteral("Device Master - [New]"));
        QVERIFY(!screen.findChild<QPushButton*>(QStringLiteral("CmdEdit"))->isEnabled());

        fill(screen, QStringLiteral("1"), QStringLiteral("Gate 4"), QStringLiteral("4370"));
        screen.CmdSave_Click();
        QCOMPARE(f.messages.texts(), QStringList{kInUse});

        fill(screen, QStringLiteral("5a"), QStringLiteral("Gate 4"), QStringLiteral("4370"));
        screen.CmdSave_Click();
        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(f.errors.calls[0].form, QStringLiteral("FrmDeviceMaster"));
        QCOMPARE(f.errors.calls[0].proc, QStringLiteral("cmdSave_Click ()"));
        QCOMPARE(registerRows(f.db()).size(), 1);

        QLineEdit* port = edit(screen, "TxtPortNo");
        port->clear();
        QTest::keyClicks(port, QStringLiteral("4a3-7"));
        QCOMPARE(port->text(), QStringLiteral("437"));
        fill(screen, QStringLiteral("4"), QStringLiteral("Gate 4"), QString::number(gate4.port()));
        screen.CmdSave_Click();
        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(registerRows(f.db()).value(1),
                 QStringLiteral("4||Gate 4|%1|127.0.0.1||1|3").arg(gate4.port()));
        QCOMPARE(f.window->TermCtl1.size(), 3);
        QCOMPARE(f.window->ListItemText(2, 1), QStringLiteral("Gate 4"));
        QVERIFY(f.connectRow(2));
    }

    // EDIT saved straight from a changed Machine No: another terminal's number is refused,
    // so that terminal's row is not replaced.
    void editRefusesAnotherTerminalsNumber()
    {
        WindowFixture f;
        f.registerTerminal(5, QStringLiteral("Front Gate"), 1, QStringLiteral("4370"));
        f.registerTerminal(6, QStringLiteral("Back Door"), 1, QStringLiteral("4371"));
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        const QStringList before = registerRows(f.db());
        screen.CmdEdit_Click();
        edit(screen, "TxtMacNo")->setText(QStringLiteral("6"));
        screen.CmdSave_Click();
        QCOMPARE(f.messages.texts(), QStringList{kInUse});
        QCOMPARE(registerRows(f.db()), before);
    }

    // EDIT's delete and insert stand or fall together.
    void refusedInsertKeepsTheOldRow()
    {
        WindowFixture f;
        f.registerTerminal(5, QStringLiteral("Front Gate"), 1, QStringLiteral("4370"));
        f.db().execDirect(QStringLiteral("create trigger refuse before insert on Tbl_DeviceMaster "
                                         "begin select raise(abort, 'refused'); end"));
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        screen.CmdEdit_Click();
        edit(screen, "txtDescription")->setText(QStringLiteral("Renamed"));
        screen.CmdSave_Click();
        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(f.errors.calls[0].proc, QStringLiteral("cmdSave_Click ()"));
        QCOMPARE(registerRows(f.db()),
                 QStringList{QStringLiteral("5||Front Gate|4370|127.0.0.1||1|3")});
        QCOMPARE(edit(screen, "txtDescription")->text(), QStringLiteral("Renamed"));
    }

    // Terminal 1 goes while terminal 2 is linked: row 2 now lists terminal 3, and its element
    // must not keep terminal 2's link, or Extract Data there would store terminal 2's
    // punches under terminal 3 and clear terminal 2's log.
    void deletingMovesNoLinkToAnotherTerminal()
    {
        WindowFixture f;
        SimState two;
        two.users = {simUser(QStringLiteral("7"), QStringLiteral("Ann"))};
        two.punches = {SimPunch::at(QStringLiteral("7"), QDate(2026, 3, 2), QTime(8, 0))};
        f.addTerminal(1, QStringLiteral("One"), SimState());
        SimThread& second = f.addTerminal(2, QStringLiteral("Two"), two);
        f.addTerminal(3, QStringLiteral("Three"), SimState());
        f.load();
        QVERIFY(f.connectRow(2));

        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        clickOwnRow(screen, 0);
        QCOMPARE(edit(screen, "TxtMacNo")->text(), QStringLiteral("1"));
        screen.CmdDelete_Click();
        screen.CmdSave_Click();
        // A further DELETE and a NEW in the same visit: the element for the new row count
        // exists already, and the save still reloads both lists.
        screen.CmdNew_Click();
        fill(screen, QStringLiteral("9"), QStringLiteral("Nine"), QStringLiteral("4370"));
        screen.CmdSave_Click();
        QCOMPARE(screen.findChild<QTreeWidget*>(QStringLiteral("lvX"))->topLevelItemCount(), 3);
        QCOMPARE(f.window->TermCtl1.size(), 4);

        QCOMPARE(f.window->ListItemKey(2), QStringLiteral("D3"));
        QCOMPARE(f.window->ListItemText(2, 7), QStringLiteral("Disconnected"));
        f.select(2);
        f.messages.clear();
        f.window->MnuExtractData_Click();
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Device is not connected.")});
        QCOMPARE(f.db().scalar(QStringLiteral("select count(*) from Tbl_DeviceAttenLog")).toInt(),
                 0);
        QCOMPARE(second.state().punches.size(), 1);
        QVERIFY(f.errors.calls.isEmpty());

        // A changed port closes the link, or the element would go on serving the old address.
        QVERIFY(f.connectRow(1));
        clickOwnRow(screen, 0);
        screen.CmdEdit_Click();
        edit(screen, "TxtPortNo")->setText(QStringLiteral("1"));
        screen.CmdSave_Click();
        QCOMPARE(f.window->ListItemText(1, 7), QStringLiteral("Disconnected"));
        QCOMPARE(f.window->PanelText(3), QStringLiteral(" Disconnected"));
    }

    void pickerAndEscape()
    {
        WindowFixture f;
        f.registerTerminal(5, QStringLiteral("Front Gate"), 1, QStringLiteral("4370"));
        f.load();
        FrmDeviceMaster screen(*f.window);
        screen.Form_Load();
        screen.CmdNew_Click();

        setTagListHandler([](FrmTagList& picker) {
            picker.lsv->setCurrentItem(picker.lsv->topLevelItem(0));
            picker.CmdOk_Click();
        });
        screen.DumpMachine_Click();
        QCOMPARE(edit(screen, "TxtMacNo")->text(), QStringLiteral("5"));
        QCOMPARE(edit(screen, "txtDescription")->text(), QStringLiteral("Front Gate"));
        // A cancelled pick leaves what the picker's results hold: nothing.
        setTagListHandler([](FrmTagList& picker) { picker.CmdCancel_Click(); });
        screen.DumpMachine_Click();
        QVERIFY(edit(screen, "TxtMacNo")->text().isEmpty());
        QVERIFY(edit(screen, "txtDescription")->text().isEmpty());
        QCOMPARE(screen.Tag(), QStringLiteral("NEW"));

        screen.show();
        screen.Form_KeyDown(Qt::Key_Escape);
        QCOMPARE(screen.windowTitle(), QStringLiteral("Device Master "));
        QVERIFY(screen.Tag().isEmpty());
        QVERIFY(screen.isVisible());
        screen.Form_KeyDown(Qt::Key_Escape);
        QVERIFY(!screen.isVisible());
        QVERIFY(f.errors.calls.isEmpty());
    }
};

QTEST_MAIN(TestDeviceMaster)
#include "tst_devicemaster.moc"
