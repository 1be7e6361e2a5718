#include "frmDataRepair.h"

#include "data/CodeTables.h"
#include "shell/Clock.h"
#include "shell/Db.h"
#include "shell/ErrorTrap.h"
#include "shell/FieldBehaviour.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "shell/Startup.h"
#include "shell/Twips.h"
#include "terminals/frm2.h"

#include <QAbstractTableModel>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTextCharFormat>
#include <QVBoxLayout>

namespace {
const QString kForm = QStringLiteral("frmDataRepair");
const QString kToggle = QStringLiteral("[X]");

// A NULL mode shows as nothing, not as the name of mode 0.
QString codeText(std::optional<int> mode)
{
    return mode ? QString::number(*mode) : QString();
}

// The verify modes this screen has names for; any other shows its number.
QString verifyText(std::optional<int> mode)
{
    if (!mode)
        return {};
    switch (*mode) {
    case 0:
        return QStringLiteral("Card");
    case 1:
        return QStringLiteral("FPrint");
    case 2:
        return QStringLiteral("Password");
    default:
        return codeText(mode);
    }
}

// RepairLogModeNames covers -1 to 6; any other mode shows its number.
QString logModeText(std::optional<int> mode)
{
    return mode && *mode >= -1 && *mode <= 6 ? RepairLogModeNames::name(*mode) : codeText(mode);
}

} // namespace

// The grid's rows: the query's punches with their states, drawn by state.
class RepairLogModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    QVector<RepairRow> rows;

    void setRows(QVector<RepairRow> loaded)
    {
        beginResetModel();
        rows = std::move(loaded);
        endResetModel();
    }
    void rowChanged(int row) { Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1)); }

    static constexpr int ColumnCount = 9;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }

    QString text(int row, int column) const
    {
        const RepairRow& r = rows.at(row);
        switch (column) {
        case frmDataRepair::ColUser:
            return QString::number(r.Emp_ID);
        case frmDataRepair::ColName:
            return r.name;
        case frmDataRepair::ColDate:
            return r.dateText();
        case frmDataRepair::ColTime:
            return r.timeText();
        case frmDataRepair::ColVM:
            return codeText(r.VerifyMode);
        case frmDataRepair::ColVerify:
            return verifyText(r.VerifyMode);
        case frmDataRepair::ColLM:
            return codeText(r.InOutMode);
        case frmDataRepair::ColLogMode:
            return logModeText(r.InOutMode);
        case frmDataRepair::ColX:
            return kToggle;
        default:
            return {};
        }
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rows.size())
            return {};
        const int state = rows.at(index.row()).state;
        switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), index.column());
        case Qt::ForegroundRole:
            if (state == RepairRow::Delete)
                return QColor(255, 0, 0);
            if (state == RepairRow::NewMode)
                return QColor(100, 128, 60);
            return QColor(Qt::black);
        case Qt::BackgroundRole:
            return QColor(Qt::white);
        case Qt::FontRole:
            if (state != RepairRow::Unchanged) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList headers{
            QStringLiteral("User ID"), QStringLiteral("User Name"), QStringLiteral("Date"),
            QStringLiteral("Time"),    QStringLiteral("VM"),        QStringLiteral("Verify Mode"),
            QStringLiteral("LM"),      QStringLiteral("Log Mode"),  QString()};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return headers.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
};

