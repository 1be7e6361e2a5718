#include "FrmTagList.h"

#include "ErrorTrap.h"
#include "FieldBehaviour.h"
#include "Shared.h"
#include "TagList.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

#include <stdexcept>

namespace {
FrmTagList* g_instance = nullptr;

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

const QString kFormName = QStringLiteral("FrmTagList");
} // namespace

FrmTagList::FrmTagList(QWidget* parent) : QDialog(parent)
{
    setObjectName(kFormName);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);

    Picture1 = new QLabel(Frame1);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32));

    Label1 = new QLabel(Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    TxtSearch = new QLineEdit(Frame1);
    TxtSearch->setObjectName(QStringLiteral("TxtSearch"));
    TxtSearch->setText(QStringLiteral("Type Your Text To Search..."));

    lsv = new QTreeWidget(Frame1);
    lsv->setObjectName(QStringLiteral("lsv"));
    lsv->setRootIsDecorated(false);
    lsv->setItemsExpandable(false);
    lsv->setUniformRowHeights(true);
    lsv->setAllColumnsShowFocus(true);
    lsv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsv->setColumnCount(0);
    lsv->header()->setStretchLastSection(false);
    lsv->header()->setSectionsMovable(false);

    ChkTag = new QCheckBox(Frame1);
    ChkTag->setObjectName(QStringLiteral("ChkTag"));

    CmdOk = new QPushButton(QStringLiteral("&Ok"), Frame1);
    CmdOk->setObjectName(QStringLiteral("CmdOk"));
    CmdCancel = new QPushButton(QStringLiteral("&Cancel"), Frame1);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    // Enter belongs to the list (choose) and the search box (next field), never to a button.
    CmdOk->setAutoDefault(false);
    CmdCancel->setAutoDefault(false);

    setTabOrder(lsv, TxtSearch);
    setTabOrder(TxtSearch, ChkTag);
    setTabOrder(ChkTag, CmdOk);
    setTabOrder(CmdOk, CmdCancel);

    installFieldBehaviour(TxtSearch);

    connect(CmdOk, &QPushButton::clicked, this, &FrmTagList::CmdOk_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmTagList::CmdCancel_Click);
    connect(ChkTag, &QCheckBox::clicked, this, &FrmTagList::ChkTag_Click);
    connect(lsv, &QTreeWidget::itemDoubleClicked, this, &FrmTagList::lsv_DblClick);
    // Connected after the initial text, so that only the operator's changes search.
    connect(TxtSearch, &QLineEdit::textChanged, this, &FrmTagList::TxtSearch_Change);

    // The form sees every key before its controls; installed after the field behaviour so
    // that it runs first on the search box too.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

FrmTagList::~FrmTagList()
{
    if (g_instance == this)
        g_instance = nullptr;
}

FrmTagList& FrmTagList::form()
{
    if (!g_instance)
        g_instance = new FrmTagList(QApplication::activeWindow());
    return *g_instance;
}

void FrmTagList::showForm()
{
    FrmTagList& f = form();
    f.load();
    f.setModal(true);
    if (const TagListHandler& handler = tagListHandler()) {
        f.show();
        handler(f);
    } else {
        f.exec();
    }
    unloadForm();
}

void FrmTagList::unloadForm()
{
    delete g_instance;
}

void FrmTagList::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
}

void FrmTagList::Form_Load()
{
    ChkTag->setText(QStringLiteral("Select All"));
    layOut();
}

void FrmTagList::layOut()
{
    int formWidth = 5700;
    int formHeight = 6600;
    if (m_tagListSize == QLatin1String("USER")) {
        setWindowTitle(QStringLiteral("User List"));
        Label1->hide();
        TxtSearch->hide();
        ChkTag->hide();
        formWidth = 5500;
        formHeight = 5700;
    } else if (m_tagListSize == QLatin1String("BIG")) {
        formWidth = 9300;
        formHeight = 8400;
    }
    const int frameWidth = m_tagListSize == QLatin1String("USER") ? 5400 : formWidth - 200;
    const int frameHeight = formHeight - 300;
    setFixedSize(twips(formWidth), twips(formHeight));
    place(Frame1, (formWidth - frameWidth) / 2, 100, frameWidth, frameHeight);

    const int buttonTop = frameHeight - 520;
    place(CmdCancel, frameWidth - 120 - 1100, buttonTop, 1100, 400);
    place(CmdOk, frameWidth - 120 - 2260, buttonTop, 1100, 400);
    if (m_tagListSize == QLatin1String("USER")) {
        // The list takes the room of the hidden search controls; the buttons stay below it.
        place(lsv, 50, 200, 5300, buttonTop - 120 - 200);
        place(Picture1, 120, buttonTop - 40, 480, 480);
        return;
    }
    place(Picture1, 120, 200, 480, 480);
    place(Label1, 720, 150, frameWidth - 840, 600);
    place(TxtSearch, 120, 840, frameWidth - 240, 330);
    place(lsv, 120, 1260, frameWidth - 240, buttonTop - 120 - 1260);
    place(ChkTag, 120, buttonTop + 30, 2200, 330);
}

