// The template upload screen: what it lists for the chosen destination, where the stored
// templates go, and what a missing link or terminal does.

#include "SimTerminal.h"
#include "TemplateRows.h"
#include "admin/FrmUpload.h"
#include "support/WindowFixture.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>

using namespace TemplateRows;

namespace {
enum Column { EmpId, Name, BackupIndex, Templates };
const QString kNotLinked = QStringLiteral("Destination device is not connected. Destination "
                                          "device must \r\nbe connected in order to upload user "
                                          "data.");

QString fingerOn(SimThread& sim, int user, int finger)
{
    const SimState s = sim.state();
    const SimUser* u = s.findUser(QString::number(user));
    return u ? u->templates[size_t(finger)] : QStringLiteral("<no user>");
}
} // namespace

class TestUpload : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    std::unique_ptr<FrmUpload> screen;

    void employee(int id, const QString& first, const QVariant& middle, const QString& last)
    {
        f->db().exec(QStringLiteral("Insert Into Tbl_Emp_Info (Emp_ID, Emp_FirstName, "
                                    "Emp_MiddleName, Emp_LastName) Values (?,?,?,?)"),
                     {id, first, middle, last});
    }

    void openScreen()
    {
        screen = std::make_unique<FrmUpload>(*f->window);
        screen->Form_Load();
    }

    void chooseDestination(const QString& description)
    {
        screen->cboDestinationDevice->setCurrentIndex(
            screen->cboDestinationDevice->findText(description));
        screen->cboDestinationDevice_Click();
    }

