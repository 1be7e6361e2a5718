#include "support/TestSupport.h"

#include "shell/FrmTagList.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "shell/TagList.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
const QString kDeviceSql =
    QStringLiteral("Select DeviceID,DeviceDescription From Tbl_DeviceMaster Order By DeviceID");
const QString kEmployeeSql = QStringLiteral(
    "Select EMP_ID,EMP_FIRSTNAME,EMP_LASTNAME From Tbl_Emp_Info Order By Emp_FirstName");

template <typename T> T* control(FrmTagList& f, const char* name)
{
    T* w = f.findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

QStringList column(const QTreeWidget* list, int col)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(col);
    return texts;
}
} // namespace

class TestTagList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void emptyResultShowsMessageOnly();
    void resultsOfOkCancelEsc_data();
    void resultsOfOkCancelEsc();
    void okWithoutCurrentRowReportsAndStaysOpen();
    void multipleChoice();
    void tagListQuotesEachValue();
    void searchMatchesOperatorTextLiterally_data();
    void searchMatchesOperatorTextLiterally();
    void searchIgnoresLetterCase_data();
    void searchIgnoresLetterCase();
    void searchCutsOrderAndKeepsRowsOnNoMatch();
    void searchOnBadColumnIsReported();
    void employeeSearchLeavesThirdColumnEmpty();
    void userLayoutFilledByCaller();
    void modalRunEndsOnOk();

private:
    // Runs the device picker; act receives the shown dialog.
    void pickDevice(const std::function<void(FrmTagList&)>& act, const QString& mode = {},
                    const QString& searchField = QStringLiteral("DeviceDescription"));
    void pickEmployee(const std::function<void(FrmTagList&)>& act);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<MsgBoxRecorder> m_msg;
    std::unique_ptr<ErrorDialogRecorder> m_errors;
};

void TestTagList::init()
{
    resetShared();
    m_env = std::make_unique<TestEnvironment>();
    m_db = std::make_unique<TempDatabase>();
    m_db->openShared();
    m_msg = std::make_unique<MsgBoxRecorder>();
    m_errors = std::make_unique<ErrorDialogRecorder>();
    Db& db = m_db->db();
    const QVariantList devices[] = {
        {3, QStringLiteral("O'Brien Hall")},  {1, QStringLiteral("  Main Gate  ")},
        {2, QStringLiteral("Back 50% Door")}, {4, QStringLiteral("Store_Room")},
        {5, QStringLiteral("Lab [A]")},       {6, QStringLiteral("Stores Room")},
        {7, QStringLiteral("Yard\\North")}};
    for (const QVariantList& d : devices)
        db.execute(QStringLiteral("INSERT INTO Tbl_DeviceMaster (DeviceID, DeviceDescription, "
                                  "ConMode, Log_Mode) VALUES (?, ?, 1, 3)"),
                   d);
    const QVariantList employees[] = {{10, QStringLiteral("Zara"), QStringLiteral("Khan")},
                                      {11, QStringLiteral("Adam"), QStringLiteral("Smith")},
                                      {12, QStringLiteral("Mia"), QStringLiteral("Zane")}};
    for (const QVariantList& e : employees)
        db.execute(QStringLiteral("INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, "
                                  "Emp_MiddleName, Emp_LastName) VALUES (?, ?, '', ?)"),
                   e);
}

void TestTagList::cleanup()
{
    setTagListHandler({});
    m_errors.reset();
    m_msg.reset();
    shared().Cnxn.close();
    m_db.reset();
    m_env.reset();
}

void TestTagList::pickDevice(const std::function<void(FrmTagList&)>& act, const QString& mode,
                             const QString& searchField)
{
    shared().TagColCaptions = {QStringLiteral("Device ID"), QStringLiteral("Device Description")};
    shared().TagColWidths = {1100, 3000};
    FrmTagList::form().setTagListSize(QString());
    shared().StrSQL = kDeviceSql;
    setTagListHandler(act);
    ShowTagList(shared().StrSQL, 1, QStringLiteral("Device List Not Available"), searchField,
                QStringLiteral("Device List"), mode);
}

