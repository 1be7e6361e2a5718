// The terminal users screen offscreen, over the main window and a simulated terminal: the
// list, a new user read back from the terminal, EDIT keeping a privilege, the duplicate
// test, the delete and its answers, and a write to a terminal that went away.

#include "SimTerminal.h"
#include "admin/DeviceUsers.h"
#include "admin/FrmUser.h"
#include "shell/DbError.h"
#include "shell/FrmTagList.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "shell/TagList.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

namespace {
const QString kDeleted = QStringLiteral("User information deleted successfully.");
// Longer than the operator may type: the terminal's own name for user 10.
const QString kLongName = QString(63, QLatin1Char('n'));
const QString kNotDeleted =
    QStringLiteral("User information deletion process execution unsuccessful.");

QLineEdit* edit(QWidget& screen, const char* name)
{
    return screen.findChild<QLineEdit*>(QLatin1String(name));
}

QTreeWidget* users(QWidget& screen)
{
    return screen.findChild<QTreeWidget*>(QStringLiteral("lvwUserInformation"));
}

QStringList column(QWidget& screen, int c)
{
    QStringList texts;
    for (int i = 0; i < users(screen)->topLevelItemCount(); ++i)
        texts << users(screen)->topLevelItem(i)->text(c);
    return texts;
}

SimState terminal()
{
    SimState s;
    s.machine = 5;
    SimUser admin = simUser(QStringLiteral("10"), kLongName);
    admin.privilege = 2;
    admin.password = QStringLiteral("pw");
    admin.card = QStringLiteral("777");
    s.users = {admin, simUser(QStringLiteral("9"), QStringLiteral("Ann")),
               simUser(QStringLiteral("100"), QStringLiteral("Cy"))};
    return s;
}

// The window over terminal 5, linked, with the screen loaded on it.
struct Fixture
{
    Fixture()
    {
        sim = &f.addTerminal(5, QStringLiteral("Front Gate"), terminal());
        f.load();
        connected = f.connectRow(1);
        screen = std::make_unique<FrmUser>(*f.window);
        screen->Form_Load();
    }
    const SimUser* user(const QString& number)
    {
        const SimState s = sim->state();
        const SimUser* u = s.findUser(number);
        found = u ? std::optional<SimUser>(*u) : std::nullopt;
        return found ? &*found : nullptr;
    }
    WindowFixture f;
    SimThread* sim = nullptr;
    bool connected = false;
    std::unique_ptr<FrmUser> screen;
    std::optional<SimUser> found;
};
} // namespace

