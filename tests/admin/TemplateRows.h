#pragma once
// Helpers the template download, upload and user-copy tests share: stored rows written and
// read back in a form easy to compare, and rows of the screens' lists.

#include "admin/TemplateWidgets.h"
#include "shell/Db.h"

#include <QSqlQuery>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>

#include <utility>

namespace TemplateRows {

// A template text that names its user and finger, long enough for the previews to cut.
inline QString templ(int user, int finger)
{
    return QStringLiteral("U%1F%2-").arg(user).arg(finger).repeated(4);
}

// Rows are written out positionally, often with only the leading fields; the trailing
// ones take these defaults.
struct Row
{
    Row(int user = 0, QString name = {}, int finger = 0, QString templ = {}, int device = 0,
        int card = 0, QString password = {}, QVariant privilege = 0, int status = 1, int isNew = 0)
        : user(user), name(std::move(name)), finger(finger), templ(std::move(templ)),
          device(device), card(card), password(std::move(password)),
          privilege(std::move(privilege)), status(status), isNew(isNew)
    {
    }
    int user;
    QString name;
    int finger;
    QString templ;
    int device;
    int card;
    QString password;
    QVariant privilege;
    int status;
    int isNew;
};

inline void store(Db& db, const Row& r)
{
    db.exec(QStringLiteral("Insert Into Tbl_UserTemplate (DeviceUserID, DeviceUserName, "
                           "FingerIndex, FTemplate, DeviceID, rfid, password, previlege, Status, "
                           "IsNew) Values(?,?,?,?,?,?,?,?,?,?)"),
            {r.user, r.name, r.finger, r.templ, r.device, r.card, r.password, r.privilege, r.status,
             r.isNew});
}

// A user's stored rows as "device:finger:template", by device and finger.
inline QStringList rowsOf(Db& db, int user)
{
    QSqlQuery q = db.exec(QStringLiteral("Select DeviceID, FingerIndex, FTemplate From "
                                         "Tbl_UserTemplate Where DeviceUserID=? "
                                         "Order By DeviceID, FingerIndex"),
                          {user});
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1:%2:%3")
                    .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    return rows;
}

inline int count(Db& db, const QString& where = QStringLiteral("1=1"))
{
    return db.scalar(QStringLiteral("Select Count(*) From Tbl_UserTemplate Where ") + where)
        .toInt();
}

// The list row whose first column reads `text`.
inline QTreeWidgetItem* item(QTreeWidget* list, const QString& text)
{
    const QList<QTreeWidgetItem*> found = list->findItems(text, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.first();
}

inline QString cell(QTreeWidget* list, const QString& text, int column)
{
    QTreeWidgetItem* row = item(list, text);
    return row ? row->text(column) : QStringLiteral("<no row>");
}

inline void tick(QTreeWidget* list, const QString& text)
{
    list->window()->show();
    list->scrollToItem(item(list, text));
    const QRect row = list->visualItemRect(item(list, text));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.topLeft() + QPoint(9, 9));
}

inline int image(QTreeWidget* list, const QString& text)
{
    QTreeWidgetItem* row = item(list, text);
    return row ? TemplateWidgets::rowImage(row) : -1;
}

} // namespace TemplateRows