void TestTagList::pickEmployee(const std::function<void(FrmTagList&)>& act)
{
    shared().TagColCaptions = {QStringLiteral("Emp ID"), QStringLiteral("First Name"),
                               QStringLiteral("Last Name")};
    shared().TagColWidths = {950, 1600, 1500};
    setTagListHandler(act);
    ShowTagList(kEmployeeSql, 2, QStringLiteral("Employee List Not Available"),
                QStringLiteral("Emp_FirstName"), QStringLiteral("Employee List"), QString());
}

void TestTagList::emptyResultShowsMessageOnly()
{
    m_db->db().execute(QStringLiteral("DELETE FROM Tbl_Emp_Info"));
    bool shown = false;
    pickEmployee([&](FrmTagList&) { shown = true; });
    QVERIFY(!shown);
    QCOMPARE(m_msg->shown.size(), 1);
    QCOMPARE(m_msg->shown[0].first, QStringLiteral("Employee List Not Available"));
    QCOMPARE(m_msg->shown[0].second, 64);

    // A failing query goes to the caller's trap and leaves no half-filled picker behind.
    QVERIFY(!trapErrors(QStringLiteral("frmCaller"), QStringLiteral("Pick()"), [] {
        ShowTagList(QStringLiteral("Select x From NoSuchTable"), 1, QStringLiteral("none"),
                    QStringLiteral("x"), QStringLiteral("Broken"), QString());
    }));
    QVERIFY(!shown);
    QCOMPARE(m_errors->calls.size(), 1);
    QCOMPARE(m_errors->calls[0].proc, QStringLiteral("Pick()"));

    QStringList headers;
    QList<int> widths;
    QString caption;
    pickDevice([&](FrmTagList& f) {
        caption = f.windowTitle();
        for (int i = 0; i < f.lsv->columnCount(); ++i) {
            headers << f.lsv->headerItem()->text(i);
            widths << f.lsv->header()->sectionSize(i);
        }
        f.CmdCancel_Click();
    });
    QCOMPARE(caption, QStringLiteral("Device List"));
    QCOMPARE(headers,
             (QStringList{QStringLiteral("Device ID"), QStringLiteral("Device Description")}));
    QCOMPARE(widths, (QList<int>{1100 / 15, 3000 / 15}));
}

void TestTagList::resultsOfOkCancelEsc_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("value1");
    QTest::addColumn<QString>("value2");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("list");
    // clang-format off
    QTest::newRow("ok")            << "ok"       << "2" << "Back 50% Door" << 2 << "'2'";
    QTest::newRow("double click")  << "dblclick" << "2" << "Back 50% Door" << 2 << "'2'";
    QTest::newRow("enter in list") << "enter"    << "2" << "Back 50% Door" << 2 << "'2'";
    QTest::newRow("cancel")        << "cancel"   << ""  << ""              << 9 << "";
    QTest::newRow("esc")           << "esc"      << ""  << ""              << 9 << "";
    // clang-format on
}