class TestUsers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsAndAddsUsers()
    {
        Fixture x;
        QVERIFY(x.connected);
        FrmUser& screen = *x.screen;
        QCOMPARE(column(screen, 0), (QStringList{"10", "9", "100"}));
        const QTreeWidgetItem* boss = users(screen)->topLevelItem(0);
        QCOMPARE(boss->text(1), kLongName);
        QCOMPARE(boss->text(2), QStringLiteral("777"));
        QCOMPARE(boss->text(3), QStringLiteral("pw"));
        QCOMPARE(boss->text(4), QStringLiteral("2"));
        QCOMPARE(boss->text(5), QStringLiteral("True"));
        QVERIFY(!boss->icon(0).isNull());
        screen.lvwUserInformation_ColumnClick(0);
        QCOMPARE(column(screen, 0), (QStringList{"9", "10", "100"}));

        x.sim->run([](SimTerminal& t) { t.state().users.append(simUser("30", "Late")); });
        screen.CmdNew_Click();
        QCOMPARE(screen.windowTitle(), QStringLiteral("User -[New]"));
        QLineEdit* number = edit(screen, "txtEnrollNum");
        number->setText(QStringLiteral("9"));
        QVERIFY(!screen.txtEnrollNum_Validate());
        QCOMPARE(x.f.messages.shown.value(0),
                 qMakePair(QStringLiteral("Device UserID already in use "), 16));
        number->setText(QStringLiteral("30"));
        QVERIFY(!screen.txtEnrollNum_Validate()); // held, not recorded
        number->setText(QStringLiteral("2147483648"));
        QVERIFY(!screen.txtEnrollNum_Validate());
        number->clear();
        QTest::keyClicks(number, QStringLiteral("12345678901"));
        screen.CmdOk_Click();
        QGuiApplication::clipboard()->setText(QString(20, QLatin1Char('9')));
        number->clear();
        QTest::keySequence(number, QKeySequence::Paste);
        screen.CmdDelete_Click();
        screen.CmdNew_Click();
        QCOMPARE(x.f.messages.texts().count("Device User ID Cannot Exceed 2147483647"), 3);
        QCOMPARE(x.sim->state().users.size(), 4); // nothing written

        number->clear();
        QTest::keyClicks(number, QStringLiteral("2x147483647"));
        edit(screen, "txtName")->setText(QStringLiteral("Zoë O'Brien"));
        edit(screen, "txtRFID")->setText(QStringLiteral("0012345abc"));
        screen.findChild<QComboBox*>(QStringLiteral("CboPrivilege"))->setCurrentIndex(2);
        screen.findChild<QCheckBox*>(QStringLiteral("ChkEnable"))->setChecked(false);
        screen.CmdOk_Click();
        const SimUser* added = x.user(QStringLiteral("2147483647"));
        QVERIFY(added);
        QCOMPARE(added->name, QStringLiteral("Zoë O'Brien"));
        QCOMPARE(added->card, QStringLiteral("12345"));
        QCOMPARE(added->privilege, 2);
        QVERIFY(!added->enabled);
        QVERIFY(column(screen, 0).contains(QStringLiteral("2147483647")));
        QCOMPARE(screen.Tag(), QStringLiteral("NEW"));
        QVERIFY(x.f.errors.calls.isEmpty());
    }

    // A row clicked while a blank user number refuses to let the focus go is not shown.
    void refusedNumberKeepsTheRowClick()
    {
        Fixture x;
        FrmUser& screen = *x.screen;
        screen.show();
        QApplication::setActiveWindow(&screen);
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        screen.CmdNew_Click();
        QTreeWidget* list = users(screen);
        const QPoint row = list->visualItemRect(list->topLevelItem(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(x.f.messages.texts(), QStringList{"Enroll No Cannot Left Blank "});
        QCOMPARE(screen.Tag(), QStringLiteral("NEW"));
        QVERIFY(edit(screen, "txtEnrollNum")->text().isEmpty());
        QTest::mouseClick(screen.findChild<QWidget*>("cmdCancelProcess"), Qt::LeftButton);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row); // not eaten: row shown
        QCOMPARE(edit(screen, "txtEnrollNum")->text(), QStringLiteral("10"));
        QCOMPARE(x.f.messages.texts().size(), 1);
        QTest::mouseClick(screen.findChild<QWidget*>("CmdEdit"), Qt::LeftButton);
        QTest::keyClicks(edit(screen, "txtEnrollNum"), "\b\b9\x1b"); // typed 9; Esc leaves EDIT
        QTest::mouseClick(screen.findChild<QWidget*>("CmdDelete"), Qt::LeftButton);
        QVERIFY(x.user("9") && !x.user("10")); // the highlighted user, not the one typed
        QTest::mouseClick(screen.findChild<QWidget*>("CmdNew"), Qt::LeftButton);
        QTest::keyClicks(edit(screen, "txtEnrollNum"), "41");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row); // New turns to Edit of 10
        QCOMPARE(screen.windowTitle(), QStringLiteral("User -[Edit]"));
    }

    // A user number that is no number stops the listing; the users before it stay listed.
    void userNumberNoNumber()
    {
        WindowFixture f;
        SimState s;
        s.machine = 5;
        s.users = {simUser("9", "Ann"), simUser("A1", "Bo"), simUser("100", "Cy")};
        f.addTerminal(5, QStringLiteral("Front Gate"), s);
        f.load();
        QVERIFY(f.connectRow(1));
        FrmUser screen(*f.window);
        screen.Form_Load();
        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(f.errors.calls[0].proc, QStringLiteral("Form_Load()"));
        QCOMPARE(column(screen, 0), QStringList{"9"});
        // The write goes through; only the refresh after it stops.
        screen.CmdNew_Click();
        edit(screen, "txtEnrollNum")->setText(QStringLiteral("40"));
        screen.CmdOk_Click();
        QCOMPARE(f.errors.calls.last().proc, QStringLiteral("LoadDeviceUsers()"));
    }

    // The card written is the field's leading number, rounded; 0 without one (-1 below: the
    // number is refused).
    void cardNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("card");
        QTest::newRow("empty") << "" << 0LL;
        QTest::newRow("letters first") << "abc12" << 0LL;
        QTest::newRow("leading digits") << "0012345abc" << 12345LL;
        QTest::newRow("blank before") << "  42" << 42LL;
        QTest::newRow("half to even") << "12.5" << 12LL;
        QTest::newRow("half up to even") << "13.5x" << 14LL;
        QTest::newRow("past any card, refused") << "99999999999999999999" << -1LL;
    }

    void cardNumber()
    {
        QFETCH(QString, text);
        QFETCH(qlonglong, card);
        if (card < 0)
            QVERIFY_THROWS_EXCEPTION(DbError, DeviceUsers::cardNumber(text));
        else
            QCOMPARE(DeviceUsers::cardNumber(text), card);
    }

    void editKeepsAnAdministrator()
    {
        Fixture x;
        FrmUser& screen = *x.screen;
        users(screen)->setCurrentItem(users(screen)->topLevelItem(0));
        screen.lvwUserInformation_Click();
        QCOMPARE(screen.Tag(), QStringLiteral("EDIT"));
        screen.CmdEdit_Click();
        // Another recorded user's number would replace that user.
        edit(screen, "txtEnrollNum")->setText(QStringLiteral("9"));
        QVERIFY(!screen.txtEnrollNum_Validate());
        x.sim->run([](SimTerminal& t) { t.state().users.append(simUser("30", "Late")); });
        edit(screen, "txtEnrollNum")->setText(QStringLiteral("30")); // held, not recorded
        QVERIFY(!screen.txtEnrollNum_Validate());
        edit(screen, "txtEnrollNum")->setText(QStringLiteral("10"));
        screen.findChild<QCheckBox*>(QStringLiteral("ChkEnable"))->setChecked(false);
        screen.CmdOk_Click();
        const SimUser* boss = x.user(QStringLiteral("10"));
        QCOMPARE(boss->name, kLongName);
        QCOMPARE(boss->privilege, 2);
        QCOMPARE(boss->password, QStringLiteral("pw"));
        QCOMPARE(boss->card, QStringLiteral("777"));
        QVERIFY(users(screen)->isEnabled());
        QVERIFY(x.f.errors.calls.isEmpty());

        // Ok on an empty user pick keeps the number; the picker holds an earlier pick's value.
        x.sim->run([](SimTerminal& t) { t.state().users.clear(); });
        shared().TagValue1 = QStringLiteral("5");
        setTagListHandler([](FrmTagList& picker) { picker.CmdOk_Click(); });
        screen.DumpUser_Click();
        setTagListHandler({});
        QCOMPARE(edit(screen, "txtEnrollNum")->text(), QStringLiteral("10"));
        edit(screen, "txtEnrollNum")->setText(QStringLiteral("50")); // free: written, highlighted
        screen.CmdOk_Click();
        QCOMPARE(users(screen)->selectedItems(), users(screen)->findItems("50", {}));
    }

    void deleteUser_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("garbled");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("kept");
        QTest::newRow("no") << "9" << vbNo << false << QString() << true;
        QTest::newRow("yes") << "9" << vbYes << false << kDeleted << false;
        QTest::newRow("missing user") << "55" << vbYes << false << kNotDeleted << false;
        QTest::newRow("garbled deletion") << "9" << vbYes << true << kNotDeleted << true;
    }

    void deleteUser()
    {
        QFETCH(QString, number);
        QFETCH(int, answer);
        QFETCH(bool, garbled);
        QFETCH(QString, message);
        QFETCH(bool, kept);
        Fixture x;
        if (garbled)
            x.sim->run([](SimTerminal& t) { t.garbleNext(QStringLiteral("deleteEnroll")); });
        x.f.messages.answers = {answer};
        edit(*x.screen, "txtEnrollNum")->setText(number);
        x.screen->CmdDelete_Click();
        QCOMPARE(x.screen->Tag(), QStringLiteral("DELETE"));
        QCOMPARE(x.f.messages.shown.value(0).second, 52);
        QCOMPARE(x.f.messages.texts().mid(1),
                 message.isEmpty() ? QStringList() : QStringList{message});
        if (number == QLatin1String("9"))
            QCOMPARE(x.user(number) != nullptr, kept);
        // The list shows what it showed until F5.
        QCOMPARE(column(*x.screen, 0).size(), 3);
        QVERIFY(x.f.errors.calls.isEmpty());
    }

    // The labels carry their names; the password shows one "*" per character.
    void labelsAndPassword()
    {
        Fixture x;
        const QList<QPair<const char*, QString>> labels = {
            {"Label4", "Users in selected device"}, {"labEnrollNum", "Device User ID"},
            {"labName", "Device User Name"},        {"labPaw", "Password"},
            {"Label3", "ID Card in Device"},        {"Label2", "Privilege"},
            {"Label1", "Assign Employee"},          {"labMacNum", "Machine No"}};
        for (const auto& [name, text] : labels) {
            const QLabel* label = x.screen->findChild<QLabel*>(QLatin1String(name));
            QVERIFY2(label, name);
            QCOMPARE(label->text(), text);
        }
        QLineEdit* password = edit(*x.screen, "txtPaw");
        password->setText(QStringLiteral("pw1"));
        QCOMPARE(password->displayText(), QStringLiteral("***"));
    }

    void okAfterTheLinkDropped()
    {
        Fixture x;
        FrmUser& screen = *x.screen;
        screen.CmdNew_Click();
        edit(screen, "txtEnrollNum")->setText(QStringLiteral("40"));
        x.sim->run([](SimTerminal& t) { t.dropLinks(); });
        screen.CmdOk_Click();
        QCOMPARE(x.f.errors.calls.size(), 1);
        QCOMPARE(x.f.errors.calls[0].form, QStringLiteral("FrmUser"));
        QCOMPARE(x.f.errors.calls[0].proc, QStringLiteral("txtEnrollNum_Validate()"));
        QCOMPARE(screen.Tag(), QStringLiteral("NEW"));
        screen.Form_KeyDown(Qt::Key_F5); // a refresh leaves what is being typed
        QCOMPARE(edit(screen, "txtEnrollNum")->text(), QStringLiteral("40"));
        QVERIFY(!x.user(QStringLiteral("40")));

        // Esc leaves the mode, then closes.
        screen.show();
        screen.Form_KeyDown(Qt::Key_Escape);
        QCOMPARE(screen.windowTitle(), QStringLiteral("User"));
        QVERIFY(edit(screen, "txtEnrollNum")->text().isEmpty()); // no row highlighted
        QVERIFY(screen.isVisible());
        screen.Form_KeyDown(Qt::Key_Escape);
        QVERIFY(!screen.isVisible());
    }
};

QTEST_MAIN(TestUsers)
#include "tst_users.moc"
