#include "TemplateWidgets.h"

#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <QWidget>

#include <algorithm>

namespace TemplateWidgets {

namespace {
constexpr int kImageRole = Qt::UserRole + 40;

QIcon draw(Picture picture)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(picture == Picture::Done            ? QColor(40, 160, 70)
             : picture == Picture::DoneElsewhere ? QColor(220, 150, 20)
                                                 : QColor(200, 50, 40),
             2.5);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    if (picture == Picture::Refused) {
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    } else {
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    }
    return QIcon(pixmap);
}

const QIcon& icon(Picture picture)
{
    static const QIcon done = draw(Picture::Done);
    static const QIcon elsewhere = draw(Picture::DoneElsewhere);
    static const QIcon refused = draw(Picture::Refused);
    return picture == Picture::Done            ? done
           : picture == Picture::DoneElsewhere ? elsewhere
                                               : refused;
}
} // namespace

void setRowImage(QTreeWidgetItem* item, int image, Picture picture)
{
    item->setIcon(0, image == 0 ? QIcon() : icon(picture));
    item->setData(0, kImageRole, image);
}

int rowImage(const QTreeWidgetItem* item)
{
    return item->data(0, kImageRole).toInt();
}

void setUpList(QTreeWidget* list, const QStringList& headers, const QList<int>& twips)
{
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setColumnCount(int(headers.size()));
    list->setHeaderLabels(headers);
    // A width never cuts its header short: this font runs wider than the one the widths
    // were chosen for ("Backup Index" does not fit in 1200 twips).
    for (int i = 0; i < twips.size(); ++i)
        list->setColumnWidth(i, std::max(twips.at(i) / 15, list->header()->sectionSizeHint(i)));
    // The first column also holds the check box and the picture.
    if (!twips.isEmpty())
        list->setColumnWidth(0, twips.first() / 15 + 36);
}

void checkAll(QTreeWidget* list, bool checked)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool isChecked(const QTreeWidgetItem* item)
{
    return item->checkState(0) == Qt::Checked;
}

JobRun::JobRun(frm2& window, bool& running, const QList<QWidget*>& controls)
    : m_busy(window), m_running(running), m_controls(controls)
{
    m_running = true;
    for (QWidget* w : std::as_const(m_controls))
        w->setEnabled(false);
}

JobRun::~JobRun()
{
    for (QWidget* w : std::as_const(m_controls))
        w->setEnabled(true);
    m_running = false;
}

} // namespace TemplateWidgets