void TestTagList::resultsOfOkCancelEsc()
{
    QFETCH(QString, how);
    shared().TagValue1 = QStringLiteral("old");
    shared().TagValue2 = QStringLiteral("old");
    shared().TagList = QStringLiteral("'old'");
    shared().TagIndex = 9;
    QPointer<FrmTagList> dialog;
    bool closedInside = false;
    QStringList shownValues;
    pickDevice([&](FrmTagList& f) {
        dialog = &f;
        shownValues = column(f.lsv, 1);
        QVERIFY(control<QCheckBox>(f, "ChkTag")->isHidden());
        f.lsv->setCurrentItem(f.lsv->topLevelItem(1));
        if (how == QLatin1String("ok"))
            QTest::mouseClick(control<QPushButton>(f, "CmdOk"), Qt::LeftButton);
        else if (how == QLatin1String("dblclick"))
            Q_EMIT f.lsv->itemDoubleClicked(f.lsv->topLevelItem(1), 0);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(f.lsv, Qt::Key_Return);
        else if (how == QLatin1String("cancel"))
            QTest::mouseClick(control<QPushButton>(f, "CmdCancel"), Qt::LeftButton);
        else
            QTest::keyClick(f.lsv, Qt::Key_Escape);
        closedInside = !f.isVisible();
    });
    // Rows come in the query's order with the further columns trimmed.
    QCOMPARE(shownValues.value(0), QStringLiteral("Main Gate"));
    QVERIFY(closedInside);
    QVERIFY(!dialog);
    QTEST(shared().TagValue1, "value1");
    QTEST(shared().TagValue2, "value2");
    QTEST(shared().TagIndex, "index");
    QTEST(shared().TagList, "list");
    QVERIFY(m_errors->calls.isEmpty());
}

void TestTagList::okWithoutCurrentRowReportsAndStaysOpen()
{
    bool stillOpen = false;
    pickDevice([&](FrmTagList& f) {
        f.lsv->setCurrentItem(nullptr);
        f.CmdOk_Click();
        stillOpen = f.isVisible();
        f.CmdCancel_Click();
    });
    QVERIFY(stillOpen);
    QCOMPARE(m_errors->calls.size(), 1);
    QCOMPARE(m_errors->calls[0].form, QStringLiteral("FrmTagList"));
    QCOMPARE(m_errors->calls[0].proc, QStringLiteral("Cmdok_Click()"));
}

void TestTagList::multipleChoice()
{
    QStringList lists;
    QString hint;
    bool allAfterSelectAll = false;
    bool noneAfterDeselect = false;
    QStringList chkCaptions;
    auto pick = [&](const QList<int>& rows) {
        pickDevice(
            [&](FrmTagList& f) {
                auto* chk = control<QCheckBox>(f, "ChkTag");
                hint = control<QLabel>(f, "Label1")->text();
                QVERIFY(!chk->isHidden());
                QTest::mouseClick(chk, Qt::LeftButton);
                allAfterSelectAll = f.lsv->selectedItems().size() == f.lsv->topLevelItemCount();
                chkCaptions << chk->text();
                QTest::mouseClick(chk, Qt::LeftButton);
                noneAfterDeselect = f.lsv->selectedItems().isEmpty();
                chkCaptions << chk->text();
                f.lsv->setCurrentItem(f.lsv->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
                for (int row : rows)
                    f.lsv->topLevelItem(row)->setSelected(true);
                f.CmdOk_Click();
            },
            QStringLiteral("M"));
        lists << shared().TagList;
    };
    pick({0, 1, 2});
    QCOMPARE(hint, QStringLiteral("Press Ctrl + Mouse Click Or Drag The Mouse To Select Multiple "
                                  "Values From List"));
    QVERIFY(allAfterSelectAll);
    QVERIFY(noneAfterDeselect);
    QCOMPARE(chkCaptions,
             (QStringList{QStringLiteral("Diselect All"), QStringLiteral("Select All")}));
    pick({1});
    pick({});
    QCOMPARE(lists, (QStringList{QStringLiteral("'1','2','3'"), QStringLiteral("'2'"),
                                 QStringLiteral("'")}));
    // The current row still answers TagValue1 in multiple choice.
    QCOMPARE(shared().TagValue1, QStringLiteral("1"));
    QCOMPARE(shared().TagRawList, QString());
}

void TestTagList::tagListQuotesEachValue()
{
    QString raw;
    QCOMPARE(buildTagList({QStringLiteral("a"), QStringLiteral("b")}, &raw),
             QStringLiteral("'a','b'"));
    QCOMPARE(raw, QStringLiteral("','a','b"));
    QCOMPARE(buildTagList({QStringLiteral("O'Brien")}), QStringLiteral("'O''Brien'"));
}

void TestTagList::searchMatchesOperatorTextLiterally_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("quote") << "O'B" << QStringList{"3"};
    QTest::newRow("percent") << "50%" << QStringList{"2"};
    QTest::newRow("lone percent") << "%" << QStringList{"2"};
    QTest::newRow("underscore") << "_" << QStringList{"4"};
    QTest::newRow("bracket") << "[A" << QStringList{"5"};
    QTest::newRow("backslash") << "\\" << QStringList{"7"};
    QTest::newRow("injection") << "x' OR '1'='1" << QStringList{"3", "1", "2", "4", "5", "6", "7"};
}

