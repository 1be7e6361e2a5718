#include "TagList.h"

#include "Db.h"
#include "FrmTagList.h"
#include "MsgBox.h"
#include "Shared.h"

#include <QRegularExpression>

#include <stdexcept>

namespace {
TagListHandler& handlerSlot()
{
    static TagListHandler h;
    return h;
}

// Destroys the picker unless the pick went as far as showing it.
struct FormGuard
{
    ~FormGuard()
    {
        if (!shown)
            FrmTagList::unloadForm();
    }
    bool shown = false;
};
} // namespace

void setTagListHandler(TagListHandler handler)
{
    handlerSlot() = std::move(handler);
}

const TagListHandler& tagListHandler()
{
    return handlerSlot();
}

void ShowTagList(const QString& query, int highestColumn, const QString& emptyMessage,
                 const QString& searchField, const QString& caption, const QString& mode)
{
    SharedState& s = shared();
    // The call's own copies: the caller may refill the shared arrays for its next pick.
    QStringList captions;
    QList<int> widths;
    for (int i = 0; i <= highestColumn; ++i) {
        captions << s.TagColCaptions.value(i);
        widths << s.TagColWidths.value(i);
    }

    FormGuard guard;
    FrmTagList& form = FrmTagList::form();
    form.load();
    form.clearList();
    form.setMultipleChoice(mode == QLatin1String("M"));
    for (int i = 0; i <= highestColumn; ++i)
        form.addColumn(captions[i], widths[i]);

    const Recordset rows = s.Cnxn.select(query);
    s.TagListSQL = query;
    s.TagSearchField = searchField;
    if (rows.isEmpty()) {
        MsgBox(emptyMessage, 64);
        return;
    }
    for (int row = 0; row < rows.RecordCount(); ++row) {
        QStringList texts{rows.valueAt(row, 0).toString()};
        for (int column = 1; column < rows.fieldCount(); ++column)
            texts << rows.valueAt(row, column).toString().trimmed();
        form.addRow(texts);
    }
    form.setWindowTitle(caption);
    guard.shown = true;
    FrmTagList::showForm();
}

QString buildTagList(const QStringList& values, QString* raw)
{
    QString working;
    for (const QString& value : values) {
        QString quoted = value;
        working += QStringLiteral("','") + quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    }
    if (raw)
        *raw = working;
    return working.mid(2) + QLatin1Char('\'');
}

QString cutOrderBy(const QString& sql)
{
    const int at = sql.indexOf(QLatin1String("ORDER BY"), 0, Qt::CaseInsensitive);
    return at < 0 ? sql : sql.left(at);
}

QString likeContainsPattern(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_') ||
            c == QLatin1Char('['))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

bool isSqlIdentifier(const QString& name)
{
    static const QRegularExpression identifier(
        QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?$"));
    return identifier.match(name).hasMatch();
}

QString tagSearchStatement(const QString& sql, const QString& field, const Db& db)
{
    if (!isSqlIdentifier(field))
        throw std::invalid_argument("The list cannot be searched on this column.");
    return sql + QStringLiteral(" Where ") + db.likeIgnoringCase(field);
}
