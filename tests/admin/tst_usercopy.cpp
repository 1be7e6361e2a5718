// The user-copy screen: the stored users it lists for a source, what reaches the
// destination over its own link (network or serial), and what a refusal, a bad privilege
// or a dropped link leaves behind.

#include "SimTerminal.h"
#include "TemplateRows.h"
#include "admin/FrmImportUsers.h"
#include "shell/Settings.h"
#include "support/WindowFixture.h"
#include "terminals/TerminalSdk.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace TemplateRows;

namespace {
enum Column { Uid, UserName, Templates, CardNo, Privilege, Password };
const QString kDone = QStringLiteral("User information imported successfully.");
const QString kConnected = QStringLiteral("Connected to : Back Office");

int isNew(Db& db, int user)
{
    return db
        .scalar(QStringLiteral("Select Max(IsNew) From Tbl_UserTemplate Where DeviceUserID=?"),
                {user})
        .toInt();
}
} // namespace

class TestUserCopy : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    std::unique_ptr<FrmImportUsers> screen;
    SimThread* destination = nullptr;

    // Front Gate (5) is the source and has no link; Back Office (6) holds `held`, reached
    // over the network (conMode 1) or a serial line (0).
    void setUp(const QList<SimUser>& held, int conMode = 1)
    {
        f = std::make_unique<WindowFixture>();
        f->registerTerminal(5, QStringLiteral("Front Gate"), 1, QStringLiteral("1"));
        SimState state;
        state.machine = 6;
        state.users = held;
        if (conMode == 1) {
            destination = &f->addTerminal(6, QStringLiteral("Back Office"), state);
        } else {
            f->sims.push_back(std::make_unique<SimThread>(state));
            destination = f->sims.back().get();
            const QString pty = destination->openPty();
            QVERIFY(!pty.isEmpty());
            Settings::setSerialDevice(1, pty);
            f->registerTerminal(6, QStringLiteral("Back Office"), 0, QString(), "1", "9600");
        }
        f->load();
        screen = std::make_unique<FrmImportUsers>(*f->window);
        screen->Form_Load();
    }

    void choose(QComboBox* box, const QString& text) { box->setCurrentIndex(box->findText(text)); }

    void chooseSource()
    {
        choose(screen->CboSourceDevice, QStringLiteral("Front Gate"));
        screen->CboSourceDevice_Click();
    }

    void connectDestination()
    {
        choose(screen->CboDestination, QStringLiteral("Back Office"));
        screen->CmdConnect_Click();
        QCOMPARE(f->messages.texts(), QStringList{kConnected});
        f->messages.clear();
    }

    SimUser held(int user)
    {
        const SimState s = destination->state();
        const SimUser* u = s.findUser(QString::number(user));
        return u ? *u : SimUser();
    }