void TestTagList::searchMatchesOperatorTextLiterally()
{
    QFETCH(QString, text);
    QStringList ids;
    pickDevice([&](FrmTagList& f) {
        auto* search = control<QLineEdit>(f, "TxtSearch");
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(search->text(), QString());
        QTest::keyClicks(search, text);
        ids = column(f.lsv, 0);
        f.CmdCancel_Click();
    });
    QVERIFY(m_errors->calls.isEmpty());
    // A text matching nothing keeps the rows of the last keystroke that did match; after
    // a click the full list is back in the server's order.
    QTEST(ids, "ids");
    QCOMPARE(m_db->db().scalar(QStringLiteral("SELECT COUNT(*) FROM Tbl_DeviceMaster")).toInt(), 7);
}

void TestTagList::searchIgnoresLetterCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("ascii") << "main GATE" << QStringList{"1"};
    QTest::newRow("accented capitals") << QStringLiteral("ZOË") << QStringList{"8"};
    QTest::newRow("accented small") << QStringLiteral("ünal") << QStringList{"8"};
    QTest::newRow("greek") << QStringLiteral("αθήνα") << QStringList{"9"};
    // Case is ignored, accents are not: no match keeps the whole list.
    QTest::newRow("no accent") << QStringLiteral("zoe")
                               << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
}

void TestTagList::searchIgnoresLetterCase()
{
    QFETCH(QString, text);
    m_db->db().execute(QStringLiteral("INSERT INTO Tbl_DeviceMaster (DeviceID, DeviceDescription, "
                                      "ConMode, Log_Mode) VALUES (8, ?, 1, 3), (9, ?, 1, 3)"),
                       {QStringLiteral("Zoë Ünal Gate"), QStringLiteral("ΑΘΉΝΑ Office")});
    QStringList ids;
    pickDevice([&](FrmTagList& f) {
        control<QLineEdit>(f, "TxtSearch")->setText(text);
        ids = column(f.lsv, 0);
        f.CmdCancel_Click();
    });
    QVERIFY(m_errors->calls.isEmpty());
    QTEST(ids, "ids");
}

void TestTagList::searchCutsOrderAndKeepsRowsOnNoMatch()
{
    QCOMPARE(cutOrderBy(QStringLiteral("Select a From t order by a")),
             QStringLiteral("Select a From t "));
    QCOMPARE(cutOrderBy(QStringLiteral("Select a From t")), QStringLiteral("Select a From t"));

    QStringList afterStores, afterNoMatch, afterClick;
    QString sqlDuringSearch;
    pickDevice([&](FrmTagList& f) {
        auto* search = control<QLineEdit>(f, "TxtSearch");
        QCOMPARE(search->text(), QStringLiteral("Type Your Text To Search..."));
        QCOMPARE(f.lsv->topLevelItemCount(), 7);
        search->setText(QStringLiteral("Store"));
        afterStores = column(f.lsv, 1);
        sqlDuringSearch = shared().TagListSQL;
        search->setText(QStringLiteral("nothing like this"));
        afterNoMatch = column(f.lsv, 1);
        QTest::mouseClick(search, Qt::LeftButton);
        afterClick = column(f.lsv, 0);
        f.CmdCancel_Click();
    });
    QCOMPARE(sqlDuringSearch,
             QStringLiteral("Select DeviceID,DeviceDescription From Tbl_DeviceMaster "));
    QCOMPARE(afterStores.size(), 2);
    QVERIFY(afterStores.contains(QStringLiteral("Store_Room")));
    QCOMPARE(afterNoMatch, afterStores);
    QCOMPARE(afterClick.size(), 7);
    QVERIFY(m_errors->calls.isEmpty());
}