void FrmTagList::setMultipleChoice(bool multiple)
{
    if (multiple) {
        ChkTag->show();
        lsv->setSelectionMode(QAbstractItemView::ExtendedSelection);
        Label1->setText(QStringLiteral(
            "Press Ctrl + Mouse Click Or Drag The Mouse To Select Multiple Values From List"));
    } else {
        ChkTag->hide();
        lsv->setSelectionMode(QAbstractItemView::SingleSelection);
        Label1->setText(
            QStringLiteral("Select a value from list\nYou can select a single value from list."));
    }
}

void FrmTagList::clearList()
{
    lsv->clear();
    lsv->setColumnCount(0);
}

void FrmTagList::addColumn(const QString& caption, int widthTwips)
{
    const int column = lsv->columnCount();
    lsv->setColumnCount(column + 1);
    lsv->headerItem()->setText(column, caption);
    lsv->header()->resizeSection(column, twips(widthTwips));
}

void FrmTagList::addRow(const QStringList& texts)
{
    auto* item = new QTreeWidgetItem(lsv);
    const int columns = std::min<int>(texts.size(), lsv->columnCount());
    for (int i = 0; i < columns; ++i)
        item->setText(i, texts[i]);
}

bool FrmTagList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        Form_KeyDown(key);
        if (key == Qt::Key_Escape)
            return true;
        if (watched == lsv && lsv_KeyDown(key))
            return true;
    } else if (event->type() == QEvent::MouseButtonPress && watched == TxtSearch) {
        TxtSearch_Click();
    }
    return QDialog::eventFilter(watched, event);
}

void FrmTagList::Form_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_Escape)
        Unload();
    SharedState& s = shared();
    s.TagList.clear();
    s.TagValue1.clear();
    s.TagValue2.clear();
}

bool FrmTagList::lsv_KeyDown(int keyCode)
{
    if (keyCode != Qt::Key_Return && keyCode != Qt::Key_Enter)
        return false;
    CmdOk_Click();
    return true;
}

void FrmTagList::lsv_DblClick()
{
    CmdOk_Click();
}

void FrmTagList::CmdOk_Click()
{
    trapErrors(kFormName, QStringLiteral("Cmdok_Click()"), [this] {
        SharedState& s = shared();
        s.TagRawList.clear();
        if (lsv->topLevelItemCount() > 0) {
            QStringList chosen;
            for (int i = 0; i < lsv->topLevelItemCount(); ++i) {
                if (lsv->topLevelItem(i)->isSelected())
                    chosen << lsv->topLevelItem(i)->text(0);
            }
            s.TagList = buildTagList(chosen, &s.TagRawList);
            QTreeWidgetItem* current = lsv->currentItem();
            if (!current)
                throw std::runtime_error("No row of the list is current.");
            s.TagValue1 = current->text(0);
            s.TagValue2 = current->text(1);
            s.TagIndex = lsv->indexOfTopLevelItem(current) + 1;
        }
        Unload();
    });
}

void FrmTagList::CmdCancel_Click()
{
    SharedState& s = shared();
    s.TagList.clear();
    s.TagValue1.clear();
    s.TagValue2.clear();
    Unload();
}

// Closing the window is a cancel: the caller must not take an earlier pick for this one.
void FrmTagList::reject()
{
    CmdCancel_Click();
}

void FrmTagList::Unload()
{
    done(QDialog::Rejected);
}

void FrmTagList::ChkTag_Click()
{
    trapErrors(kFormName, QStringLiteral("Chktag_Click()"), [this] {
        if (ChkTag->isChecked()) {
            lsv->selectAll();
            ChkTag->setText(QStringLiteral("Diselect All"));
        } else {
            lsv->clearSelection();
            ChkTag->setText(QStringLiteral("Select All"));
        }
        lsv->setFocus();
    });
}

void FrmTagList::TxtSearch_Change()
{
    trapErrors(kFormName, QStringLiteral("txtsearch_Change()"), [this] {
        SharedState& s = shared();
        s.Rs.close();
        // The cut stays for the rest of the dialog's life: filtered lists come unordered.
        s.TagListSQL = cutOrderBy(s.TagListSQL);
        s.Rs = s.Cnxn.select(tagSearchStatement(s.TagListSQL, s.TagSearchField, s.Cnxn),
                             {likeContainsPattern(TxtSearch->text())});
        if (s.Rs.isEmpty())
            return;
        lsv->clear();
        for (int row = 0; row < s.Rs.RecordCount(); ++row) {
            QStringList texts{s.Rs.valueAt(row, 0).toString()};
            if (s.Rs.fieldCount() > 1)
                texts << s.Rs.valueAt(row, 1).toString().trimmed();
            addRow(texts);
        }
    });
}

void FrmTagList::TxtSearch_Click()
{
    TxtSearch->clear();
}