private Q_SLOTS:
    void init() { f = std::make_unique<WindowFixture>(); }

    void cleanup()
    {
        screen.reset();
        f.reset();
    }

    void listsWhatIsStoredForTheDestination()
    {
        f->addTerminal(5, QStringLiteral("Front Gate"), SimState());
        f->load();
        QVERIFY(f->connectRow(1));
        employee(7, "Ann", "Mary", "Lee");
        employee(8, "Bob", QVariant(), "Ray");
        employee(40000, "Jürgen", "", "Weiß");
        // Rows stored at different times lie apart; they still list as one user.
        store(f->db(), {7, "Ann", 6, templ(7, 6), 5});
        store(f->db(), {8, "Bob", 1, templ(8, 1), 9});
        store(f->db(), {40000, "J", 3, templ(40000, 3), 5});
        store(f->db(), {7, "Ann", 0, templ(7, 0), 5});
        openScreen();

        QCOMPARE(screen->cboDestinationDevice->currentText(), QStringLiteral("Front Gate"));
        QCOMPARE(screen->lsv->topLevelItemCount(), 3);
        QCOMPARE(cell(screen->lsv, "7", Name), QStringLiteral("Ann Mary Lee"));
        QCOMPARE(cell(screen->lsv, "7", BackupIndex), QStringLiteral("0,6"));
        QCOMPARE(cell(screen->lsv, "7", Templates),
                 templ(7, 0).left(6) + "..." + templ(7, 6).left(6) + "...");
        QCOMPARE(cell(screen->lsv, "8", Name), QStringLiteral("Bob  Ray"));
        QCOMPARE(cell(screen->lsv, "8", BackupIndex), QString());
        QCOMPARE(cell(screen->lsv, "40000", Name), QStringLiteral("Jürgen  Weiß"));
        QCOMPARE(cell(screen->lsv, "40000", BackupIndex), QStringLiteral("3"));
        QVERIFY(f->errors.calls.isEmpty());
    }

    // The current terminal is Front Gate; the operator uploads to the Warehouse.
    void uploadsToTheChosenDestination()
    {
        SimState front;
        front.machine = 5;
        SimState warehouse;
        warehouse.machine = 6;
        SimUser kept = simUser(QStringLiteral("9"), QStringLiteral("Cy"));
        kept.templates[0] = QStringLiteral("KEEP");
        warehouse.users = {kept};
        SimThread& frontSim = f->addTerminal(5, QStringLiteral("Front Gate"), front);
        SimThread& warehouseSim = f->addTerminal(6, QStringLiteral("Warehouse"), warehouse);
        f->load();
        QVERIFY(f->connectRow(2));
        QVERIFY(f->connectRow(1));
        for (int id : {7, 8, 9, 10, 11})
            employee(id, "E", "", QString::number(id));
        // Finger 0 of user 7 is stored from both terminals: the destination's own wins.
        store(f->db(), {7, "Ann", 0, "W0", 6});
        store(f->db(), {7, "Ann", 0, "F0", 5});
        store(f->db(), {7, "Ann", 1, "F1", 5});
        store(f->db(), {8, "Bob", 3, "F3", 5});
        store(f->db(), {9, "Cy", 0, "", 6});
        store(f->db(), {10, "Di", 2, "F2", 5});
        // A row no terminal takes: its user is left without a picture.
        store(f->db(), {11, "Ed", 12, "BAD", 6});
        openScreen();
        chooseDestination(QStringLiteral("Warehouse"));
        for (const char* user : {"7", "8", "9", "11"})
            tick(screen->lsv, user);

        screen->ChkUpLoad_Click();

        QCOMPARE(fingerOn(warehouseSim, 7, 0), QStringLiteral("W0"));
        QCOMPARE(fingerOn(warehouseSim, 7, 1), QStringLiteral("F1"));
        QCOMPARE(fingerOn(warehouseSim, 8, 3), QStringLiteral("F3"));
        QCOMPARE(fingerOn(warehouseSim, 9, 0), QStringLiteral("KEEP"));
        QCOMPARE(fingerOn(warehouseSim, 10, 2), QStringLiteral("<no user>"));
        QVERIFY(frontSim.state().users.isEmpty());
        QCOMPARE(image(screen->lsv, "7"), 2);
        QCOMPARE(image(screen->lsv, "8"), 4);
        QCOMPARE(image(screen->lsv, "9"), 2);
        QCOMPARE(image(screen->lsv, "10"), 0);
        QCOMPARE(image(screen->lsv, "11"), 0);
        QVERIFY(f->messages.shown.isEmpty());
        QVERIFY(f->errors.calls.isEmpty());
    }

    void destinationWithoutLinkGetsNothing()
    {
        f->addTerminal(5, QStringLiteral("Front Gate"), SimState());
        SimThread& warehouse = f->addTerminal(6, QStringLiteral("Warehouse"), SimState());
        f->load();
        QVERIFY(f->connectRow(2));
        QVERIFY(f->connectRow(1));
        employee(7, "Ann", "", "Lee");
        store(f->db(), {7, "Ann", 0, "F0", 6});
        openScreen();
        chooseDestination(QStringLiteral("Warehouse"));
        tick(screen->lsv, "7");
        int element = 0;
        f->window->controlForDevice(6, element)->SdkDisconnect();

        screen->ChkUpLoad_Click();
        QCOMPARE(f->messages.shown, (QVector<QPair<QString, int>>{{kNotLinked, 16}}));
        QVERIFY(warehouse.state().users.isEmpty());

        // Choosing it again empties the list.
        f->messages.clear();
        chooseDestination(QStringLiteral("Warehouse"));
        QCOMPARE(screen->lsv->topLevelItemCount(), 0);
        QCOMPARE(f->messages.shown, (QVector<QPair<QString, int>>{{kNotLinked, 16}}));
    }

    // The link drops as the 500th of 1,000 employees is uploaded, after its first finger:
    // the employees before it are on the terminal, the upload stops with the destination
    // message, and a rerun completes.
    void linkDroppedHalfWay()
    {
        SimThread& sim = f->addTerminal(5, QStringLiteral("Front Gate"), SimState());
        f->load();
        QVERIFY(f->connectRow(1));
        Transaction batch(f->db());
        for (int n = 1; n <= 1000; ++n) {
            employee(n, "E", "", QString::number(n));
            store(f->db(), {n, "E", 0, templ(n, 0), 5});
            store(f->db(), {n, "E", 1, templ(n, 1), 5});
        }
        batch.commit();
        openScreen();
        screen->ChkCheck->click();
        sim.run(
            [](SimTerminal& t) { t.setDropAfterAnswers(QStringLiteral("writeTemplate"), 999); });

        screen->ChkUpLoad_Click();
        QCOMPARE(f->messages.shown, (QVector<QPair<QString, int>>{{kNotLinked, 16}}));
        QCOMPARE(image(screen->lsv, "499"), 2);
        QCOMPARE(image(screen->lsv, "500"), 0);
        QCOMPARE(fingerOn(sim, 499, 1), templ(499, 1));
        QCOMPARE(fingerOn(sim, 501, 0), QStringLiteral("<no user>"));

        QVERIFY(f->connectRow(1));
        f->messages.clear();
        screen->ChkUpLoad_Click();
        QVERIFY(f->messages.shown.isEmpty());
        QCOMPARE(image(screen->lsv, "1000"), 2);
        QCOMPARE(fingerOn(sim, 500, 1), templ(500, 1));
        QCOMPARE(fingerOn(sim, 1000, 1), templ(1000, 1));
    }

    void noTerminalRegistered()
    {
        f->load();
        employee(7, "Ann", "", "Lee");
        openScreen();
        QCOMPARE(screen->cboDestinationDevice->count(), 0);
        QCOMPARE(screen->lsv->topLevelItemCount(), 0);
        screen->ChkUpLoad_Click();
        QVERIFY(f->errors.calls.isEmpty());
        QVERIFY(f->messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestUpload)
#include "tst_upload.moc"