private Q_SLOTS:
    void cleanup()
    {
        screen.reset();
        f.reset();
    }

    void listsOneRowPerStoredUser()
    {
        setUp({});
        store(f->db(), {7, " Ann ", 6, templ(7, 6), 5, 0, "", 0, 1, 0});
        store(f->db(), {8, "Bob", 1, templ(8, 1), 5, 0, "0", QVariant(), 1, 0});
        store(f->db(), {7, "Ann", 2, templ(7, 2), 9});
        store(f->db(), {9, "Cy", 0, "", 5, 4321, "0000", 2, 1, 0});
        store(f->db(), {7, " Ann ", 0, templ(7, 0), 5, 77, "12", 1, 1, 1});
        chooseSource();

        QCOMPARE(screen->FrmUsers->title(), QStringLiteral("Users On Front Gate"));
        QCOMPARE(screen->lsv->topLevelItemCount(), 3);
        QCOMPARE(cell(screen->lsv, "7", UserName), QStringLiteral("Ann"));
        QCOMPARE(cell(screen->lsv, "7", Templates),
                 templ(7, 0).left(5) + "... , " + templ(7, 6).left(5) + "...");
        QCOMPARE(cell(screen->lsv, "7", CardNo), QStringLiteral("77"));
        QCOMPARE(cell(screen->lsv, "8", CardNo), QString());
        QCOMPARE(cell(screen->lsv, "8", Password), QString());
        QCOMPARE(cell(screen->lsv, "8", Privilege), QString());
        QCOMPARE(cell(screen->lsv, "9", Password), QStringLiteral("0000"));
        QCOMPARE(cell(screen->lsv, "9", CardNo), QStringLiteral("4321"));
        QCOMPARE(cell(screen->lsv, "9", Templates), QString());
        QTreeWidgetItem* ann = item(screen->lsv, "7");
        QCOMPARE(ann->foreground(5).color(), QColor(255, 0, 0));
        QVERIFY(ann->font(5).bold());
        QVERIFY(!item(screen->lsv, "8")->font(0).bold());
    }

    void copiesTheTickedUsers_data()
    {
        QTest::addColumn<int>("conMode");
        QTest::newRow("network") << 1;
        QTest::newRow("serial") << 0;
    }

    void copiesTheTickedUsers()
    {
        QFETCH(int, conMode);
        SimUser old = simUser(QStringLiteral("40000"), QStringLiteral("Old"));
        old.card = QStringLiteral("999");
        old.templates[2] = QStringLiteral("DEST2");
        SimUser keep = simUser(QStringLiteral("50"), QStringLiteral("Keep"));
        keep.templates[1] = QStringLiteral("K1");
        setUp({old, keep}, conMode);
        // User 3's finger 0 is stored from two terminals: the source's is the one copied.
        store(f->db(), {3, "Siobhan O'Brien", 0, "S0", 5, 0, "pa'ss\"", 1, 1, 1});
        store(f->db(), {3, "Other", 0, "OTHER0", 9, 0, "", 0, 1, 0});
        store(f->db(), {3, "Other", 4, "OTHER4", 9, 0, "", 0, 1, 0});
        store(f->db(), {40000, "Jürgen Weiß", 0, "", 5, 0, "0000", 2, 0, 1});
        // Privilege 5 is no terminal privilege: the terminal refuses the user.
        store(f->db(), {50, "Refused", 0, "R0", 5, 0, "", 5, 1, 1});
        store(f->db(), {60, "Unticked", 0, "U0", 5, 0, "", 0, 1, 1});
        store(f->db(), {70, "Abcdefg\U0001F600", 10, "T10", 5, 0, "", 0, 1, 1}); // finger refused
        chooseSource();
        connectDestination();
        for (const char* user : {"3", "40000", "50", "70"})
            tick(screen->lsv, user);

        screen->CmdImport_Click();

        QCOMPARE(f->messages.texts(), QStringList{"2 users were not imported."});
        for (auto [user, ticked] : {std::pair("3", false), {"40000", false}, {"50", true}})
            QCOMPARE(TemplateWidgets::isChecked(item(screen->lsv, user)), ticked);
        const SimUser brien = held(3);
        QCOMPARE(brien.name, QStringLiteral("Siobhan"));
        QCOMPARE(brien.password, QStringLiteral("pa'ss\""));
        QCOMPARE(brien.templates[0], QStringLiteral("S0"));
        QCOMPARE(brien.templates[4], QStringLiteral("OTHER4"));
        const SimUser weiss = held(40000);
        QCOMPARE(weiss.name, QStringLiteral("Jürgen W"));
        QCOMPARE(weiss.password, QStringLiteral("0000"));
        QCOMPARE(weiss.card, QStringLiteral("0"));
        QCOMPARE(weiss.privilege, 2);
        QVERIFY(!weiss.enabled);
        QCOMPARE(weiss.fingerCount(), 0);
        const SimUser refused = held(50);
        QCOMPARE(refused.name, QStringLiteral("Keep"));
        QCOMPARE(refused.templates[1], QStringLiteral("K1"));
        QVERIFY(held(60).number.isEmpty());
        QCOMPARE(held(70).name, QStringLiteral("Abcdefg"));
        QCOMPARE(destination->state().refreshes, 1);

        QCOMPARE(image(screen->lsv, "3"), 2);
        QCOMPARE(image(screen->lsv, "40000"), 2);
        QCOMPARE(image(screen->lsv, "50"), 4);
        QCOMPARE(image(screen->lsv, "70"), 4);
        QCOMPARE(isNew(f->db(), 3), 0);
        QCOMPARE(isNew(f->db(), 40000), 0);
        QCOMPARE(isNew(f->db(), 50), 1);
        QCOMPARE(isNew(f->db(), 60), 1);
        QCOMPARE(isNew(f->db(), 70), 1);
        choose(screen->CboDestination, QStringLiteral("Front Gate")); // not the one linked
        tick(screen->lsv, "60");
        screen->CmdImport_Click();
        QCOMPARE(f->messages.shown.last(), (QPair<QString, int>("Device is not Connnected", 16)));
        QVERIFY(held(60).number.isEmpty());
    }

    void nothingTickedIsRefused()
    {
        setUp({});
        store(f->db(), {7, "Ann", 0, "A0", 5});
        chooseSource();
        connectDestination();
        screen->CmdImport_Click();
        QCOMPARE(f->messages.shown, (QVector<QPair<QString, int>>{{"No user is ticked", 16}}));
        QCOMPARE(destination->state().refreshes, 0);
        QVERIFY(destination->state().users.isEmpty());
    }

    void missingPrivilegeEndsTheCopyBeforeSending()
    {
        SimUser kept = simUser(QStringLiteral("8"), QStringLiteral("Kept"));
        kept.templates[0] = QStringLiteral("K0");
        setUp({kept});
        store(f->db(), {8, "Bob", 0, "B0", 5, 0, "", QVariant(), 1, 1});
        chooseSource();
        connectDestination();
        tick(screen->lsv, "8");
        screen->CmdImport_Click();

        QCOMPARE(f->errors.calls.size(), 1);
        QCOMPARE(f->errors.calls.first().form, QStringLiteral("FrmImportUsers"));
        QCOMPARE(f->errors.calls.first().proc, QStringLiteral("CmdImport_Click()"));
        QVERIFY(f->messages.shown.isEmpty());
        QCOMPARE(held(8).name, QStringLiteral("Kept"));
        QCOMPARE(held(8).templates[0], QStringLiteral("K0"));
        QVERIFY(!screen->isRunning());
    }

    // The link drops as the 500th of 1,000 users is copied, right after its new record is
    // accepted: the users before it are on the destination and no longer new, that user
    // keeps its templates and stays new, and a rerun completes. Meanwhile the main window is
    // busy and Esc and closing are ignored.
    void linkDroppedHalfWay()
    {
        SimUser before = simUser(QStringLiteral("500"), QStringLiteral("Before"));
        before.templates[0] = QStringLiteral("D500");
        setUp({before});
        Transaction batch(f->db());
        for (int n = 1; n <= 1000; ++n)
            store(f->db(), {n, "User", 0, templ(n, 0), 5, 0, "", 0, 1, 1});
        batch.commit();
        chooseSource();
        connectDestination();
        screen->ChkImportAll->setCheckState(Qt::Checked);
        destination->run(
            [](SimTerminal& t) { t.setDropAfterAnswers(QStringLiteral("setUser"), 500); });

        bool busy = false, stayedOpen = false;
        QTimer::singleShot(0, screen.get(), [&] {
            busy = f->window->isBusy();
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(screen.get(), &esc);
            screen->close();
            stayedOpen = screen->isRunning() && !screen->CmdImport->isEnabled();
        });
        screen->CmdImport_Click();

        QVERIFY(busy);
        QVERIFY(stayedOpen);
        QCOMPARE(f->messages.shown,
                 (QVector<QPair<QString, int>>{{"Device is not Connnected", 16}}));
        QCOMPARE(held(499).templates[0], templ(499, 0));
        QCOMPARE(held(500).templates[0], QStringLiteral("D500"));
        QVERIFY(held(501).number.isEmpty());
        QCOMPARE(count(f->db(), "IsNew=0"), 499);
        QCOMPARE(isNew(f->db(), 500), 1);
        QCOMPARE(image(screen->lsv, "500"), 0);

        screen->CmdConnect_Click();
        f->messages.clear();
        screen->CmdImport_Click();
        QCOMPARE(f->messages.texts(), QStringList{kDone});
        QCOMPARE(held(500).templates[0], templ(500, 0));
        QCOMPARE(held(1000).templates[0], templ(1000, 0));
        QCOMPARE(count(f->db(), "IsNew=0"), 1000);
    }
};

QTEST_MAIN(TestUserCopy)
#include "tst_usercopy.moc"