void TestTagList::searchOnBadColumnIsReported()
{
    int rows = 0;
    pickDevice(
        [&](FrmTagList& f) {
            control<QLineEdit>(f, "TxtSearch")->setText(QStringLiteral("Gate"));
            rows = f.lsv->topLevelItemCount();
            f.CmdCancel_Click();
        },
        QString(), QStringLiteral("DeviceDescription=DeviceDescription--"));
    QCOMPARE(rows, 7);
    QCOMPARE(m_errors->calls.size(), 1);
    QCOMPARE(m_errors->calls[0].proc, QStringLiteral("txtsearch_Change()"));
}

void TestTagList::employeeSearchLeavesThirdColumnEmpty()
{
    QStringList before, after, firstNames;
    pickEmployee([&](FrmTagList& f) {
        before = column(f.lsv, 2);
        control<QLineEdit>(f, "TxtSearch")->setText(QStringLiteral("a"));
        after = column(f.lsv, 2);
        firstNames = column(f.lsv, 1);
        f.CmdCancel_Click();
    });
    QCOMPARE(before, (QStringList{QStringLiteral("Smith"), QStringLiteral("Zane"),
                                  QStringLiteral("Khan")}));
    QCOMPARE(firstNames.size(), 3);
    QCOMPARE(after, (QStringList{QString(), QString(), QString()}));
}

void TestTagList::userLayoutFilledByCaller()
{
    FrmTagList& f = FrmTagList::form();
    f.setTagListSize(QStringLiteral("USER"));
    f.lsv->clear();
    f.addColumn(QStringLiteral("User ID"), 800);
    f.addColumn(QStringLiteral("Name"), 1200);
    f.addRow({QStringLiteral("7"), QStringLiteral("NULL")});
    f.addRow({QStringLiteral("8"), QStringLiteral("Ann")});
    QString caption;
    bool searchHidden = false;
    int listWidth = 0;
    setTagListHandler([&](FrmTagList& d) {
        caption = d.windowTitle();
        searchHidden = control<QLineEdit>(d, "TxtSearch")->isHidden() &&
                       control<QLabel>(d, "Label1")->isHidden() &&
                       control<QCheckBox>(d, "ChkTag")->isHidden();
        listWidth = d.lsv->width();
        d.lsv->setCurrentItem(d.lsv->topLevelItem(1));
        d.CmdOk_Click();
    });
    FrmTagList::showForm();
    QCOMPARE(caption, QStringLiteral("User List"));
    QVERIFY(searchHidden);
    QCOMPARE(listWidth, 5300 / 15);
    QCOMPARE(shared().TagValue1, QStringLiteral("8"));
    QCOMPARE(shared().TagIndex, 2);
    // The next pick starts from the ordinary layout again.
    QCOMPARE(FrmTagList::form().TagListSize(), QString());
    FrmTagList::unloadForm();
}

void TestTagList::modalRunEndsOnOk()
{
    QString caption;
    answerNextModal([&](QWidget* modal) {
        auto* f = qobject_cast<FrmTagList*>(modal);
        QVERIFY(f);
        caption = f->windowTitle();
        f->lsv->setCurrentItem(f->lsv->topLevelItem(2));
        QTest::keyClick(f->lsv, Qt::Key_Enter);
    });
    pickDevice({});
    QCOMPARE(caption, QStringLiteral("Device List"));
    QCOMPARE(shared().TagValue1, QStringLiteral("3"));
    QCOMPARE(shared().TagIndex, 3);
}

QTEST_MAIN(TestTagList)
#include "tst_taglist.moc"
