#include "TemplateStore.h"

#include "shell/Db.h"

#include <QVariant>

#include <limits>

namespace {
const QString kUserPoint = QStringLiteral("quorvane_template_user");

QVariant number(qint64 value)
{
    return QVariant::fromValue<qlonglong>(value);
}

// Empty, never NULL: the store tells a user without fingerprints by its empty template.
QVariant text(const QString& value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

QVariant card(const QString& value)
{
    const QString trimmed = value.trimmed();
    const qint64 card = trimmed.isEmpty() ? 0 : wholeNumber(trimmed, QStringLiteral("card number"));
    // The column is an int on SQL Server, where a larger number fails as an arithmetic
    // overflow; refused alike on every database, with the number named.
    if (card < std::numeric_limits<qint32>::min() || card > std::numeric_limits<qint32>::max())
        throw DbError(6, QStringLiteral("Overflow: the card number %1 is too large to store.")
                             .arg(trimmed));
    return number(card);
}
} // namespace

qint64 wholeNumber(const QString& text, const QString& what)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw DbError(
            13, QStringLiteral("Type mismatch: the %1 \"%2\" is not a number.").arg(what, text));
    return value;
}

TemplateStore::TemplateStore(Db& db)
    : m_db(db),
      m_deleteFinger(db.prepare(QStringLiteral(
          "Delete From Tbl_UserTemplate Where DeviceUserID=? And FingerIndex=? And DeviceID=?"))),
      m_deleteUser(db.prepare(
          QStringLiteral("Delete From Tbl_UserTemplate Where DeviceUserID=? And DeviceID=?"))),
      m_updateRecord(db.prepare(QStringLiteral(
          "Update Tbl_UserTemplate Set DeviceUserName=?, rfid=?, password=?, previlege=?, "
          "Status=? Where DeviceUserID=? And DeviceID=?"))),
      m_deleteEmptyZero(db.prepare(QStringLiteral(
          "Delete From Tbl_UserTemplate Where DeviceUserID=? And FingerIndex=0 And DeviceID=? "
          "And (FTemplate Is Null Or FTemplate='')"))),
      m_insert(db.prepare(QStringLiteral(
          "Insert Into Tbl_UserTemplate (DeviceUserID, DeviceUserName, FingerIndex, FTemplate, "
          "DeviceID, rfid, password, previlege, Status, IsNew) Values(?,?,?,?,?,?,?,?,?,?)"))),
      m_rowsOfUser(db.prepare(QStringLiteral(
          "Select DeviceUserID, DeviceUserName, FingerIndex, FTemplate, DeviceID, rfid, password, "
          "previlege, Status, IsNew From Tbl_UserTemplate Where DeviceUserID=? "
          "Order By FingerIndex, Case When DeviceID=? Then 1 Else 0 End, DeviceID"))),
      m_savepoint(db.prepare(db.dialect().savepoint(kUserPoint))),
      m_rollbackToSavepoint(db.prepare(db.dialect().rollbackToSavepoint(kUserPoint))),
      m_hasRelease(!db.dialect().releaseSavepoint(kUserPoint).isEmpty())
{
    if (m_hasRelease)
        m_releaseSavepoint = db.prepare(db.dialect().releaseSavepoint(kUserPoint));
}

TemplateStore::~TemplateStore()
{
    try {
        commit();
    } catch (...) {
        m_db.rollback();
    }
}

void TemplateStore::ensureBatch()
{
    if (m_batch)
        return;
    m_db.beginTransaction();
    m_batch = true;
}

void TemplateStore::commit()
{
    if (!m_batch)
        return;
    m_batch = false;
    m_db.commit();
}

void TemplateStore::storeUser(const std::function<void()>& writes)
{
    ensureBatch();
    Db::run(m_savepoint);
    try {
        writes();
        if (m_hasRelease)
            Db::run(m_releaseSavepoint);
    } catch (...) {
        try {
            Db::run(m_rollbackToSavepoint);
            if (m_hasRelease)
                Db::run(m_releaseSavepoint);
            commit();
        } catch (...) {
            // The transaction itself is gone; nothing of it can be kept.
            m_batch = false;
            m_db.rollback();
        }
        throw;
    }
}

void TemplateStore::insert(const StoredUserTemplate& row)
{
    Db::run(m_insert, {number(row.DeviceUserID), text(row.DeviceUserName), row.FingerIndex,
                       text(row.FTemplate), number(row.DeviceID), card(row.rfid),
                       text(row.password), row.previlege, row.Status, row.IsNew});
}

void TemplateStore::replaceFinger(const StoredUserTemplate& row)
{
    Db::run(m_deleteFinger, {number(row.DeviceUserID), row.FingerIndex, number(row.DeviceID)});
    insert(row);
}

void TemplateStore::replaceOnTerminal(const StoredUserTemplate& row)
{
    Db::run(m_deleteUser, {number(row.DeviceUserID), number(row.DeviceID)});
    insert(row);
}

void TemplateStore::writeRecord(const StoredUserTemplate& row)
{
    Db::run(m_updateRecord,
            {text(row.DeviceUserName), card(row.rfid), text(row.password), row.previlege,
             row.Status, number(row.DeviceUserID), number(row.DeviceID)});
}

void TemplateStore::dropEmptyFingerZero(qint64 user, qint64 device)
{
    Db::run(m_deleteEmptyZero, {number(user), number(device)});
}

QList<StoredUserTemplate> TemplateStore::rowsOfUser(qint64 user, qint64 lastDevice)
{
    Db::run(m_rowsOfUser, {number(user), number(lastDevice)});
    QList<StoredUserTemplate> rows;
    while (m_rowsOfUser.next()) {
        const QSqlQuery& q = m_rowsOfUser;
        StoredUserTemplate r;
        r.DeviceUserID = q.value(0).toInt();
        r.DeviceUserName = q.value(1).toString();
        r.FingerIndex = q.value(2).toInt();
        r.FTemplate = q.value(3).toString();
        r.DeviceID = q.value(4).toInt();
        r.rfid = q.value(5).isNull() ? QString() : q.value(5).toString();
        r.password = q.value(6).toString();
        r.previlege = q.value(7).toInt();
        // A flag the store does not hold leaves the user enabled.
        r.Status = q.value(8).isNull() ? 1 : q.value(8).toInt();
        r.IsNew = q.value(9).toInt();
        rows.append(r);
    }
    m_rowsOfUser.finish();
    return rows;
}

void TemplateStore::clearIsNew(const QList<qint64>& users)
{
    if (users.isEmpty())
        return;
    commit();
    QSqlQuery clear =
        m_db.prepare(QStringLiteral("Update Tbl_UserTemplate Set IsNew=0 Where DeviceUserID=?"));
    Transaction transaction(m_db);
    for (qint64 user : users)
        Db::run(clear, {number(user)});
    transaction.commit();
}

QString TemplateStore::preview(const QString& templ, int length)
{
    return templ.left(length) + QStringLiteral("...");
}