frmDataRepair::frmDataRepair(frm2* window, QWidget* parent) : QDialog(parent)
{
    if (window) {
        bool ok = false;
        m_machineId = long(window->MachineID.toLongLong(&ok));
        if (ok && window->SelectedItem >= 0 && window->SelectedItem < window->TermCtl1.size())
            m_terminal = window->TermCtl1.at(window->SelectedItem);
    }
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Repair Extracted Data"));

    XPFrame1 = new QGroupBox(this);
    XPFrame1->setObjectName(QStringLiteral("XPFrame1"));
    Label1 = new QLabel(QStringLiteral("User Name"), XPFrame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    cboUserID = new QComboBox(XPFrame1);
    cboUserID->setObjectName(QStringLiteral("cboUserID"));
    cboUserID->setEditable(true);
    cboUserID->setInsertPolicy(QComboBox::NoInsert);
    auto* userLayout = new QHBoxLayout(XPFrame1);
    userLayout->addWidget(Label1);
    userLayout->addWidget(cboUserID, 1);

    XPFrame2 = new QGroupBox(this);
    XPFrame2->setObjectName(QStringLiteral("XPFrame2"));
    Label2 = new QLabel(QStringLiteral("Date Range :"), XPFrame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    mvw = new QCalendarWidget(XPFrame2);
    mvw->setObjectName(QStringLiteral("mvw"));
    mvw->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    auto* dateLayout = new QVBoxLayout(XPFrame2);
    dateLayout->addWidget(Label2);
    dateLayout->addWidget(mvw);

    cmdShow = makeCommandButton(this, "cmdShow", QStringLiteral("Query Data"));
    cmdExecute = makeCommandButton(this, "cmdExecute", QStringLiteral("Execute"));

    fraLogDetail = new QGroupBox(QStringLiteral("Attendance Log"), this);
    fraLogDetail->setObjectName(QStringLiteral("fraLogDetail"));
    GridLogData = new QTableView(fraLogDetail);
    GridLogData->setObjectName(QStringLiteral("GridLogData"));
    m_model = new RepairLogModel(this);
    GridLogData->setModel(m_model);
    GridLogData->verticalHeader()->hide();
    GridLogData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridLogData->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridLogData->setSelectionMode(QAbstractItemView::SingleSelection);
    GridLogData->verticalHeader()->setDefaultSectionSize(GridLogData->fontMetrics().height() + 6);
    auto* gridLayout = new QVBoxLayout(fraLogDetail);
    gridLayout->addWidget(GridLogData);

    // Floats over a Log Mode cell; a child of the dialog so it can sit over the grid.
    picLogType = new QWidget(this);
    picLogType->setObjectName(QStringLiteral("picLogType"));
    cboLogType = new QComboBox(picLogType);
    cboLogType->setObjectName(QStringLiteral("cboLogType"));
    cboLogType->setEditable(false);
    picLogType->hide();

    auto* left = new QVBoxLayout;
    left->addWidget(XPFrame1);
    left->addWidget(XPFrame2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdShow);
    buttons->addWidget(cmdExecute);
    left->addLayout(buttons);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(fraLogDetail, 1);
    resize(1000, 520);

    installFieldBehaviour(cboUserID);
    connect(cmdShow, &QPushButton::clicked, this, &frmDataRepair::cmdShow_Click);
    connect(cmdExecute, &QPushButton::clicked, this, &frmDataRepair::cmdExecute_Click);
    connect(GridLogData, &QTableView::clicked, this,
            [this](const QModelIndex& index) { GridLogData_Click(index.row(), index.column()); });
    connect(cboLogType, &QComboBox::activated, this, [this] { cboLogType_Click(); });
    connect(mvw, &QCalendarWidget::clicked, this,
            [this](const QDate& date) { mvw_Click(date, QGuiApplication::keyboardModifiers()); });
    // The arrow keys move the day as a click does; the query must take the day shown.
    connect(mvw, &QCalendarWidget::selectionChanged, this, [this] {
        if (!m_showingSelection)
            mvw_Click(mvw->selectedDate(), QGuiApplication::keyboardModifiers());
    });

    Form_Load();
}

frmDataRepair::~frmDataRepair() = default;

void frmDataRepair::Form_Load()
{
    SetupRepairGrid();
    m_deletions = 0;
    m_modifications = 0;
    setSelection(Clock::today(), Clock::today());
    FillLogTypeCombo();
}

void frmDataRepair::FillLogTypeCombo()
{
    cboLogType->clear();
    const QStringList names{QStringLiteral("Check In"),  QStringLiteral("Check Out"),
                            QStringLiteral("Break Out"), QStringLiteral("Break In"),
                            QStringLiteral("OT In"),     QStringLiteral("OT Out")};
    for (int mode = 0; mode < names.size(); ++mode)
        cboLogType->addItem(names[mode], mode);
}

void frmDataRepair::SetupRepairGrid()
{
    m_model->setRows({});
    m_currentRow = -1;
    m_currentColumn = 0;
    // The given widths, widened where a header or an emphasised cell would not fit in them
    // (they were set for a smaller font).
    QFont bold = GridLogData->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int standard = twips(1800);
    const int widths[RepairLogModel::ColumnCount] = {
        standard, standard, twips(1200), standard, 0, twips(1000), 0, twips(1500), standard};
    for (int c = 0; c < RepairLogModel::ColumnCount; ++c) {
        GridLogData->setColumnHidden(c, widths[c] == 0);
        if (widths[c] == 0)
            continue;
        const QString header = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int needed =
            qMax(metrics.horizontalAdvance(header),
                 c == ColDate ? metrics.horizontalAdvance(QStringLiteral("0000-00-00")) : 0) +
            16;
        GridLogData->setColumnWidth(c, qMax(widths[c], needed));
    }
}

void frmDataRepair::LoadRepairLogs(qint64 user, const QDate& first, const QDate& last)
{
    QVector<RepairRow> loaded;
    try {
        Db db;
        db.open(GetConnectionString());
        PunchRepair::load(db, m_terminal, m_machineId, user, first, last, loaded);
    } catch (...) {
        m_model->setRows(std::move(loaded));
        throw;
    }
    m_model->setRows(std::move(loaded));
}

void frmDataRepair::cmdShow_Click()
{
    trapErrors(kForm, QStringLiteral("cmdShow_Click()"), [this] {
        SetupRepairGrid();
        LoadRepairLogs(PunchRepair::userNumber(cboUserID->currentText()), m_selStart, m_selEnd);
        picLogType->hide();
    });
}

void frmDataRepair::GridLogData_Click(int row, int column)
{
    if (row < 0 || row >= m_model->rows.size())
        return;
    m_currentRow = row;
    m_currentColumn = column;
    RepairRow& r = m_model->rows[row];
    if (m_model->text(row, column) == kToggle) {
        if (r.state == RepairRow::NewMode &&
            MsgBox(QStringLiteral("Some data has been modified. Do you want to queue the "
                                  "selected log data to deletion queue?"),
                   36) != vbYes)
            return;
        r.state = r.state == RepairRow::Delete ? RepairRow::Unchanged : RepairRow::Delete;
        m_model->rowChanged(row);
        GridLogData->selectRow(row);
        m_currentColumn = 0;
    }
    if (m_currentColumn != ColLogMode) {
        picLogType->hide();
        return;
    }
    const QModelIndex cell = m_model->index(row, column);
    GridLogData->scrollTo(cell);
    const QRect rect = GridLogData->visualRect(cell);
    picLogType->setGeometry(
        QRect(GridLogData->viewport()->mapTo(this, rect.topLeft()), rect.size()));
    picLogType_Resize();
    cboLogType->resize(picLogType->width() + twips(75), cboLogType->height());
    m_logTypeTag = QStringLiteral("TAVI");
    SelectComboItem(cboLogType, -1, m_model->text(row, ColLogMode));
    m_logTypeTag.clear();
    picLogType->show();
    picLogType->raise();
    cboLogType->setFocus();
}

void frmDataRepair::cboLogType_Click()
{
    if (!m_logTypeTag.isEmpty())
        return;
    if (m_currentRow < 0 || m_currentRow >= m_model->rows.size() || cboLogType->currentIndex() < 0)
        return;
    RepairRow& r = m_model->rows[m_currentRow];
    r.InOutMode = cboLogType->currentData().toInt();
    r.state = RepairRow::NewMode;
    m_model->rowChanged(m_currentRow);
}

void frmDataRepair::picLogType_Resize()
{
    cboLogType->setGeometry(0, 0, picLogType->width(), picLogType->height());
}

void frmDataRepair::cmdExecute_Click()
{
    trapErrors(kForm, QStringLiteral("cmdExecute_Click()"), [this] {
        PunchRepair::count(m_model->rows, m_deletions, m_modifications);
        const QString question = PunchRepair::confirmation(m_deletions, m_modifications);
        if (question.isEmpty()) {
            MsgBox(QStringLiteral("No data changes made."), 48);
            return;
        }
        if (MsgBox(question, 36) != vbYes)
            return;
        Db db;
        db.open(GetConnectionString());
        PunchRepair::execute(db, m_model->rows);
        db.close();
        MsgBox(QStringLiteral("Commands executed successfully"), 64);
    });
}

void frmDataRepair::mvw_Click(const QDate& date, Qt::KeyboardModifiers modifiers)
{
    if ((modifiers & Qt::ShiftModifier) && m_anchor.isValid()) {
        setSelection(qMin(m_anchor, date), qMax(m_anchor, date));
        return;
    }
    setSelection(date, date);
}

void frmDataRepair::setSelection(const QDate& first, const QDate& last)
{
    // A new single day becomes the anchor that Shift+click extends from.
    if (first == last)
        m_anchor = first;
    m_selStart = first;
    m_selEnd = last;
    showSelection();
}

void frmDataRepair::showSelection()
{
    mvw->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat marked;
    marked.setBackground(palette().highlight());
    marked.setForeground(palette().highlightedText());
    for (QDate d = m_selStart; d.isValid() && d <= m_selEnd; d = d.addDays(1))
        mvw->setDateTextFormat(d, marked);
    m_showingSelection = true;
    mvw->setSelectedDate(m_selEnd);
    m_showingSelection = false;
}

int frmDataRepair::rowCount() const
{
    return int(m_model->rows.size());
}

QString frmDataRepair::TextMatrix(int row, int column) const
{
    return m_model->text(row, column);
}

int frmDataRepair::rowState(int row) const
{
    return m_model->rows.at(row).state;
}

const QVector<RepairRow>& frmDataRepair::rows() const
{
    return m_model->rows;
}
